// Whether the bytes of a file hold a picture the image control can show.
// Some platform decoders accept a header cut short, or loop on an offset
// that points past the end of the file, so both backends check a file here
// before they hand it to a decoder.
#pragma once

#include <cstddef>
#include <span>

namespace brivet::form {

enum class PictureFormat { None, Bitmap, Jpeg, Gif, Icon };

// The format whose signature the bytes start with, when its headers are whole
// and consistent: every declared size and offset lies inside the file, the
// dimensions are positive and within bounds, the pixel data a bitmap declares
// is present. None for anything else. Reads nothing outside `bytes`.
PictureFormat CheckPictureFile(std::span<const unsigned char> bytes);

// The largest picture accepted, in pixels: a decoder would need four bytes
// each (512 MiB), more than a 32-bit process can give it.
inline constexpr unsigned long long kMaxPicturePixels = 1ull << 27;

}  // namespace brivet::form
