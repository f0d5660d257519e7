#include "form/picture_file_check.h"

#include <cstdint>
#include <initializer_list>
#include <optional>

namespace brivet::form {

namespace {

using Bytes = std::span<const unsigned char>;

// Little- and big-endian fields; nullopt when the field runs past the end.
std::optional<uint32_t> Le(Bytes b, size_t at, size_t width) {
  if (at > b.size() || b.size() - at < width) return std::nullopt;
  uint32_t v = 0;
  for (size_t i = width; i-- > 0;) v = (v << 8) | b[at + i];
  return v;
}

std::optional<uint32_t> Be16(Bytes b, size_t at) {
  if (at > b.size() || b.size() - at < 2) return std::nullopt;
  return static_cast<uint32_t>(b[at] << 8 | b[at + 1]);
}

bool StartsWith(Bytes b, std::initializer_list<unsigned char> signature) {
  if (b.size() < signature.size()) return false;
  size_t i = 0;
  for (unsigned char c : signature)
    if (b[i++] != c) return false;
  return true;
}

bool SizeWithinBounds(uint64_t width, uint64_t height) {
  return width > 0 && height > 0 && width <= 65535 && height <= 65535 &&
         width * height <= kMaxPicturePixels;
}

bool ValidBitCount(uint32_t bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Bytes of `rows` rows of pixels, each padded to four bytes but the last.
uint64_t PixelBytes(uint64_t width, uint64_t rows, uint32_t bits) {
  const uint64_t row = (width * bits + 7) / 8;
  return ((width * bits + 31) / 32) * 4 * (rows - 1) + row;
}

// A bitmap information header at `at`, with `available` bytes of pixel data
// present. `doubled` for an icon's image, whose header counts the mask's rows
// in its height.
bool ValidInfoHeader(Bytes b, size_t at, uint64_t available, bool doubled) {
  const auto size = Le(b, at, 4);
  if (!size) return false;
  uint32_t width, height_field, planes, bits, compression = 0;
  bool top_down = false;
  if (*size == 12) {  // the old core header
    const auto w = Le(b, at + 4, 2), h = Le(b, at + 6, 2), p = Le(b, at + 8, 2), c = Le(b, at + 10, 2);
    if (!w || !h || !p || !c) return false;
    width = *w, height_field = *h, planes = *p, bits = *c;
  } else if (*size == 40 || *size == 52 || *size == 56 || *size == 64 || *size == 108 || *size == 124) {
    const auto w = Le(b, at + 4, 4), h = Le(b, at + 8, 4), p = Le(b, at + 12, 2), c = Le(b, at + 14, 2),
               k = Le(b, at + 16, 4);
    if (!w || !h || !p || !c || !k || b.size() - at < *size) return false;
    if (static_cast<int32_t>(*w) <= 0) return false;
    width = *w;
    const auto signed_height = static_cast<int32_t>(*h);
    if (signed_height == INT32_MIN) return false;
    top_down = signed_height < 0;
    height_field = static_cast<uint32_t>(top_down ? -signed_height : signed_height);
    planes = *p, bits = *c, compression = *k;
  } else {
    return false;
  }
  if (top_down && doubled) return false;
  const uint64_t height = doubled ? height_field / 2 : height_field;
  if (planes != 1 || !ValidBitCount(bits) || !SizeWithinBounds(width, height)) return false;
  switch (compression) {
    case 0:  // uncompressed
      break;
    case 1:  // run-length, 8 bits
      return bits == 8 && !top_down && available > 0;
    case 2:  // run-length, 4 bits
      return bits == 4 && !top_down && available > 0;
    case 3:  // bit fields
      if (bits != 16 && bits != 32) return false;
      break;
    default:
      return false;
  }
  return PixelBytes(width, height, bits) <= available;
}

bool ValidBitmap(Bytes b) {
  const auto offset = Le(b, 10, 4), info = Le(b, 14, 4);
  if (!offset || !info || *offset >= b.size() || *offset < 14 + uint64_t{*info}) return false;
  return ValidInfoHeader(b, 14, b.size() - *offset, false);
}

bool IsFrameMarker(unsigned char m) {
  return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
}

// The segments up to the first scan: a frame header with its dimensions
// first, each segment's length inside the file, scan data after it.
bool ValidJpeg(Bytes b) {
  size_t at = 2;
  bool frame = false;
  while (true) {
    if (at >= b.size() || b[at] != 0xFF) return false;
    while (at < b.size() && b[at] == 0xFF) ++at;  // fill bytes
    if (at >= b.size()) return false;
    const unsigned char marker = b[at++];
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;  // no length
    if (marker == 0xD8 || marker == 0xD9 || marker == 0x00) return false;
    const auto length = Be16(b, at);
    if (!length || *length < 2 || b.size() - at < *length) return false;
    if (IsFrameMarker(marker)) {
      if (frame || *length < 8) return false;
      const auto height = Be16(b, at + 3), width = Be16(b, at + 5);
      const unsigned components = b[at + 7];
      if (!SizeWithinBounds(*width, *height) || components < 1 || components > 4 ||
          *length < 8 + 3 * components)
        return false;
      frame = true;
    } else if (marker == 0xDA) {
      return frame && *length >= 6 && b.size() - at > *length;
    }
    at += *length;
  }
}

// Skips a colour table the flags byte declares; false when it runs past the end.
bool SkipColourTable(Bytes b, size_t& at, unsigned flags) {
  if (flags & 0x80) at += size_t{3} << ((flags & 7) + 1);
  return at <= b.size();
}

// The blocks up to the first image: extensions whole, an image descriptor
// of positive size with its colour table, code size and first data block.
bool ValidGif(Bytes b) {
  if (b.size() < 13) return false;
  size_t at = 13;
  if (!SkipColourTable(b, at, b[10])) return false;
  while (at < b.size()) {
    const unsigned char block = b[at];
    if (block == 0x21) {  // extension: a label, then data blocks to an empty one
      at += 2;
      while (true) {
        if (at >= b.size()) return false;
        const size_t length = b[at];
        at += 1 + length;
        if (length == 0) break;
      }
    } else if (block == 0x2C) {
      const auto width = Le(b, at + 5, 2), height = Le(b, at + 7, 2);
      if (!width || !height || b.size() - at < 10 || !SizeWithinBounds(*width, *height)) return false;
      const unsigned flags = b[at + 9];
      at += 10;
      if (!SkipColourTable(b, at, flags) || b.size() - at < 2) return false;
      const unsigned code_size = b[at];
      return code_size >= 2 && code_size <= 11;
    } else {
      return false;  // the trailer, or garbage, before any image
    }
  }
  return false;
}

// The directory and every image it lists: inside the file, after the
// directory, each a PNG stream or a bitmap header with its pixels present.
bool ValidIcon(Bytes b) {
  const auto count = Le(b, 4, 2);
  if (!count || *count == 0) return false;
  const uint64_t directory_end = 6 + 16 * uint64_t{*count};
  if (directory_end > b.size()) return false;
  for (size_t entry = 6; entry < directory_end; entry += 16) {
    const uint64_t bytes = *Le(b, entry + 8, 4), offset = *Le(b, entry + 12, 4);
    if (offset < directory_end || offset >= b.size() || bytes > b.size() - offset) return false;
    const Bytes image = b.subspan(static_cast<size_t>(offset), static_cast<size_t>(bytes));
    if (StartsWith(image, {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'})) {
      if (image.size() < 8 + 25) return false;  // the signature and the header chunk
      continue;
    }
    const auto info = Le(image, 0, 4);
    if (!info || *info != 40 || !ValidInfoHeader(image, 0, image.size() - 40, true)) return false;
  }
  return true;
}

}  // namespace

PictureFormat CheckPictureFile(std::span<const unsigned char> bytes) {
  if (StartsWith(bytes, {'B', 'M'})) return ValidBitmap(bytes) ? PictureFormat::Bitmap : PictureFormat::None;
  if (StartsWith(bytes, {0xFF, 0xD8, 0xFF})) return ValidJpeg(bytes) ? PictureFormat::Jpeg : PictureFormat::None;
  if (StartsWith(bytes, {'G', 'I', 'F', '8', '7', 'a'}) || StartsWith(bytes, {'G', 'I', 'F', '8', '9', 'a'}))
    return ValidGif(bytes) ? PictureFormat::Gif : PictureFormat::None;
  if (StartsWith(bytes, {0, 0, 1, 0})) return ValidIcon(bytes) ? PictureFormat::Icon : PictureFormat::None;
  return PictureFormat::None;
}

}  // namespace brivet::form
