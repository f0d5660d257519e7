// Texts read as numbers with the US English rules of the platform's parser.
#pragma once

#include <cstdint>
#include <vector>

#include "core/variant.h"

namespace brivet::detail {

struct ParsedNumber {
  std::vector<uint8_t> digits;  // significant digits, most significant first
  int pwr10 = 0;                // value = digits * 10^pwr10
  int base_shift = 0;           // 4 for &H, 3 for &O: digits are in that base
  bool negative = false;
};

// Parses the whole text as a number; throws TypeMismatch when it is not one
// and Overflow for a hexadecimal number with too many digits.
ParsedNumber ParseNumber(const Text& text);
// As an integer of [lo, hi]; &H/&O numbers take the width of width_mask.
int64_t ParsedToInteger(const ParsedNumber& n, int64_t lo, int64_t hi, uint64_t width_mask);
double ParsedToDouble(const ParsedNumber& n);
// The low bits of width_mask's width read as a two's complement number.
int64_t AsSigned(uint64_t bits, uint64_t width_mask);

}  // namespace brivet::detail
