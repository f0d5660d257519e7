// Number parsing, with every standard flag of the platform's parser and the
// US English characters: blanks, '+', '-', '$' and '(' before the number;
// blanks, '+', '-', '$', ',' and ')' after it; ',' anywhere but first; one
// '.'; an exponent; &H and &O prefixes. The quirks (where ',' may stand, what
// '$' rules out, signs ignored on &H) are the platform's, found by comparing.

#include "core/number_parsing.h"

#include <cmath>
#include <cstdint>

namespace brivet::detail {

namespace {

constexpr size_t kMaxDigits = 1024;

bool IsBlank(char16_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// The value of a &H/&O number. Overflow past 64 bits.
uint64_t BaseValue(const ParsedNumber& n) {
  uint64_t v = 0;
  for (uint8_t d : n.digits) {
    if (v > ((UINT64_MAX >> n.base_shift) - d)) throw Error::Overflow();
    v = (v << n.base_shift) + d;
  }
  return v;
}

}  // namespace

// Parses the whole text as a number; throws TypeMismatch when it is not one
// and Overflow for a hexadecimal number with too many digits.
ParsedNumber ParseNumber(const Text& text) {
  ParsedNumber n;
  const char16_t* s = text.c_str();  // NUL-terminated; embedded NULs end the text
  bool lead_plus = false, lead_minus = false, currency = false, parens = false;

  for (;;) {
    if (IsBlank(*s)) {
      while (IsBlank(*s)) ++s;
    } else if (*s == u'+' && !lead_plus) {
      lead_plus = true;
      ++s;
    } else if (*s == u'-' && !lead_minus) {
      lead_minus = n.negative = true;
      ++s;
    } else if (*s == u'$' && !currency) {
      currency = true;
      ++s;
    } else if (*s == u'(' && !parens) {
      parens = true;
      ++s;
    } else {
      break;
    }
  }

  // After a leading currency sign neither &H/&O nor an exponent is taken.
  bool hex = false, oct = false;
  if (currency) {
  } else if (s[0] == u'&' && (s[1] == u'H' || s[1] == u'h')) {
    hex = true;
    s += 2;
  } else if (s[0] == u'&' && (s[1] == u'O' || s[1] == u'o')) {
    oct = true;
    s += 2;
  }

  const char16_t* const number_start = s;
  bool leading_zero = false;
  while (*s == u'0') {
    leading_zero = true;
    ++s;
  }

  std::vector<uint8_t>& dig = n.digits;
  size_t digit_count = 0;  // all digits seen, including those not kept
  bool decimal = false, exponent = false, in_exponent = false, exp_negative = false;
  for (; *s; ++s) {
    const char16_t c = *s;
    if (IsDigit(c) && in_exponent) {
      // Exponent digits: saturate far beyond any representable magnitude.
      int64_t e = 0;
      while (IsDigit(*s)) {
        if (e < 100000000) e = e * 10 + (*s - u'0');
        ++s;
      }
      n.pwr10 = static_cast<int>(exp_negative ? n.pwr10 - e : n.pwr10 + e);
      in_exponent = false;
      --s;
    } else if (IsDigit(c)) {
      if (oct && (c == u'8' || c == u'9')) break;
      if (digit_count >= kMaxDigits && !hex && !oct) {
        // Beyond the digits kept: only the magnitude counts.
        if (!decimal) ++n.pwr10;
      } else {
        if (decimal) --n.pwr10;
        dig.push_back(static_cast<uint8_t>(c - u'0'));
      }
      ++digit_count;
    } else if (c == u',' && s != number_start && !hex && !oct) {
      // A thousands separator, anywhere but first.
    } else if (c == u'.' && !decimal && !exponent && !hex && !oct) {
      decimal = true;
      if (!digit_count) {
        while (s[1] == u'0') {
          leading_zero = true;
          ++s;
          --n.pwr10;
        }
      }
    } else if (hex && ((c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'))) {
      if (digit_count >= kMaxDigits) throw Error::Overflow();
      dig.push_back(static_cast<uint8_t>(c >= u'a' ? c - u'a' + 10 : c - u'A' + 10));
      ++digit_count;
    } else if ((c == u'e' || c == u'E') && !exponent && !hex && !oct && !currency) {
      exponent = in_exponent = true;
    } else if (in_exponent && c == u'+') {
    } else if (in_exponent && c == u'-') {
      exp_negative = true;
    } else {
      break;
    }
  }

  if (dig.empty() && leading_zero) dig.push_back(0);
  if (in_exponent) throw Error::TypeMismatch();  // exponent without digits

  if (hex || oct) {
    n.base_shift = hex ? 4 : 3;
    n.pwr10 = 0;
  } else {
    while (dig.size() > 1 && dig.back() == 0) {
      dig.pop_back();
      ++n.pwr10;
    }
  }

  for (;;) {
    if (IsBlank(*s)) {
      while (IsBlank(*s)) ++s;
    } else if (*s == u'+' && !lead_plus) {
      ++s;
    } else if (*s == u'-' && !lead_minus) {
      n.negative = true;
      ++s;
    } else if (*s == u')' && parens) {
      n.negative = true;
      ++s;
    } else if ((*s == u'$' || *s == u',') && !hex && !oct) {
      ++s;
    } else {
      break;
    }
  }
  if (parens && !n.negative) throw Error::TypeMismatch();  // '(' without ')'
  if (*s) throw Error::TypeMismatch();
  if (dig.empty()) throw Error::TypeMismatch();
  return n;
}



// A parsed number as an integer of [lo, hi], rounded half to even on its
// exact decimal digits. &H/&O numbers take the target's width as two's
// complement.
int64_t ParsedToInteger(const ParsedNumber& n, int64_t lo, int64_t hi, uint64_t width_mask) {
  if (n.base_shift) {
    const uint64_t v = BaseValue(n);
    if (v > width_mask) throw Error::Overflow();
    return AsSigned(v, width_mask);
  }
  const auto& dig = n.digits;
  const int count = static_cast<int>(dig.size());
  const int whole_digits = n.pwr10 < 0 ? std::max(count + n.pwr10, 0) : count;
  constexpr uint64_t kLimit = 100000000000000000;  // beyond every target; *10 stays in range
  uint64_t v = 0;
  bool overflow = false;
  for (int i = 0; i < whole_digits && !overflow; ++i) {
    overflow = v >= kLimit;
    v = v * 10 + dig[i];
  }
  for (int i = 0; i < n.pwr10 && !overflow && v; ++i) {
    overflow = v >= kLimit;
    v *= 10;
  }
  if (!overflow && n.pwr10 < 0) {
    // Fraction digits start at whole_digits; when there are fewer digits
    // than the negative power, the leading fraction digits are zeros.
    const int frac_start = count + n.pwr10;  // index of the tenths digit
    if (frac_start >= 0) {
      const int first = dig[frac_start];
      bool more = false;
      for (int i = frac_start + 1; i < count; ++i) more = more || dig[i] != 0;
      if (first > 5 || (first == 5 && (more || (v & 1)))) ++v;
    }
  }
  if (overflow) throw Error::Overflow();
  const int64_t value = n.negative ? -static_cast<int64_t>(v) : static_cast<int64_t>(v);
  if (value < lo || value > hi) throw Error::Overflow();
  return value;
}

// A parsed number as a double, with the platform's arithmetic: the digits
// accumulated in a double, then scaled by steps of at most 10^10 with its
// overflow and underflow checks, so that results agree to the last bit.
double ParsedToDouble(const ParsedNumber& n) {
  if (n.base_shift) {
    const uint64_t v = BaseValue(n);
    // Numbers up to 2^31 come back as 32-bit integers; 2^31 itself is negative.
    if (v > 0x80000000u) throw Error::Overflow();
    return static_cast<double>(static_cast<int32_t>(static_cast<uint32_t>(v)));
  }
  static constexpr double kPow[11] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10};
  constexpr double kMax = 1.79769313486231470e+308;
  constexpr double kMin = 4.94065645841246544e-324;  // the smallest subnormal
  double whole = 0;
  for (uint8_t d : n.digits) whole = whole * 10.0 + d;
  if (whole == 0) return n.negative ? -0.0 : 0.0;
  if (n.pwr10 > 0) {
    int mult = n.pwr10;
    while (mult > 10) {
      if (whole > kMax / kPow[10]) throw Error::Overflow();
      whole *= kPow[10];
      mult -= 10;
    }
    if (whole > kMax / kPow[mult]) throw Error::Overflow();
    whole *= kPow[mult];
  } else if (n.pwr10 < 0) {
    int div = -n.pwr10;
    while (div > 10) {
      if (whole < kMin * kPow[10] && whole != 0) return n.negative ? -0.0 : 0.0;
      whole /= kPow[10];
      div -= 10;
    }
    if (whole < kMin * kPow[div] && whole != 0) return n.negative ? -0.0 : 0.0;
    whole /= kPow[div];
  }
  if (!std::isfinite(whole)) throw Error::Overflow();
  return n.negative ? -whole : whole;
}

// The low bits of `width_mask`'s width read as a two's complement number.
int64_t AsSigned(uint64_t bits, uint64_t width_mask) {
  const uint64_t sign_bit = (width_mask >> 1) + 1;
  return (bits & sign_bit) ? static_cast<int64_t>(bits) - static_cast<int64_t>(width_mask) - 1
                           : static_cast<int64_t>(bits);
}

}  // namespace brivet::detail
