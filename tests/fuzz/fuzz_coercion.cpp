// The coercions on any variant: only the catalogue's errors come out, and
// the results agree with each other across target types.
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>

#include "core/variant.h"
#include "fuzz_input.h"

namespace brivet::fuzz {
namespace {

class Holder final : public ObjectRef {
 public:
  explicit Holder(std::optional<Variant> value) : value_(std::move(value)) {}
  std::optional<Variant> DefaultValue() const override { return value_; }

 private:
  std::optional<Variant> value_;
};

class Opaque final : public ArrayRef {};

// Digits, an optional sign and an optional point, as the boundary hands a
// decimal over.
Text DecimalDigits(Input& in) {
  const auto shape = in.Take<uint8_t>();
  const size_t count = 1 + in.Take<uint8_t>() % 29;
  Text digits;
  if (shape & 1) digits += u'-';
  for (size_t i = 0; i < count; ++i) digits += static_cast<char16_t>(u'0' + in.Take<uint8_t>() % 10);
  const size_t point = (shape >> 1) % (count + 1);
  if (point > 0 && point < count) digits.insert(digits.size() - point, 1, u'.');
  return digits;
}

Variant Build(Input& in, int depth) {
  static constexpr VariantType kIntegers[] = {VariantType::I1, VariantType::UI1, VariantType::UI2,
                                               VariantType::UI4, VariantType::I8, VariantType::UI8};
  switch (in.Take<uint8_t>() % 18) {
    case 0: return Variant();
    case 1: return Variant::Null();
    case 2: return Variant::I2(in.Take<int16_t>());
    case 3: return Variant::I4(in.Take<int32_t>());
    case 4: return Variant::R4(in.Take<float>());
    case 5: return Variant::R8(in.Take<double>());
    case 6: return Variant::CurrencyScaled(in.Take<int64_t>());
    case 7: return Variant::Date(in.Take<double>());
    case 8: return Variant::Str(in.Units(in.Take<uint8_t>()));
    case 9: return Variant::Str(in.Latin1());
    case 10: return Variant::Bool(in.Take<uint8_t>() & 1);
    case 11: return Variant::DecimalText(DecimalDigits(in));
    case 12: {
      const VariantType type = kIntegers[in.Take<uint8_t>() % 6];
      return Variant::Integer(type, in.Take<int64_t>());
    }
    case 13: return Variant::ErrorCode(in.Take<int32_t>());
    case 14: return Variant::Missing();
    case 15:
      return Variant::Object(std::make_shared<Holder>(
          depth < 3 ? std::optional<Variant>(Build(in, depth + 1)) : std::nullopt));
    case 16: return Variant::Object(std::make_shared<Holder>(std::nullopt));
    default: return Variant::Array(std::make_shared<Opaque>());
  }
}

// The result of one coercion, or the fault it raised; anything else thrown
// escapes and is reported as a crash.
template <typename T>
struct Outcome {
  std::optional<T> value;
  bool overflow = false;
};

template <typename T, typename F>
Outcome<T> Try(F coerce) {
  try {
    return {coerce(), false};
  } catch (const Error& e) {
    if (e.Is(Fault::Overflow)) return {std::nullopt, true};
    // A date outside the years 100 to 9999 has no text: an invalid argument.
    if (e.Is(Fault::TypeMismatch) || e.Is(Fault::InvalidCall)) return {std::nullopt, false};
    Broken("a coercion raised an error other than overflow, type mismatch or invalid argument");
  }
}

bool IsIntegerType(VariantType t) {
  switch (t) {
    case VariantType::I1: case VariantType::UI1: case VariantType::I2: case VariantType::I4:
    case VariantType::I8: case VariantType::UI8: return true;
    default: return false;
  }
}

// A 16-bit and a 32-bit coercion agree, except where the platform takes the
// bits of a same-width unsigned value or a hexadecimal text as they stand.
bool WidthsMustAgree(const Variant& v) {
  if (v.type() == VariantType::UI2 || v.type() == VariantType::UI4) return false;
  if (v.type() == VariantType::Text) return v.text().find(u'&') == Text::npos;
  return v.type() != VariantType::Object;
}

void CheckWidths(const Variant& v) {
  const auto wide = Try<int32_t>([&] { return ToInt32(v); });
  const auto narrow = Try<int16_t>([&] { return ToInt16(v); });
  if (!WidthsMustAgree(v)) return;
  if (wide.value) {
    const bool fits = *wide.value >= INT16_MIN && *wide.value <= INT16_MAX;
    if (fits && narrow.value != static_cast<int16_t>(*wide.value))
      Broken("a 32-bit result inside the 16-bit range differs from the 16-bit result");
    if (!fits && !narrow.overflow) Broken("a 32-bit result outside the 16-bit range is no 16-bit overflow");
  } else if (wide.overflow != narrow.overflow || narrow.value) {
    Broken("a 32-bit failure is a different 16-bit outcome");
  }
}

// The text's own value, read exactly: beyond the largest double it is infinite.
double ExactValue(const Text& text) {
  std::string narrow(text.begin(), text.end());
  return std::strtod(narrow.c_str(), nullptr);
}

// A number's text reads back as the same number (reals to their printed
// precision). At the top of the range a real's 15 digits may round up past
// the largest double ("1.79769313486232E+308"): that text reads back as an
// overflow, as the platform's does.
void CheckTextRoundTrip(const Variant& v) {
  const bool integer = IsIntegerType(v.type());
  const bool real = v.type() == VariantType::R8 || v.type() == VariantType::R4;
  if (!integer && !real) return;
  const double expected = ToDouble(v);
  if (!std::isfinite(expected)) return;
  const Text text = ToText(v);
  const auto back = Try<double>([&] { return ToDouble(Variant::Str(text)); });
  if (back.overflow && real && std::isinf(ExactValue(text))) return;
  if (!back.value) Broken("a number's text does not read back as a number");
  // Texts are read digit by digit in floating point, as the platform reads
  // them, so only integers that double holds exactly must come back exactly.
  const bool exact = std::fabs(expected) <= 9007199254740992.0;
  if (integer && exact && *back.value != expected) Broken("an integer's text reads back as another value");
  if (integer && !exact && std::fabs(*back.value - expected) > 1e-15 * std::fabs(expected))
    Broken("a large integer's text reads back too far from it");
  const double tolerance = v.type() == VariantType::R8 ? 1e-14 : 1e-6;
  if (real && std::fabs(*back.value - expected) > tolerance * std::fabs(expected))
    Broken("a real's text reads back too far from it");
}

}  // namespace
}  // namespace brivet::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace brivet;
  fuzz::Input in(data, size);
  const Variant v = fuzz::Build(in, 0);
  fuzz::Try<Text>([&] { return ToText(v); });
  fuzz::Try<bool>([&] { return ToBool(v); });
  fuzz::Try<double>([&] { return ToDouble(v); });
  fuzz::CheckWidths(v);
  fuzz::CheckTextRoundTrip(v);
  return 0;
}
