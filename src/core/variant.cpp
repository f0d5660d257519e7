// Automation coercions with the US English rules of the platform's
// VariantChangeTypeEx (locale 1033): number parsing, rounding, range bounds
// and the text forms of numbers, currency and dates.
#include "core/variant.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

namespace brivet {

// ---------------------------------------------------------------------------
// Construction and comparison

Variant Variant::Holding(VariantType type, int64_t integer, double real) {
  Variant v;
  v.type_ = type;
  v.int_ = integer;
  v.real_ = real;
  return v;
}

Variant Variant::Null() { return Holding(VariantType::Null, 0, 0); }
Variant Variant::Missing() { return ErrorCode(status::kParamNotFound); }
Variant Variant::I2(int16_t x) { return Holding(VariantType::I2, x, 0); }
Variant Variant::I4(int32_t x) { return Holding(VariantType::I4, x, 0); }
Variant Variant::R4(float x) { return Holding(VariantType::R4, 0, x); }
Variant Variant::R8(double x) { return Holding(VariantType::R8, 0, x); }
Variant Variant::CurrencyScaled(int64_t scaled) { return Holding(VariantType::Currency, scaled, 0); }
Variant Variant::Date(double days) { return Holding(VariantType::Date, 0, days); }
Variant Variant::Bool(bool x) { return Holding(VariantType::Bool, x ? -1 : 0, 0); }
Variant Variant::ErrorCode(int32_t code) { return Holding(VariantType::Error, code, 0); }

Variant Variant::Str(Text x) {
  Variant v;
  v.type_ = VariantType::Text;
  v.text_ = std::move(x);
  return v;
}

Variant Variant::Str(std::string_view ascii) { return Str(T(ascii)); }

Variant Variant::Integer(VariantType type, int64_t x) {
  Variant v;
  v.type_ = type;
  // Keep the value the type can hold, as the platform's storage would.
  switch (type) {
    case VariantType::I1: v.int_ = static_cast<int8_t>(x); break;
    case VariantType::UI1: v.int_ = static_cast<uint8_t>(x); break;
    case VariantType::I2: v.int_ = static_cast<int16_t>(x); break;
    case VariantType::UI2: v.int_ = static_cast<uint16_t>(x); break;
    case VariantType::I4: v.int_ = static_cast<int32_t>(x); break;
    case VariantType::UI4: v.int_ = static_cast<uint32_t>(x); break;
    case VariantType::I8:
    case VariantType::UI8: v.int_ = x; break;  // UI8 keeps its bits
    default: throw Error::TypeMismatch();
  }
  return v;
}

Variant Variant::Object(std::shared_ptr<ObjectRef> obj) {
  Variant v;
  v.type_ = VariantType::Object;
  v.object_ = std::move(obj);
  return v;
}

Variant Variant::Array(std::shared_ptr<ArrayRef> arr) {
  Variant v;
  v.type_ = VariantType::Array;
  v.array_ = std::move(arr);
  return v;
}

bool Variant::IsMissing() const noexcept {
  return type_ == VariantType::Error && int_ == status::kParamNotFound;
}

bool operator==(const Variant& a, const Variant& b) noexcept {
  if (a.type_ != b.type_) return false;
  switch (a.type_) {
    case VariantType::Empty:
    case VariantType::Null: return true;
    case VariantType::R4:
    case VariantType::R8:
    case VariantType::Date: return a.real_ == b.real_;
    case VariantType::Text: return a.text_ == b.text_;
    case VariantType::Object: return a.object_ == b.object_;
    case VariantType::Array: return a.array_ == b.array_;
    default: return a.int_ == b.int_;
  }
}

// ---------------------------------------------------------------------------
// Text helpers

Text T(std::string_view ascii) { return Text(ascii.begin(), ascii.end()); }

std::string Narrow(const Text& t) {
  std::string out;
  out.reserve(t.size());
  for (size_t i = 0; i < t.size(); ++i) {
    uint32_t c = t[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < t.size() && t[i + 1] >= 0xDC00 && t[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (t[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;  // lone surrogate
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

namespace {

Text Ascii(const std::string& s) { return Text(s.begin(), s.end()); }

// ---------------------------------------------------------------------------
// Rounding

// Halves to even; exact, since v - trunc(v) is exact in binary floating point.
double RoundEven(double v) {
  const double whole = std::trunc(v);
  const double frac = v - whole;
  if (frac > 0.5) return whole + 1;
  if (frac < -0.5) return whole - 1;
  if (frac == 0.5 || frac == -0.5) {
    const bool odd = std::fmod(whole, 2.0) != 0;
    return odd ? whole + (frac > 0 ? 1 : -1) : whole;
  }
  return whole;
}

// A double to an integer of [lo, hi]: overflow below lo - 0.5 and from
// hi + 0.5 on, as the platform bounds it.
int64_t RoundDoubleTo(double v, int64_t lo, int64_t hi) {
  const double lo_bound = static_cast<double>(lo) - 0.5;
  const double hi_bound = static_cast<double>(hi) + 0.5;
  if (!(v >= lo_bound && v < hi_bound)) throw Error::Overflow();
  return static_cast<int64_t>(RoundEven(v));
}

// Currency (value * 10000) rounded half to even to a whole number.
int64_t RoundCurrency(int64_t scaled) {
  int64_t whole = scaled / 10000;
  const int64_t rest = scaled % 10000;  // same sign as scaled
  if (rest > 5000 || (rest == 5000 && (whole & 1))) ++whole;
  if (rest < -5000 || (rest == -5000 && (whole & 1))) --whole;
  return whole;
}

// ---------------------------------------------------------------------------
// Number parsing, with every standard flag of the platform's parser and the
// US English characters: blanks, '+', '-', '$' and '(' before the number;
// blanks, '+', '-', '$', ',' and ')' after it; ',' anywhere but first; one
// '.'; an exponent; &H and &O prefixes. The quirks (where ',' may stand, what
// '$' rules out, signs ignored on &H) are the platform's, found by comparing.

constexpr size_t kMaxDigits = 1024;

struct ParsedNumber {
  std::vector<uint8_t> digits;  // significant digits, most significant first
  int pwr10 = 0;                // value = digits * 10^pwr10
  int base_shift = 0;           // 4 for &H, 3 for &O: digits are in that base
  bool negative = false;
};

bool IsBlank(char16_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

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

// The low bits of `width_mask`'s width read as a two's complement number.
int64_t AsSigned(uint64_t bits, uint64_t width_mask) {
  const uint64_t sign_bit = (width_mask >> 1) + 1;
  return (bits & sign_bit) ? static_cast<int64_t>(bits) - static_cast<int64_t>(width_mask) - 1
                           : static_cast<int64_t>(bits);
}

// The value of a &H/&O number. Overflow past 64 bits.
uint64_t BaseValue(const ParsedNumber& n) {
  uint64_t v = 0;
  for (uint8_t d : n.digits) {
    if (v > ((UINT64_MAX >> n.base_shift) - d)) throw Error::Overflow();
    v = (v << n.base_shift) + d;
  }
  return v;
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

bool EqualsNoCase(const Text& t, std::string_view ascii) {
  if (t.size() != ascii.size()) return false;
  for (size_t i = 0; i < t.size(); ++i) {
    char16_t a = t[i];
    char16_t b = static_cast<unsigned char>(ascii[i]);
    if (a >= u'a' && a <= u'z') a = a - u'a' + u'A';
    if (b >= u'a' && b <= u'z') b = b - u'a' + u'A';
    if (a != b) return false;
  }
  return true;
}

// ---------------------------------------------------------------------------
// Text forms

// The exact decimal digits of a finite, non-zero |v| rounded to `precision`
// significant digits, halves away from zero; returns the decimal exponent of
// the first digit.
int RoundedDigits(double v, int precision, std::string& digits) {
  // Every double has an exact decimal form of at most 767 significant digits.
  char buf[800];
  const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, 770);
  const std::string s(buf, res.ptr);
  const size_t epos = s.find('e');
  int exp10 = std::stoi(s.substr(epos + 1));
  std::string all = s.substr(0, 1) + s.substr(2, epos - 2);
  digits = all.substr(0, precision);
  if (all[precision] >= '5') {
    int i = precision - 1;
    while (i >= 0 && digits[i] == '9') digits[i--] = '0';
    if (i >= 0) {
      ++digits[i];
    } else {
      digits.insert(digits.begin(), '1');
      digits.pop_back();
      ++exp10;
    }
  }
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  return exp10;
}

// Like the C library's %.<precision>G, with the exponent as E+nn.
Text RealText(double v, int precision) {
  if (v == 0) return u"0";  // also negative zero
  if (std::isnan(v)) return u"NaN";
  if (std::isinf(v)) return v > 0 ? u"INF" : u"-INF";
  std::string digits;
  const int e = RoundedDigits(v, precision, digits);
  std::string out = v < 0 ? "-" : "";
  if (e < -4 || e >= precision) {
    out += digits[0];
    if (digits.size() > 1) out.append(1, '.').append(digits, 1);
    const int ae = e < 0 ? -e : e;
    out += e < 0 ? "E-" : "E+";
    if (ae < 10) out += '0';
    out += std::to_string(ae);
  } else if (e >= 0) {
    const size_t int_len = static_cast<size_t>(e) + 1;
    out.append(digits, 0, int_len);
    if (digits.size() < int_len) out.append(int_len - digits.size(), '0');
    if (digits.size() > int_len) out.append(1, '.').append(digits, int_len);
  } else {
    out.append("0.").append(static_cast<size_t>(-e - 1), '0').append(digits);
  }
  return Ascii(out);
}

Text CurrencyText(int64_t scaled) {
  const bool neg = scaled < 0;
  // Magnitude without overflow for the most negative value.
  const uint64_t mag = neg ? 0 - static_cast<uint64_t>(scaled) : static_cast<uint64_t>(scaled);
  std::string out = neg ? "-" : "";
  out += std::to_string(mag / 10000);
  std::string frac = std::to_string(mag % 10000);
  frac = std::string(4 - frac.size(), '0') + frac;
  while (!frac.empty() && frac.back() == '0') frac.pop_back();
  if (!frac.empty()) out += "." + frac;
  return Ascii(out);
}

// Days since 1899-12-30 to a civil date (proleptic Gregorian calendar).
void CivilFromDays(int64_t days, int& year, int& month, int& day) {
  // Days since 0000-03-01, split into 400-year eras of 146097 days.
  const int64_t z = days + 693899;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

// The platform's date text for locale 1033: "M/d/yyyy h:mm:ss tt", the date
// alone when the time is zero and the time alone when the day is zero. The
// time is rounded to the second, which can carry into the next day.
Text DateText(double date) {
  constexpr double kMinDate = -657434.0;  // 100-01-01
  constexpr double kMaxDate = 2958465.0;  // 9999-12-31
  if (!(date > kMinDate - 1.0 && date < kMaxDate + 1.0)) throw Error::InvalidCall();

  const double whole = std::trunc(date);
  const double partial = date - whole;
  const bool time_only = whole == 0.0;
  const bool date_only = !time_only && partial > -1e-12 && partial < 1e-12;

  // Time of day: the fraction's magnitude (negative dates count the time
  // forwards from midnight too), nudged against truncation.
  double t = std::fabs(date - whole) + 0.00000000001;
  if (t >= 1.0) t -= 0.00000000001;
  t *= 24.0;
  int hour = static_cast<int>(t);
  t -= hour;
  t *= 60.0;
  int minute = static_cast<int>(t);
  t -= minute;
  t *= 60.0;
  int second = static_cast<int>(t);
  t -= second;
  int64_t day_number = static_cast<int64_t>(whole);
  if (t > 0.5 && ++second == 60) {
    second = 0;
    if (++minute == 60) {
      minute = 0;
      if (++hour == 24) {
        hour = 0;
        ++day_number;
      }
    }
  }

  std::string out;
  if (!time_only) {
    int y, m, d;
    CivilFromDays(day_number, y, m, d);
    out = std::to_string(m) + "/" + std::to_string(d) + "/" + std::to_string(y);
  }
  if (!date_only) {
    if (!out.empty()) out += ' ';
    const int h12 = hour % 12 == 0 ? 12 : hour % 12;
    out += std::to_string(h12) + ":" + (minute < 10 ? "0" : "") + std::to_string(minute) + ":" +
           (second < 10 ? "0" : "") + std::to_string(second) + (hour < 12 ? " AM" : " PM");
  }
  return Ascii(out);
}

// The default value of an object, followed through objects whose default
// is an object; a type mismatch when there is none, or no end in sight.
Variant DefaultOf(const Variant& v) {
  Variant cur = v;
  for (int depth = 0; depth < 16 && cur.type() == VariantType::Object; ++depth) {
    if (!cur.object()) throw Error::TypeMismatch();
    std::optional<Variant> value = cur.object()->DefaultValue();
    if (!value) throw Error::TypeMismatch();
    cur = std::move(*value);
  }
  if (cur.type() == VariantType::Object) throw Error::TypeMismatch();
  return cur;
}

bool IsUnsigned64(const Variant& v) { return v.type() == VariantType::UI8; }

// An integer variant's value; UI8 keeps its bits in the signed storage.
double IntegerAsDouble(const Variant& v) {
  return IsUnsigned64(v) ? static_cast<double>(static_cast<uint64_t>(v.integer()))
                         : static_cast<double>(v.integer());
}

// Integer source to the range [lo, hi].
int64_t IntegerTo(const Variant& v, int64_t lo, int64_t hi) {
  if (IsUnsigned64(v) && v.integer() < 0) throw Error::Overflow();
  if (v.integer() < lo || v.integer() > hi) throw Error::Overflow();
  return v.integer();
}

int64_t ToRange(const Variant& v, int64_t lo, int64_t hi, uint64_t width_mask) {
  switch (v.type()) {
    case VariantType::Empty: return 0;
    case VariantType::Bool:
    case VariantType::I1:
    case VariantType::UI1:
    case VariantType::I2:
    case VariantType::I4:
    case VariantType::I8:
    case VariantType::UI8: return IntegerTo(v, lo, hi);
    case VariantType::UI2:
    case VariantType::UI4: {
      // The unsigned type of the target's own width changes type only: its
      // bits are taken as the signed value, as the platform does.
      const bool same_width = (v.type() == VariantType::UI2) == (width_mask == 0xFFFF);
      if (!same_width) return IntegerTo(v, lo, hi);
      return AsSigned(static_cast<uint64_t>(v.integer()), width_mask);
    }
    case VariantType::R4:
    case VariantType::R8:
    case VariantType::Date: return RoundDoubleTo(v.real(), lo, hi);
    case VariantType::Currency: {
      const int64_t r = RoundCurrency(v.integer());
      if (r < lo || r > hi) throw Error::Overflow();
      return r;
    }
    case VariantType::Text: return ParsedToInteger(ParseNumber(v.text()), lo, hi, width_mask);
    case VariantType::Object: return ToRange(DefaultOf(v), lo, hi, width_mask);
    default: throw Error::TypeMismatch();  // Null, Error, Array
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Public coercions

double RoundHalfEven(double v) noexcept {
  if (!std::isfinite(v)) return v;
  return RoundEven(v);
}

int32_t RoundToInt32(double v) { return static_cast<int32_t>(RoundDoubleTo(v, INT32_MIN, INT32_MAX)); }

Text ToText(const Variant& v) {
  switch (v.type()) {
    case VariantType::Empty: return Text();
    case VariantType::Text: return v.text();
    case VariantType::Bool: return v.integer() ? u"True" : u"False";
    case VariantType::I1:
    case VariantType::UI1:
    case VariantType::I2:
    case VariantType::UI2:
    case VariantType::I4:
    case VariantType::UI4:
    case VariantType::I8: return Ascii(std::to_string(v.integer()));
    case VariantType::UI8: return Ascii(std::to_string(static_cast<uint64_t>(v.integer())));
    case VariantType::R4: return RealText(v.real(), 7);
    case VariantType::R8: return RealText(v.real(), 15);
    case VariantType::Currency: return CurrencyText(v.integer());
    case VariantType::Date: return DateText(v.real());
    case VariantType::Object: return ToText(DefaultOf(v));
    default: throw Error::TypeMismatch();  // Null, Error, Array
  }
}

int16_t ToInt16(const Variant& v) { return static_cast<int16_t>(ToRange(v, INT16_MIN, INT16_MAX, 0xFFFF)); }

int32_t ToInt32(const Variant& v) {
  return static_cast<int32_t>(ToRange(v, INT32_MIN, INT32_MAX, 0xFFFFFFFF));
}

double ToDouble(const Variant& v) {
  switch (v.type()) {
    case VariantType::Empty: return 0;
    case VariantType::Bool:
    case VariantType::I1:
    case VariantType::UI1:
    case VariantType::I2:
    case VariantType::UI2:
    case VariantType::I4:
    case VariantType::UI4:
    case VariantType::I8:
    case VariantType::UI8: return IntegerAsDouble(v);
    case VariantType::R4:
    case VariantType::R8:
    case VariantType::Date: return v.real();
    case VariantType::Currency: return static_cast<double>(v.integer()) / 10000.0;
    case VariantType::Text: return ParsedToDouble(ParseNumber(v.text()));
    case VariantType::Object: return ToDouble(DefaultOf(v));
    default: throw Error::TypeMismatch();  // Null, Error, Array
  }
}

bool ToBool(const Variant& v) {
  switch (v.type()) {
    case VariantType::Empty: return false;
    case VariantType::Bool:
    case VariantType::I1:
    case VariantType::UI1:
    case VariantType::I2:
    case VariantType::UI2:
    case VariantType::I4:
    case VariantType::UI4:
    case VariantType::I8:
    case VariantType::UI8:
    case VariantType::Currency: return v.integer() != 0;
    case VariantType::R4:
    case VariantType::R8:
    case VariantType::Date: return v.real() != 0;
    case VariantType::Text: {
      // The words are compared up to the first NUL, as the platform does.
      const Text t = v.text().substr(0, v.text().find(u'\0'));
      if (EqualsNoCase(t, "True") || t == u"#TRUE#") return true;
      if (EqualsNoCase(t, "False") || t == u"#FALSE#") return false;
      return ToDouble(v) != 0;
    }
    case VariantType::Object: return ToBool(DefaultOf(v));
    default: throw Error::TypeMismatch();  // Null, Error, Array
  }
}

}  // namespace brivet
