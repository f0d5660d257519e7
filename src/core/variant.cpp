// The automation variant: construction and identity.
#include "core/variant.h"

#include <cstring>

namespace brivet {

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

Variant Variant::DecimalText(Text exact) {
  Variant v;
  v.type_ = VariantType::Decimal;
  v.text_ = std::move(exact);
  return v;
}

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
    // The same bits: a NaN is the value it was, 0 and -0 are two values.
    case VariantType::Date: return std::memcmp(&a.real_, &b.real_, sizeof a.real_) == 0;
    case VariantType::Text:
    case VariantType::Decimal: return a.text_ == b.text_;
    case VariantType::Object: return a.object_ == b.object_;
    case VariantType::Array: return a.array_ == b.array_;
    default: return a.int_ == b.int_;
  }
}

}  // namespace brivet
