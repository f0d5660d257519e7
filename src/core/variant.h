// Portable automation variant and the coercion rules scripts expect.
// Type numbers equal the platform's variant type numbers, so the boundary
// can map between the two without a table.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/error.h"

namespace brivet {

using Text = std::u16string;

enum class VariantType : uint16_t {
  Empty = 0,
  Null = 1,
  I2 = 2,
  I4 = 3,
  R4 = 4,
  R8 = 5,
  Currency = 6,  // 64-bit integer scaled by 10000
  Date = 7,      // days since 1899-12-30, fraction = time of day
  Text = 8,
  Object = 9,
  Error = 10,  // a status code; the missing argument is Error(kParamNotFound)
  Bool = 11,
  Decimal = 14,  // an exact decimal number, held as its text ("-12.5", no exponent)
  I1 = 16,
  UI1 = 17,
  UI2 = 18,
  UI4 = 19,
  I8 = 20,
  UI8 = 21,
  Array = 0x2000,  // any array; its elements are never coerced
};

class Variant;

// An object held by a variant. Coercion uses its default value where it has one.
class ObjectRef {
 public:
  virtual ~ObjectRef() = default;
  // The object's default value, or nothing when it has none.
  virtual std::optional<Variant> DefaultValue() const = 0;
};

// An array held by a variant: opaque to the logic, kept so that it can be
// handed back unchanged.
class ArrayRef {
 public:
  virtual ~ArrayRef() = default;
};

class Variant {
 public:
  Variant() = default;  // empty

  static Variant Null();
  static Variant Missing();
  static Variant I2(int16_t v);
  static Variant I4(int32_t v);
  static Variant R4(float v);
  static Variant R8(double v);
  static Variant CurrencyScaled(int64_t scaled);  // value * 10000
  static Variant Date(double days);
  static Variant Str(Text v);
  static Variant Str(std::string_view ascii);
  static Variant Bool(bool v);
  static Variant DecimalText(Text exact);  // digits with an optional sign and point
  static Variant ErrorCode(int32_t code);
  static Variant Integer(VariantType type, int64_t v);  // I1, UI1, UI2, UI4, I8, UI8
  static Variant Object(std::shared_ptr<ObjectRef> obj);
  static Variant Array(std::shared_ptr<ArrayRef> arr);

  VariantType type() const noexcept { return type_; }
  bool IsEmpty() const noexcept { return type_ == VariantType::Empty; }
  bool IsNull() const noexcept { return type_ == VariantType::Null; }
  bool IsMissing() const noexcept;

  // Raw access; valid only for the matching type.
  int64_t integer() const noexcept { return int_; }  // integer types, Bool (-1/0), Error, Currency
  double real() const noexcept { return real_; }      // R4, R8, Date
  const Text& text() const noexcept { return text_; }  // Text, Decimal
  const std::shared_ptr<ObjectRef>& object() const noexcept { return object_; }
  const std::shared_ptr<ArrayRef>& array() const noexcept { return array_; }

  // Same type and value (reals by their bits, objects and arrays by identity).
  friend bool operator==(const Variant& a, const Variant& b) noexcept;

 private:
  static Variant Holding(VariantType type, int64_t integer, double real);

  VariantType type_ = VariantType::Empty;
  int64_t int_ = 0;
  double real_ = 0;
  Text text_;
  std::shared_ptr<ObjectRef> object_;
  std::shared_ptr<ArrayRef> array_;
};

// Coercions with the automation rules (US English locale). Each throws
// Error::TypeMismatch() for a value that cannot be coerced and
// Error::Overflow() for a number outside the target's range.
Text ToText(const Variant& v);
int16_t ToInt16(const Variant& v);
int32_t ToInt32(const Variant& v);
bool ToBool(const Variant& v);
double ToDouble(const Variant& v);

// Round to the nearest integer, halves to even.
double RoundHalfEven(double v) noexcept;
// Round half to even into a 32-bit integer; Error::Overflow() outside the range.
int32_t RoundToInt32(double v);

// ASCII <-> Text helpers for the logic's fixed texts.
Text T(std::string_view ascii);
std::string Narrow(const Text& t);  // UTF-8

}  // namespace brivet
