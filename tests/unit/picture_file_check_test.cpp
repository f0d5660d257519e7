// The header check that stands before the platform's picture decoders: the
// samples pass, and files broken the ways decoders have been seen to accept
// or hang on are refused.
#include "form/picture_file_check.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "picture_samples.h"

namespace brivet::testing {
namespace {

using contract::PictureKind;
using form::CheckPictureFile;
using form::PictureFormat;

PictureFormat Check(const std::string& bytes) {
  return CheckPictureFile({reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()});
}

std::string Patched(std::string bytes, size_t at, std::initializer_list<unsigned char> with) {
  for (unsigned char c : with) bytes.at(at++) = static_cast<char>(c);
  return bytes;
}

TEST(PictureFileCheck, SamplesPassAndEveryCutInsideTheHeadersIsRefused) {
  const std::pair<PictureKind, PictureFormat> kinds[] = {
      {PictureKind::Bitmap, PictureFormat::Bitmap}, {PictureKind::Jpeg, PictureFormat::Jpeg},
      {PictureKind::Gif, PictureFormat::Gif}, {PictureKind::Icon, PictureFormat::Icon}};
  for (const auto& [kind, format] : kinds) {
    const std::string whole = contract::SamplePicture(kind);
    EXPECT_EQ(Check(whole), format) << static_cast<int>(kind);
    // Where the headers end: the bitmap's pixels, the scan, the image's data, the icon's pixels.
    const size_t header_end = kind == PictureKind::Bitmap ? 54
                              : kind == PictureKind::Jpeg ? whole.find("\xff\xda") + 14
                              : kind == PictureKind::Gif  ? whole.find('\x2c') + 11
                                                          : 22 + 40;
    for (size_t n = 0; n < header_end; ++n)
      EXPECT_EQ(Check(whole.substr(0, n)), PictureFormat::None) << static_cast<int>(kind) << " cut to " << n;
  }
}

TEST(PictureFileCheck, DeclaredSizesAndOffsetsOutsideTheFileAreRefused) {
  const std::string bmp = contract::SamplePicture(PictureKind::Bitmap);
  const std::string jpg = contract::SamplePicture(PictureKind::Jpeg);
  const std::string gif = contract::SamplePicture(PictureKind::Gif);
  const std::string ico = contract::SamplePicture(PictureKind::Icon);
  const size_t sof = jpg.find("\xff\xc0");
  const size_t image = gif.find('\x2c');
  const struct {
    const char* why;
    std::string bytes;
  } broken[] = {
      {"bmp huge width and height", Patched(bmp, 18, {0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0x7F})},
      {"bmp height of the least integer", Patched(bmp, 22, {0, 0, 0, 0x80})},
      {"bmp width 0", Patched(bmp, 18, {0, 0, 0, 0})},
      {"bmp bit count 33", Patched(bmp, 28, {33, 0})},
      {"bmp pixel offset past the end", Patched(bmp, 10, {0xF0, 0xFF, 0xFF, 0xFF})},
      {"bmp pixel offset inside the header", Patched(bmp, 10, {20, 0, 0, 0})},
      {"bmp info size huge", Patched(bmp, 14, {0xFF, 0xFF, 0xFF, 0x7F})},
      {"bmp pixels short by a row", bmp.substr(0, bmp.size() - 8)},
      {"jpg frame 65535 x 65535", Patched(jpg, sof + 5, {0xFF, 0xFF, 0xFF, 0xFF})},
      {"jpg frame 0 x 0", Patched(jpg, sof + 5, {0, 0, 0, 0})},
      {"jpg frame of 0 components", Patched(jpg, sof + 9, {0})},
      {"jpg segment length 0", Patched(jpg, 4, {0, 0})},
      {"jpg segment length past the end", Patched(jpg, 4, {0xFF, 0xFF})},
      {"jpg no frame before the scan", jpg.substr(0, sof) + jpg.substr(sof + 19)},
      {"gif image 65535 x 65535", Patched(gif, image + 5, {0xFF, 0xFF, 0xFF, 0xFF})},
      {"gif image 0 x 0", Patched(gif, image + 5, {0, 0, 0, 0})},
      {"gif only the trailer", gif.substr(0, image) + "\x3b"},
      {"gif code size 0", Patched(gif, image + 10, {0})},
      {"ico no images", Patched(ico, 4, {0, 0})},
      {"ico 65535 images", Patched(ico, 4, {0xFF, 0xFF})},
      {"ico image size huge", Patched(ico, 14, {0xFF, 0xFF, 0xFF, 0xFF})},
      {"ico image offset past the end", Patched(ico, 18, {0x00, 0xFF, 0xFF, 0xFF})},
      {"ico image offset inside the directory", Patched(ico, 18, {4, 0, 0, 0})},
      {"ico bitmap of huge size", Patched(ico, 26, {0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0x7F})},
      {"ico bitmap drawn top down", Patched(ico, 30, {0xE0, 0xFF, 0xFF, 0xFF})},
  };
  for (const auto& b : broken) EXPECT_EQ(Check(b.bytes), PictureFormat::None) << b.why;

  // What real files hold and a decoder shows: a top-down bitmap, a last row
  // without its padding, an icon whose image is a PNG stream.
  EXPECT_EQ(Check(Patched(bmp, 22, {0xFE, 0xFF, 0xFF, 0xFF})), PictureFormat::Bitmap);
  EXPECT_EQ(Check(bmp.substr(0, bmp.size() - 2)), PictureFormat::Bitmap);
  std::string png_icon = ico.substr(0, 22) + "\x89PNG\r\n\x1a\n" + std::string(25, '\0');
  png_icon = Patched(png_icon, 14, {33, 0, 0, 0});
  EXPECT_EQ(Check(png_icon), PictureFormat::Icon);
}

}  // namespace
}  // namespace brivet::testing
