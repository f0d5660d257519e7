#include "variant_bridge.h"

#include <cstring>

#include "com_handles.h"

namespace brivet::com {

namespace {

// Decimal texts cross in US English: the logic reads "." as the point.
constexpr LCID kUsEnglish = 1033;

// An object passed by the caller; its default value is its DISPID_VALUE.
class DispatchObject final : public ObjectRef {
 public:
  explicit DispatchObject(IUnknown* unknown) : unknown_(unknown) {
    if (unknown) unknown->QueryInterface(IID_PPV_ARGS(&dispatch_));
  }
  std::optional<Variant> DefaultValue() const override {
    if (!dispatch_) return std::nullopt;
    DISPPARAMS none{};
    UniqueVariant value;
    if (FAILED(dispatch_->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT,
                                 DISPATCH_PROPERTYGET | DISPATCH_METHOD, &none, value.get(),
                                 nullptr, nullptr)))
      return std::nullopt;
    return FromVariant(*value.get());
  }
  IUnknown* unknown() const { return unknown_.Get(); }
  bool is_dispatch() const { return dispatch_ != nullptr; }

 private:
  ComPtr<IUnknown> unknown_;
  ComPtr<IDispatch> dispatch_;
};

// Any value the logic does not interpret (arrays, records, …): kept whole
// so that it can be handed back, never coerced.
class OpaqueValue final : public ArrayRef {
 public:
  explicit OpaqueValue(const VARIANT& v) { VariantCopy(value_.get(), const_cast<VARIANT*>(&v)); }
  const VARIANT* value() const { return value_.get(); }

 private:
  UniqueVariant value_;
};

}  // namespace

BSTR ToBstr(const Text& text) {
  BSTR b = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                             static_cast<UINT>(text.size()));
  if (!b && !text.empty()) throw Error(Fault::OutOfMemory);
  return b;
}

Text FromBstr(BSTR b) {
  if (!b) return Text();
  return Text(reinterpret_cast<const char16_t*>(b), SysStringLen(b));
}

Variant FromVariant(const VARIANT& in) {
  const VARTYPE vt = V_VT(&in);
  if (vt == (VT_BYREF | VT_VARIANT)) return in.pvarVal ? FromVariant(*in.pvarVal) : Variant();
  if (vt & VT_BYREF) {
    if (vt & VT_ARRAY) return Variant::Array(std::make_shared<OpaqueValue>(in));
    // A typed reference: read the value through a copy without the reference.
    UniqueVariant copy;
    if (FAILED(VariantCopyInd(copy.get(), const_cast<VARIANT*>(&in))))
      return Variant::Array(std::make_shared<OpaqueValue>(in));
    return FromVariant(*copy.get());
  }
  if (vt & VT_ARRAY) return Variant::Array(std::make_shared<OpaqueValue>(in));
  switch (vt) {
    case VT_EMPTY: return Variant();
    case VT_NULL: return Variant::Null();
    case VT_I2: return Variant::I2(V_I2(&in));
    case VT_I4: return Variant::I4(V_I4(&in));
    case VT_INT: return Variant::I4(V_INT(&in));
    case VT_R4: return Variant::R4(V_R4(&in));
    case VT_R8: return Variant::R8(V_R8(&in));
    case VT_CY: return Variant::CurrencyScaled(V_CY(&in).int64);
    case VT_DATE: return Variant::Date(V_DATE(&in));
    case VT_BSTR: return Variant::Str(FromBstr(V_BSTR(&in)));
    case VT_BOOL: return Variant::Bool(V_BOOL(&in) != VARIANT_FALSE);
    case VT_ERROR: return Variant::ErrorCode(V_ERROR(&in));
    case VT_I1: return Variant::Integer(VariantType::I1, V_I1(&in));
    case VT_UI1: return Variant::Integer(VariantType::UI1, V_UI1(&in));
    case VT_UI2: return Variant::Integer(VariantType::UI2, V_UI2(&in));
    case VT_UI4: return Variant::Integer(VariantType::UI4, V_UI4(&in));
    case VT_UINT: return Variant::Integer(VariantType::UI4, V_UINT(&in));
    case VT_I8: return Variant::Integer(VariantType::I8, V_I8(&in));
    case VT_UI8: return Variant::Integer(VariantType::UI8, static_cast<int64_t>(V_UI8(&in)));
    case VT_DISPATCH: return Variant::Object(std::make_shared<DispatchObject>(V_DISPATCH(&in)));
    case VT_UNKNOWN: return Variant::Object(std::make_shared<DispatchObject>(V_UNKNOWN(&in)));
    case VT_DECIMAL: {
      // Its exact text: a double would lose the digits past the fifteenth.
      UniqueVariant text;
      if (SUCCEEDED(VariantChangeTypeEx(text.get(), const_cast<VARIANT*>(&in), kUsEnglish, 0, VT_BSTR)))
        return Variant::DecimalText(FromBstr(V_BSTR(text.get())));
      break;
    }
    default: break;
  }
  return Variant::Array(std::make_shared<OpaqueValue>(in));
}

