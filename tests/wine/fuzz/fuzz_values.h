// The arguments the dispatch fuzzer passes: every variant type a client can
// build, by value and by reference, with the objects and arrays they carry.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "robustness.h"

namespace robustness {

// An automation object whose default value (DISPID_VALUE) is `value_`, or
// which has none; counts its references so that a kept one shows.
class FuzzObject final : public IDispatch {
 public:
  enum class Kind { WithValue, NoValue, Failing, UnknownOnly, Itself };
  FuzzObject(Kind kind, const VARIANT* value) : kind_(kind) {
    VariantInit(&value_);
    if (value) VariantCopy(&value_, const_cast<VARIANT*>(value));
  }
  ~FuzzObject() { VariantClear(&value_); }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || (iid == IID_IDispatch && kind_ != Kind::UnknownOnly)) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs_; }  // owned by the pool
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override { return n ? (*n = 0, S_OK) : E_POINTER; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result,
                                   EXCEPINFO* exception, UINT*) override {
    if (id != DISPID_VALUE || kind_ == Kind::NoValue) return DISP_E_MEMBERNOTFOUND;
    if (kind_ == Kind::Failing) {
      if (exception) {
        *exception = EXCEPINFO{};
        exception->scode = E_FAIL;
        exception->bstrDescription = SysAllocString(L"object failed");
      }
      return DISP_E_EXCEPTION;
    }
    if (!result) return S_OK;
    if (kind_ == Kind::Itself) {
      V_VT(result) = VT_DISPATCH;
      V_DISPATCH(result) = this;
      AddRef();
      return S_OK;
    }
    return VariantCopy(result, &value_);
  }
  ULONG refs() const { return refs_; }

 private:
  Kind kind_;
  VARIANT value_;
  ULONG refs_ = 1;
};

// Fixed texts, objects and arrays, made once; each argument gets its own copy.
class ValuePool {
 public:
  ValuePool(const std::wstring& picture_path) {
    texts_ = {L"", L"abc", L"0", L"123", L"-1", L"2.5", L"-32768.5", L"32767.5", L"1e400", L"&H7FFF",
              L"  12  ", L"True", L"false", L"FF00AA", L"00ff7F", L"12/31/1999", L"\u00e9t\u00e9 \u4e2d",
              L"line\r\nbreak", L"a]b=c[d", L"C:\\brivet-nonexistent\\x.wav", picture_path};
    texts_.push_back(std::wstring(L"nul\0inside", 10));
    texts_.push_back(std::wstring(1, wchar_t(0xD800)) + L"high");
    texts_.push_back(L"low" + std::wstring(1, wchar_t(0xDC00)));
    texts_.push_back(std::wstring(1 << 19, L'x'));  // 1 MB of text
    std::wstring long_break(1 << 19, L'y');
    long_break[1000] = L'\n';
    texts_.push_back(long_break);
    long_text_ = texts_.size() - 2;
    // Beyond the random range: the longest text a word-wrapping box takes.
    texts_.push_back(std::wstring(4096, L'w'));
    // List texts up to a full list and one piece beyond, which adds nothing.
    for (const unsigned pieces : {2u, 1000u, 32767u, 32768u, 32769u}) {
      std::wstring list;
      for (unsigned i = 1; i <= pieces; ++i) list += (i > 1 ? L"," : L"") + std::to_wstring(i);
      list_texts_.push_back(std::move(list));
    }

    VARIANT v;
    VariantInit(&v);
    objects_.push_back(new FuzzObject(FuzzObject::Kind::NoValue, nullptr));
    objects_.push_back(new FuzzObject(FuzzObject::Kind::Failing, nullptr));
    objects_.push_back(new FuzzObject(FuzzObject::Kind::UnknownOnly, nullptr));
    V_VT(&v) = VT_I4, V_I4(&v) = 2;
    objects_.push_back(new FuzzObject(FuzzObject::Kind::WithValue, &v));
    V_VT(&v) = VT_R8, V_R8(&v) = std::numeric_limits<double>::quiet_NaN();
    objects_.push_back(new FuzzObject(FuzzObject::Kind::WithValue, &v));
    V_VT(&v) = VT_BSTR, V_BSTR(&v) = SysAllocString(L"object text");
    objects_.push_back(new FuzzObject(FuzzObject::Kind::WithValue, &v));
    VariantClear(&v);
    V_VT(&v) = VT_NULL;
    objects_.push_back(new FuzzObject(FuzzObject::Kind::WithValue, &v));
    // An object whose default value is an object, and one whose default is itself.
    V_VT(&v) = VT_DISPATCH, V_DISPATCH(&v) = objects_[3];
    objects_.push_back(new FuzzObject(FuzzObject::Kind::WithValue, &v));
    objects_.push_back(new FuzzObject(FuzzObject::Kind::Itself, nullptr));
    baseline_.clear();
    for (FuzzObject* o : objects_) baseline_.push_back(o->refs());
  }
  // The objects are left to the process's end: an object still referenced
  // by a faulty callee must not be freed under it.

