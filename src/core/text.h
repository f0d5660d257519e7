// Comparisons of the logic's texts, letter case folded in the ASCII range
// (every fixed text the component compares with is ASCII).
#pragma once

#include <string_view>

namespace brivet {

constexpr char16_t FoldCase(char16_t c) noexcept {
  return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

// A text as far as the platform reads it: up to its first NUL.
constexpr std::u16string_view UpToNul(std::u16string_view text) noexcept {
  return text.substr(0, text.find(u'\0'));
}

constexpr bool EqualsIgnoringCase(std::u16string_view a, std::string_view ascii) noexcept {
  if (a.size() != ascii.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldCase(a[i]) != FoldCase(static_cast<char16_t>(static_cast<unsigned char>(ascii[i]))))
      return false;
  return true;
}

}  // namespace brivet
