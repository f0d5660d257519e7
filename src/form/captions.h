// How the toolkit shows a caption: its access key and a readable colour for
// it on a coloured background. Shared by the backends so both agree.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brivet::form {

// The character a caption marks with "&" as its access key, or none. "&&"
// stands for one "&" and marks nothing; the first marked character counts.
std::optional<char16_t> AccessKeyOf(std::u16string_view caption) noexcept;

// The caption as it reads on screen: each marking "&" dropped, "&&" as "&".
std::u16string WithoutAccessMarks(std::u16string_view caption);

// Whether a typed character is the caption's access key; letter case is
// folded in the ASCII range and in Latin-1.
bool IsAccessKey(std::u16string_view caption, char16_t typed) noexcept;

inline constexpr int32_t kBlack = 0x000000;
inline constexpr int32_t kWhite = 0xFFFFFF;

// Black or white, whichever contrasts more with the background colour
// (0x00BBGGRR), by relative luminance as the web's contrast guidelines
// define it.
int32_t CaptionColorOn(int32_t background) noexcept;

// The contrast ratio of two colours, from 1 (none) to 21 (black on white).
double ContrastRatio(int32_t a, int32_t b) noexcept;

}  // namespace brivet::form