  size_t text_count() const { return texts_.size() - 1; }
  size_t wrapping_text() const { return texts_.size() - 1; }
  BSTR Text(size_t i) const { return SysAllocStringLen(texts_[i].data(), static_cast<UINT>(texts_[i].size())); }
  size_t long_text() const { return long_text_; }
  size_t list_text_count() const { return list_texts_.size(); }
  BSTR ListText(size_t i) const {
    return SysAllocStringLen(list_texts_[i].data(), static_cast<UINT>(list_texts_[i].size()));
  }

  size_t object_count() const { return objects_.size(); }
  IDispatch* Object(size_t i) const {
    objects_[i]->AddRef();
    return objects_[i];
  }
  // Names every object whose references did not come back to where they were.
  bool ReferencesBalanced(unsigned long long call) const {
    bool ok = true;
    for (size_t i = 0; i < objects_.size(); ++i)
      if (objects_[i]->refs() != baseline_[i]) {
        std::printf("FAIL call %llu: object %zu holds %lu references, expected %lu\n", call, i,
                    objects_[i]->refs(), baseline_[i]);
        ok = false;
        baseline_[i] = objects_[i]->refs();  // report each imbalance once
      }
    return ok;
  }

 private:
  std::vector<std::wstring> texts_;
  std::vector<std::wstring> list_texts_;  // comma-separated, up to 32,769 pieces
  size_t long_text_ = 0;
  std::vector<FuzzObject*> objects_;
  mutable std::vector<ULONG> baseline_;
};

inline double FuzzDouble(Random& r) {
  static const double kSpecial[] = {0.0, -0.0, 0.5, -0.5, 1.5, 2.5, -2.5, 32767.5, -32768.5, 32768.0,
                                    2147483647.5, -2147483648.5, 4294967296.0, 1e300, -1e300, 5e-324,
                                    std::numeric_limits<double>::quiet_NaN(),
                                    std::numeric_limits<double>::infinity(),
                                    -std::numeric_limits<double>::infinity(), 255.0, 16777215.0};
  if (r.Chance(3)) {
    double d;
    const uint64_t bits = r.Next();
    std::memcpy(&d, &bits, sizeof d);
    return d;
  }
  if (r.Chance(2)) return kSpecial[r.Below(sizeof kSpecial / sizeof kSpecial[0])];
  return (static_cast<double>(r.Below(200001)) - 100000.0) / (1 + r.Below(4));
}

inline int64_t FuzzInteger(Random& r) {
  static const int64_t kSpecial[] = {0, 1, -1, 2, 3, 4, 255, 256, 32767, 32768, -32768, -32769,
                                     65535, 2147483647, -2147483647 - 1, 4294967295LL, 16777215,
                                     INT64_MAX, INT64_MIN};
  if (r.Chance(2)) return kSpecial[r.Below(sizeof kSpecial / sizeof kSpecial[0])];
  if (r.Chance(2)) return static_cast<int64_t>(r.Below(2000)) - 1000;
  return static_cast<int64_t>(r.Next());
}

