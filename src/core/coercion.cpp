// The automation coercions with the US English rules of the platform's
// VariantChangeTypeEx (locale 1033): rounding, range bounds, and which
// source types convert to which targets.
#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <optional>
#include <string>

#include "core/number_formatting.h"
#include "core/number_parsing.h"
#include "core/text.h"
#include "core/variant.h"

namespace brivet {

using detail::AsSigned;
using detail::CurrencyText;
using detail::DateText;
using detail::ParsedToDouble;
using detail::ParsedToInteger;
using detail::ParseNumber;
using detail::RealText;

namespace {

Text Ascii(const std::string& s) { return Text(s.begin(), s.end()); }

// A double to an integer of [lo, hi]: overflow below lo - 0.5 and from
// hi + 0.5 on, as the platform bounds it.
int64_t RoundDoubleTo(double v, int64_t lo, int64_t hi) {
  const double lo_bound = static_cast<double>(lo) - 0.5;
  const double hi_bound = static_cast<double>(hi) + 0.5;
  if (!(v >= lo_bound && v < hi_bound)) throw Error::Overflow();
  return static_cast<int64_t>(RoundHalfEven(v));
}

// An exact decimal text to the nearest double.
double DecimalToDouble(const Text& exact) {
  const std::string ascii(exact.begin(), exact.end());  // digits, sign and point only
  double value = 0;
  const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
  if (error != std::errc() || end != ascii.data() + ascii.size()) throw Error::TypeMismatch();
  return value;
}

// Currency (value * 10000) rounded half to even to a whole number.
int64_t RoundCurrency(int64_t scaled) {
  int64_t whole = scaled / 10000;
  const int64_t rest = scaled % 10000;  // same sign as scaled
  if (rest > 5000 || (rest == 5000 && (whole & 1))) ++whole;
  if (rest < -5000 || (rest == -5000 && (whole & 1))) --whole;
  return whole;
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
    // Rounded from its exact digits, halves to even, however many there are.
    case VariantType::Decimal: return ParsedToInteger(ParseNumber(v.text()), lo, hi, width_mask);
    case VariantType::Object: return ToRange(DefaultOf(v), lo, hi, width_mask);
    default: throw Error::TypeMismatch();  // Null, Error, Array
  }
}

}  // namespace

double RoundHalfEven(double v) noexcept {
  const double whole = std::trunc(v);  // also infinities and NaN, unchanged
  const double frac = v - whole;       // exact in binary floating point
  if (!std::isfinite(v) || frac == 0) return v;
  if (frac > 0.5) return whole + 1;
  if (frac < -0.5) return whole - 1;
  if (frac == 0.5 || frac == -0.5) {
    const bool odd = std::fmod(whole, 2.0) != 0;
    return odd ? whole + (frac > 0 ? 1 : -1) : whole;
  }
  return whole;
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
    case VariantType::Decimal: return v.text();
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
    case VariantType::Decimal: return DecimalToDouble(v.text());
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
    case VariantType::Decimal: {
      const auto digits = ParseNumber(v.text()).digits;
      return std::any_of(digits.begin(), digits.end(), [](uint8_t d) { return d != 0; });
    }
    case VariantType::R4:
    case VariantType::R8:
    case VariantType::Date: return v.real() != 0;
    case VariantType::Text: {
      // The words are compared up to the first NUL, as the platform does.
      const std::u16string_view t = UpToNul(v.text());
      if (EqualsIgnoringCase(t, "True") || t == u"#TRUE#") return true;
      if (EqualsIgnoringCase(t, "False") || t == u"#FALSE#") return false;
      return ToDouble(v) != 0;
    }
    case VariantType::Object: return ToBool(DefaultOf(v));
    default: throw Error::TypeMismatch();  // Null, Error, Array
  }
}

}  // namespace brivet