HRESULT ToVariant(const Variant& value, VARIANT* out) {
  VariantInit(out);
  switch (value.type()) {
    case VariantType::Empty: return S_OK;
    case VariantType::Null: V_VT(out) = VT_NULL; return S_OK;
    case VariantType::I2: V_VT(out) = VT_I2; V_I2(out) = static_cast<SHORT>(value.integer()); return S_OK;
    case VariantType::I4: V_VT(out) = VT_I4; V_I4(out) = static_cast<LONG>(value.integer()); return S_OK;
    case VariantType::R4: V_VT(out) = VT_R4; V_R4(out) = static_cast<float>(value.real()); return S_OK;
    case VariantType::R8: V_VT(out) = VT_R8; V_R8(out) = value.real(); return S_OK;
    case VariantType::Currency: V_VT(out) = VT_CY; V_CY(out).int64 = value.integer(); return S_OK;
    case VariantType::Date: V_VT(out) = VT_DATE; V_DATE(out) = value.real(); return S_OK;
    case VariantType::Text: {
      BSTR b = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(value.text().data()),
                                 static_cast<UINT>(value.text().size()));
      if (!b) return E_OUTOFMEMORY;
      V_VT(out) = VT_BSTR;
      V_BSTR(out) = b;
      return S_OK;
    }
    case VariantType::Decimal: {
      DECIMAL exact{};
      std::wstring text(value.text().begin(), value.text().end());
      const HRESULT hr = VarDecFromStr(text.data(), kUsEnglish, 0, &exact);
      if (FAILED(hr)) return hr;
      V_DECIMAL(out) = exact;  // sets the whole VARIANT, type included
      V_VT(out) = VT_DECIMAL;
      return S_OK;
    }
    case VariantType::Bool: V_VT(out) = VT_BOOL; V_BOOL(out) = value.integer() ? VARIANT_TRUE : VARIANT_FALSE; return S_OK;
    case VariantType::Error: V_VT(out) = VT_ERROR; V_ERROR(out) = static_cast<SCODE>(value.integer()); return S_OK;
    case VariantType::I1: V_VT(out) = VT_I1; V_I1(out) = static_cast<CHAR>(value.integer()); return S_OK;
    case VariantType::UI1: V_VT(out) = VT_UI1; V_UI1(out) = static_cast<BYTE>(value.integer()); return S_OK;
    case VariantType::UI2: V_VT(out) = VT_UI2; V_UI2(out) = static_cast<USHORT>(value.integer()); return S_OK;
    case VariantType::UI4: V_VT(out) = VT_UI4; V_UI4(out) = static_cast<ULONG>(value.integer()); return S_OK;
    case VariantType::I8: V_VT(out) = VT_I8; V_I8(out) = value.integer(); return S_OK;
    case VariantType::UI8: V_VT(out) = VT_UI8; V_UI8(out) = static_cast<ULONGLONG>(value.integer()); return S_OK;
    case VariantType::Object: {
      const auto* object = dynamic_cast<const DispatchObject*>(value.object().get());
      if (!object || !object->unknown()) {
        V_VT(out) = VT_DISPATCH;
        V_DISPATCH(out) = nullptr;
        return S_OK;
      }
      if (object->is_dispatch()) {
        V_VT(out) = VT_DISPATCH;
        return object->unknown()->QueryInterface(IID_PPV_ARGS(&V_DISPATCH(out)));
      }
      V_VT(out) = VT_UNKNOWN;
      V_UNKNOWN(out) = object->unknown();
      V_UNKNOWN(out)->AddRef();
      return S_OK;
    }
    case VariantType::Array: {
      const auto* opaque = dynamic_cast<const OpaqueValue*>(value.array().get());
      if (!opaque) return S_OK;
      return VariantCopyInd(out, const_cast<VARIANT*>(opaque->value()));
    }
  }
  return DISP_E_BADVARTYPE;
}

void WriteBack(const Variant& value, VARIANT& argument) {
  const VARTYPE vt = V_VT(&argument);
  if (!(vt & VT_BYREF) || argument.byref == nullptr) return;
  if (vt == (VT_BYREF | VT_VARIANT)) {
    UniqueVariant fresh;
    if (FAILED(ToVariant(value, fresh.get()))) return;
    VariantClear(argument.pvarVal);
    *argument.pvarVal = fresh.release();
    return;
  }
  // A typed variable: store the value converted to the variable's type.
  const VARTYPE target = vt & ~VT_BYREF;
  UniqueVariant fresh, converted;
  if (FAILED(ToVariant(value, fresh.get()))) return;
  if (FAILED(VariantChangeType(converted.get(), fresh.get(), VARIANT_ALPHABOOL, target))) return;
  switch (target) {
    case VT_BSTR:
      SysFreeString(*argument.pbstrVal);
      *argument.pbstrVal = V_BSTR(converted.get());
      V_VT(converted.get()) = VT_EMPTY;
      break;
    case VT_I2: *argument.piVal = V_I2(converted.get()); break;
    case VT_I4: *argument.plVal = V_I4(converted.get()); break;
    case VT_R4: *argument.pfltVal = V_R4(converted.get()); break;
    case VT_R8: *argument.pdblVal = V_R8(converted.get()); break;
    case VT_BOOL: *argument.pboolVal = V_BOOL(converted.get()); break;
    case VT_CY: *argument.pcyVal = V_CY(converted.get()); break;
    case VT_DATE: *argument.pdate = V_DATE(converted.get()); break;
    case VT_UI1: *argument.pbVal = V_UI1(converted.get()); break;
    default: break;
  }
}

}  // namespace brivet::com