// A safe array of several element types and dimensions.
inline SAFEARRAY* FuzzArray(Random& r, const ValuePool& pool) {
  static const VARTYPE kTypes[] = {VT_I4, VT_BSTR, VT_VARIANT, VT_UI1, VT_R8, VT_DISPATCH};
  const VARTYPE type = kTypes[r.Below(6)];
  const UINT dims = 1 + r.Below(3);
  SAFEARRAYBOUND bounds[3];
  for (UINT d = 0; d < dims; ++d) bounds[d] = {r.Below(4), static_cast<LONG>(r.Below(3)) - 1};
  SAFEARRAY* array = SafeArrayCreate(type, dims, bounds);
  if (!array) return nullptr;
  LONG index[3] = {};
  ULONG elements = 1;
  for (UINT d = 0; d < dims; ++d) elements *= bounds[d].cElements;
  for (ULONG e = 0; e < elements; ++e) {
    ULONG rest = e;
    for (UINT d = 0; d < dims; ++d) {
      index[d] = bounds[d].lLbound + static_cast<LONG>(rest % bounds[d].cElements);
      rest /= bounds[d].cElements;
    }
    if (type == VT_I4) {
      LONG value = static_cast<LONG>(FuzzInteger(r));
      SafeArrayPutElement(array, index, &value);
    } else if (type == VT_BSTR) {
      BSTR text = pool.Text(r.Below(6));
      SafeArrayPutElement(array, index, text);
      SysFreeString(text);
    } else if (type == VT_VARIANT) {
      VARIANT value;
      VariantInit(&value);
      V_VT(&value) = VT_BSTR;
      V_BSTR(&value) = pool.Text(r.Below(6));
      SafeArrayPutElement(array, index, &value);
      VariantClear(&value);
    } else if (type == VT_UI1) {
      BYTE value = static_cast<BYTE>(r.Next());
      SafeArrayPutElement(array, index, &value);
    } else if (type == VT_R8) {
      double value = FuzzDouble(r);
      SafeArrayPutElement(array, index, &value);
    } else {
      IDispatch* object = pool.Object(r.Below(static_cast<uint32_t>(pool.object_count())));
      SafeArrayPutElement(array, index, object);
      object->Release();
    }
  }
  return array;
}

// The simple (non-reference) variant types the fuzzer builds.
inline constexpr VARTYPE kValueTypes[] = {VT_EMPTY, VT_NULL,    VT_I1,   VT_UI1,  VT_I2,       VT_UI2,
                                          VT_I4,    VT_UI4,     VT_I8,   VT_UI8,  VT_INT,      VT_UINT,
                                          VT_R4,    VT_R8,      VT_CY,   VT_DATE, VT_DECIMAL,  VT_BOOL,
                                          VT_BSTR,  VT_ERROR,   VT_DISPATCH, VT_UNKNOWN, VT_ARRAY};

// Which long texts an argument may carry: any; only the one with a line
// break, which the settings file refuses to store; none past the length an
// edit control takes in reasonable time under Wine; or any, and now and
// then a list text of many pieces.
enum class Texts { Any, Unstorable, Short, List };

