#include "form/captions.h"

#include <algorithm>
#include <cmath>

namespace brivet::form {

namespace {

char16_t FoldLetter(char16_t c) noexcept {
  if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - u'a' + u'A');
  // Latin-1 small letters à..þ, but not the division sign.
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 0x20);
  return c;
}

// One sRGB channel (0..255) in linear light.
double Linear(int channel) noexcept {
  const double c = channel / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double RelativeLuminance(int32_t color) noexcept {
  const int red = color & 0xFF, green = (color >> 8) & 0xFF, blue = (color >> 16) & 0xFF;
  return 0.2126 * Linear(red) + 0.7152 * Linear(green) + 0.0722 * Linear(blue);
}

}  // namespace

std::optional<char16_t> AccessKeyOf(std::u16string_view caption) noexcept {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != u'&') continue;
    if (caption[i + 1] != u'&') return caption[i + 1];
    ++i;  // "&&": a plain "&"
  }
  return std::nullopt;
}

std::u16string WithoutAccessMarks(std::u16string_view caption) {
  std::u16string shown;
  shown.reserve(caption.size());
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == u'&' && ++i == caption.size()) break;
    shown += caption[i];
  }
  return shown;
}

bool IsAccessKey(std::u16string_view caption, char16_t typed) noexcept {
  const auto key = AccessKeyOf(caption);
  return key && FoldLetter(*key) == FoldLetter(typed);
}

double ContrastRatio(int32_t a, int32_t b) noexcept {
  const double la = RelativeLuminance(a), lb = RelativeLuminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

int32_t CaptionColorOn(int32_t background) noexcept {
  return ContrastRatio(background, kBlack) >= ContrastRatio(background, kWhite) ? kBlack : kWhite;
}

}  // namespace brivet::form