// Fills `out` with a value of a random type.
inline void FuzzValue(Random& r, const ValuePool& pool, VARIANT* out, Texts texts) {
  VariantInit(out);
  VARTYPE type = kValueTypes[r.Below(sizeof kValueTypes / sizeof kValueTypes[0])];
  // Texts and the missing value are what scripts pass most: weight them up.
  if (r.Chance(6)) type = VT_BSTR;
  if (r.Chance(12)) type = VT_ERROR;
  switch (type) {
    case VT_EMPTY: break;
    case VT_NULL: V_VT(out) = VT_NULL; break;
    case VT_I1: V_VT(out) = VT_I1; V_I1(out) = static_cast<CHAR>(FuzzInteger(r)); break;
    case VT_UI1: V_VT(out) = VT_UI1; V_UI1(out) = static_cast<BYTE>(FuzzInteger(r)); break;
    case VT_I2: V_VT(out) = VT_I2; V_I2(out) = static_cast<SHORT>(FuzzInteger(r)); break;
    case VT_UI2: V_VT(out) = VT_UI2; V_UI2(out) = static_cast<USHORT>(FuzzInteger(r)); break;
    case VT_I4: V_VT(out) = VT_I4; V_I4(out) = static_cast<LONG>(FuzzInteger(r)); break;
    case VT_UI4: V_VT(out) = VT_UI4; V_UI4(out) = static_cast<ULONG>(FuzzInteger(r)); break;
    case VT_I8: V_VT(out) = VT_I8; V_I8(out) = FuzzInteger(r); break;
    case VT_UI8: V_VT(out) = VT_UI8; V_UI8(out) = static_cast<ULONGLONG>(FuzzInteger(r)); break;
    case VT_INT: V_VT(out) = VT_INT; V_INT(out) = static_cast<INT>(FuzzInteger(r)); break;
    case VT_UINT: V_VT(out) = VT_UINT; V_UINT(out) = static_cast<UINT>(FuzzInteger(r)); break;
    case VT_R4:
      V_VT(out) = VT_R4;
      if (r.Chance(4)) {
        const uint32_t bits = static_cast<uint32_t>(r.Next());  // signalling NaNs among them
        std::memcpy(&V_R4(out), &bits, sizeof bits);
      } else {
        V_R4(out) = static_cast<float>(FuzzDouble(r));
      }
      break;
    case VT_R8: V_VT(out) = VT_R8; V_R8(out) = FuzzDouble(r); break;
    case VT_DATE: V_VT(out) = VT_DATE; V_DATE(out) = FuzzDouble(r); break;
    case VT_CY: V_VT(out) = VT_CY; V_CY(out).int64 = r.Chance(2) ? FuzzInteger(r) : FuzzInteger(r) * 5000; break;
    case VT_DECIMAL: {
      DECIMAL d{};
      d.scale = static_cast<BYTE>(r.Below(29));
      d.sign = r.Chance(2) ? DECIMAL_NEG : 0;
      d.Hi32 = r.Chance(2) ? static_cast<ULONG>(r.Next()) : 0;
      d.Lo64 = r.Chance(2) ? r.Next() : static_cast<ULONGLONG>(r.Below(100000));
      V_DECIMAL(out) = d;
      V_VT(out) = VT_DECIMAL;
      break;
    }
    case VT_BOOL: {
      static const VARIANT_BOOL kBools[] = {VARIANT_TRUE, VARIANT_FALSE, 1, 0x1234};
      V_VT(out) = VT_BOOL;
      V_BOOL(out) = kBools[r.Below(4)];
      break;
    }
    case VT_BSTR: {
      size_t i = r.Below(static_cast<uint32_t>(pool.text_count()));
      // The long texts cost a copy each: a smaller share.
      if (i >= pool.long_text() && !r.Chance(4)) i = r.Below(static_cast<uint32_t>(pool.long_text()));
      if (texts == Texts::Unstorable && i == pool.long_text()) i = pool.long_text() + 1;
      if (texts == Texts::Short && i >= pool.long_text()) i = pool.wrapping_text();
      V_VT(out) = VT_BSTR;
      if (texts == Texts::List && r.Chance(8))
        V_BSTR(out) = pool.ListText(r.Below(static_cast<uint32_t>(pool.list_text_count())));
      else
        V_BSTR(out) = r.Chance(40) ? nullptr : pool.Text(i);  // a null text is the empty text
      break;
    }
    case VT_ERROR:
      V_VT(out) = VT_ERROR;
      V_ERROR(out) = r.Chance(4) ? E_FAIL : DISP_E_PARAMNOTFOUND;  // mostly the missing value
      break;
    case VT_DISPATCH:
      V_VT(out) = VT_DISPATCH;
      V_DISPATCH(out) = r.Chance(8) ? nullptr : pool.Object(r.Below(static_cast<uint32_t>(pool.object_count())));
      break;
    case VT_UNKNOWN:
      V_VT(out) = VT_UNKNOWN;
      V_UNKNOWN(out) = r.Chance(8) ? nullptr : pool.Object(r.Below(static_cast<uint32_t>(pool.object_count())));
      break;
    default: {
      SAFEARRAY* array = r.Chance(10) ? nullptr : FuzzArray(r, pool);
      VARTYPE element = VT_I4;
      if (array) SafeArrayGetVartype(array, &element);
      V_VT(out) = VT_ARRAY | element;
      V_ARRAY(out) = array;
      break;
    }
  }
}

}  // namespace robustness
