#include "window_object.h"

#include <array>
#include <atomic>
#include <new>
#include <span>
#include <vector>

#include "backends/win32/platform_win32.h"
#include "com_handles.h"
#include "interface/dispatcher.h"
#include "module.h"
#include "variant_bridge.h"
#include "window/window.h"

namespace brivet::com {

namespace {

constexpr const char16_t* kSource = u"Brivet.Window";

void FillException(const Error& error, EXCEPINFO* info) {
  *info = EXCEPINFO{};
  info->bstrSource = ToBstr(kSource);
  info->bstrDescription = ToBstr(T(error.what()));
  info->scode = error.code();
}

// Publishes the error for callers of the virtual table.
HRESULT ReportError(const Error& error) {
  ComPtr<ICreateErrorInfo> create;
  if (SUCCEEDED(CreateErrorInfo(&create))) {
    const Text description = T(error.what());
    create->SetGUID(IID__Window2);
    create->SetSource(const_cast<LPOLESTR>(reinterpret_cast<LPCOLESTR>(kSource)));
    create->SetDescription(const_cast<LPOLESTR>(reinterpret_cast<LPCOLESTR>(description.c_str())));
    ComPtr<IErrorInfo> info;
    if (SUCCEEDED(create.As(&info))) SetErrorInfo(0, info.Get());
  }
  return error.code();
}

// The status of a failed call: an exception for Invoke's caller, error info
// and the error's own status for a caller of the virtual table.
HRESULT Failed(const Error& error, EXCEPINFO* exception) {
  if (!exception) return ReportError(error);
  FillException(error, exception);
  return DISP_E_EXCEPTION;
}

// Runs a routine, turning every escaping error into its status.
template <typename Body>
HRESULT Guarded(Body&& body, EXCEPINFO* exception = nullptr) noexcept {
  try {
    return body();
  } catch (const Error& error) {
    return Failed(error, exception);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (const std::exception& other) {
    return Failed(Error::Toolkit(other.what()), exception);
  }
}

// Arguments of one call, read from the caller's VARIANTs and written back
// into the caller's variables where a routine changed them, also when the
// routine then failed. The caller's variables are the referenced ones; an
// argument of Invoke passed by value is the caller's own copy and is never
// written, while an in/out VARIANT* of the virtual table is the variable.
// As many as a member takes are held in place, not on the heap: a trivial
// call is little more than its allocations otherwise.
class Arguments {
 public:
  enum class ByValue { Copy, Variable };
  static constexpr size_t kHeldInPlace = 4;

  Arguments(VARIANT* const* raw, size_t count, ByValue by_value) : raw_(raw), count_(count), by_value_(by_value) {
    if (count > kHeldInPlace) {
      more_values_.resize(count);
      more_before_.resize(count);
    }
    Variant* values = count > kHeldInPlace ? more_values_.data() : values_.data();
    Variant* before = count > kHeldInPlace ? more_before_.data() : before_.data();
    for (size_t i = 0; i < count; ++i) {
      values[i] = raw[i] ? FromVariant(*raw[i]) : Variant::Missing();
      before[i] = values[i];
    }
    values_span_ = std::span<Variant>(values, count);
    before_span_ = std::span<const Variant>(before, count);
  }
  // Written in declaration order (the array holds the last argument first),
  // so a variable passed for several parameters ends with the last one's
  // value, as if each had been assigned in turn.
  ~Arguments() {
    for (size_t i = count_; i-- > 0;)
      if (raw_[i] && (Changed(i) || SharesChangedVariable(i))) WriteBackTo(*raw_[i], values_span_[i]);
  }
  Arguments(const Arguments&) = delete;
  Arguments& operator=(const Arguments&) = delete;

  std::span<Variant> values() { return values_span_; }

 private:
  bool Changed(size_t index) const { return !(values_span_[index] == before_span_[index]); }
  bool SharesChangedVariable(size_t index) const {
    const VARIANT& a = *raw_[index];
    if (!(V_VT(&a) & VT_BYREF)) return false;
    for (size_t j = 0; j < count_; ++j)
      if (j != index && raw_[j] && (V_VT(raw_[j]) & VT_BYREF) && raw_[j]->byref == a.byref && Changed(j))
        return true;
    return false;
  }
  void WriteBackTo(VARIANT& target, const Variant& value) const {
    if (V_VT(&target) & VT_BYREF) {
      WriteBack(value, target);
    } else if (by_value_ == ByValue::Variable) {
      UniqueVariant fresh;
      if (FAILED(ToVariant(value, fresh.get()))) return;
      VariantClear(&target);
      target = fresh.release();
    }
  }
  VARIANT* const* raw_;
  size_t count_;
  ByValue by_value_;
  std::array<Variant, kHeldInPlace> values_;
  std::array<Variant, kHeldInPlace> before_;
  std::vector<Variant> more_values_;
  std::vector<Variant> more_before_;
  std::span<Variant> values_span_;
  std::span<const Variant> before_span_;
};

class WindowObject;
struct ReleaseObject {
  void operator()(WindowObject* object) const noexcept;
};

class WindowObject final : public _Window2, public ISupportErrorInfo {
 public:
  WindowObject() { ObjectCreated(); }
  ~WindowObject() {
    logic_.reset();  // the destruction step runs while the module counts this object
    ObjectDestroyed();
  }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID__Window || riid == IID__Window2) {
      *out = static_cast<_Window2*>(this);
    } else if (riid == IID_ISupportErrorInfo) {
      *out = static_cast<ISupportErrorInfo*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  // ISupportErrorInfo
  STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override {
    return riid == IID__Window || riid == IID__Window2 ? S_OK : S_FALSE;
  }

  // IDispatch
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    return WindowTypeInfo(info);
  }
  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                             DISPID* ids) override {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (!names || !ids || count == 0) return E_INVALIDARG;
    HRESULT hr = S_OK;
    const auto view = [](LPOLESTR s) {
      return std::u16string_view(reinterpret_cast<const char16_t*>(s));
    };
    const auto member = dispatch::DispIdOfName(view(names[0]));
    ids[0] = member ? *member : DISPID_UNKNOWN;
    if (!member) hr = DISP_E_UNKNOWNNAME;
    for (UINT i = 1; i < count; ++i) {
      const auto param = member ? dispatch::ParamIndexOfName(*member, view(names[i])) : std::nullopt;
      ids[i] = param ? *param : DISPID_UNKNOWN;
      if (!param) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
  }
  STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* exception, UINT* arg_error) override {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    DISPPARAMS none{};
    if (!params) params = &none;
    if (params->cArgs > 0 && !params->rgvarg) return E_INVALIDARG;
    if (params->cNamedArgs > params->cArgs) return E_INVALIDARG;
    if (params->cNamedArgs > 0 && !params->rgdispidNamedArgs) return E_INVALIDARG;
    return Guarded(
        [&]() -> HRESULT {
          // The arguments' addresses, in place for as many as a member takes.
          std::array<VARIANT*, Arguments::kHeldInPlace> held;
          std::vector<VARIANT*> more;
          VARIANT** raw = held.data();
          if (params->cArgs > held.size()) {
            more.resize(params->cArgs);
            raw = more.data();
          }
          for (UINT i = 0; i < params->cArgs; ++i) raw[i] = &params->rgvarg[i];
          Variant value;
          dispatch::Refusal refusal;
          {
            Arguments args(raw, params->cArgs, Arguments::ByValue::Copy);
            dispatch::Call call;
            call.dispid = id;
            call.flags = flags;
            call.args = args.values();
            call.named = std::span<const int32_t>(
                reinterpret_cast<const int32_t*>(params->rgdispidNamedArgs), params->cNamedArgs);
            call.result = &value;
            refusal = dispatch::Invoke(*logic_, call);
          }
          if (refusal.status != status::kOk) {
            if (arg_error) *arg_error = refusal.arg_error;
            return refusal.status;
          }
          if (result) {
            VariantClear(result);
            return ToVariant(value, result);
          }
          return S_OK;
        },
        exception);
  }

  // The virtual table: each entry runs its member's routine from the table.
  STDMETHODIMP get_Window(BSTR* value) override {
    if (!value) return E_POINTER;
    return Guarded([&]() -> HRESULT {
      *value = ToBstr(logic_->window_text());
      return S_OK;
    });
  }
  STDMETHODIMP put_Window(BSTR value) override {
    return Guarded([&]() -> HRESULT {
      logic_->set_window_text(FromBstr(value));
      return S_OK;
    });
  }
  STDMETHODIMP put_Title(VARIANT* a) override { return Put<"Title">(a); }
  STDMETHODIMP put_Caption(VARIANT* a) override { return Put<"Caption">(a); }
  STDMETHODIMP put_Picture(VARIANT* a) override { return Put<"Picture">(a); }
  STDMETHODIMP put_ShowTextBox(VARIANT* a, VARIANT* b, VARIANT* c, VARIANT* d) override {
    return Put<"ShowTextBox">(a, b, c, d);
  }
  STDMETHODIMP put_Text1Caption(VARIANT* a) override { return Put<"Text1Caption">(a); }
  STDMETHODIMP put_Text2Caption(VARIANT* a) override { return Put<"Text2Caption">(a); }
  STDMETHODIMP put_Text1Text(VARIANT* a) override { return Put<"Text1Text">(a); }
  STDMETHODIMP put_Text2Text(VARIANT* a) override { return Put<"Text2Text">(a); }
  STDMETHODIMP put_TextFontLarge(VARIANT* a) override { return Put<"TextFontLarge">(a); }
  STDMETHODIMP put_TextFontBold(VARIANT* a) override { return Put<"TextFontBold">(a); }
  STDMETHODIMP Text1Select(VARIANT* a, VARIANT* b) override { return Run<"Text1Select">(a, b); }
  STDMETHODIMP put_ShowButtons(VARIANT* a) override { return Put<"ShowButtons">(a); }
  STDMETHODIMP put_Button1Caption(VARIANT* a) override { return Put<"Button1Caption">(a); }
  STDMETHODIMP put_Button2Caption(VARIANT* a) override { return Put<"Button2Caption">(a); }
  STDMETHODIMP put_Button3Caption(VARIANT* a) override { return Put<"Button3Caption">(a); }
  STDMETHODIMP put_ButtonColor(VARIANT* a) override { return Put<"ButtonColor">(a); }
  STDMETHODIMP put_WindowColor(VARIANT* a) override { return Put<"WindowColor">(a); }
  STDMETHODIMP put_TextColor(VARIANT* a) override { return Put<"TextColor">(a); }
  STDMETHODIMP Show() override { return Run<"Show">(); }
  STDMETHODIMP Hide() override { return Run<"Hide">(); }
  STDMETHODIMP put_Persist(VARIANT* a) override { return Put<"Persist">(a); }
  STDMETHODIMP Reset() override { return Run<"Reset">(); }
  STDMETHODIMP ShowList() override { return Run<"ShowList">(); }
  STDMETHODIMP ClearList() override { return Run<"ClearList">(); }
  STDMETHODIMP LoadList(VARIANT* a) override { return Run<"LoadList">(a); }
  STDMETHODIMP GetList(VARIANT* r) override { return Get<"GetList">(r); }
  STDMETHODIMP AddToList(VARIANT* a) override { return Run<"AddToList">(a); }
  STDMETHODIMP RemoveSelListItem(VARIANT* r) override { return Get<"RemoveSelListItem">(r); }
  STDMETHODIMP ChooseFileOpen(VARIANT* r) override { return Get<"ChooseFileOpen">(r); }
  STDMETHODIMP ChooseFileSave(VARIANT* r) override { return Get<"ChooseFileSave">(r); }
  STDMETHODIMP ChooseFolder(VARIANT* a, VARIANT* r) override { return Get<"ChooseFolder">(r, a); }
  STDMETHODIMP ChooseColorRGB(VARIANT* a, VARIANT* b, VARIANT* c, VARIANT* r) override {
    return Get<"ChooseColorRGB">(r, a, b, c);
  }
  STDMETHODIMP ChooseColorHex(VARIANT* r) override { return Get<"ChooseColorHex">(r); }
  STDMETHODIMP Response(VARIANT* a, VARIANT* b, VARIANT* c, VARIANT* r) override {
    return Get<"Response">(r, a, b, c);
  }
  STDMETHODIMP GetInfo(VARIANT* a, VARIANT* b, VARIANT* c, VARIANT* r) override {
    return Get<"GetInfo">(r, a, b, c);
  }
  STDMETHODIMP SaveInfo(VARIANT* a, VARIANT* b, VARIANT* c, VARIANT* r) override {
    return Get<"SaveInfo">(r, a, b, c);
  }
  STDMETHODIMP DeleteInfo(VARIANT* a, VARIANT* b, VARIANT* r) override {
    return Get<"DeleteInfo">(r, a, b);
  }
  STDMETHODIMP PlaySound(VARIANT* a) override { return Run<"PlaySound">(a); }
  STDMETHODIMP get_ResponseCode(VARIANT* r) override { return Read<"ResponseCode">(r); }
  STDMETHODIMP get_ResponseText1(VARIANT* r) override { return Read<"ResponseText1">(r); }
  STDMETHODIMP get_ResponseText2(VARIANT* r) override { return Read<"ResponseText2">(r); }
  STDMETHODIMP get_ResponseListItem(VARIANT* r) override { return Read<"ResponseListItem">(r); }
  // Arguments passed by value: the caller's copies, never written.
  STDMETHODIMP GetInfoValue(VARIANT a, VARIANT b, VARIANT* r) override {
    return Get<"GetInfoValue">(r, &a, &b);
  }
  STDMETHODIMP ShowTextBoxes(VARIANT a, VARIANT b, VARIANT c, VARIANT d) override {
    return Run<"ShowTextBoxes">(&a, &b, &c, &d);
  }

  std::unique_ptr<window::Window> logic_;

 private:
  // Each entry of the virtual table names its member; the member's place
  // in the table is found by that name at compile time, and the entry's
  // arguments are checked against the member's parameters there too.
  template <dispatch::MemberName Name, typename... Args>
  HRESULT Put(Args*... args) {
    return Entry<dispatch::IndexOf(Name.view(), dispatch::MemberKind::PropertyPut), false>(
        nullptr, args...);
  }
  template <dispatch::MemberName Name, typename... Args>
  HRESULT Run(Args*... args) {
    return Entry<dispatch::IndexOf(Name.view(), dispatch::MemberKind::Method), false>(nullptr,
                                                                                      args...);
  }
  template <dispatch::MemberName Name>
  HRESULT Read(VARIANT* result) {
    return Entry<dispatch::IndexOf(Name.view(), dispatch::MemberKind::PropertyGet), true>(result);
  }
  template <dispatch::MemberName Name, typename... Args>
  HRESULT Get(VARIANT* result, Args*... args) {
    return Entry<dispatch::IndexOf(Name.view(), dispatch::MemberKind::Method), true>(result,
                                                                                     args...);
  }

  // Calls member `Index` of the table with the caller's in/out arguments
  // (or, for a member whose parameters are by value, the copies it was
  // handed); an omitted optional arrives as a null pointer or the missing
  // value.
  template <int Index, bool HasResult, typename... Args>
  HRESULT Entry(VARIANT* result, Args*... arguments) {
    constexpr const dispatch::Member& member = dispatch::Members()[Index];
    static_assert(member.param_count == sizeof...(Args), "the entry's arguments are the member's");
    static_assert(member.has_result == HasResult, "the entry returns what the member returns");
    constexpr bool by_value = member.param_count > 0 && member.params[0].by_value;
    if (HasResult && !result) return E_POINTER;
    VARIANT* raw[sizeof...(Args) + 1] = {arguments..., nullptr};
    return Guarded([&]() -> HRESULT {
      Variant value;
      {
        Arguments args(raw, sizeof...(Args), by_value ? Arguments::ByValue::Copy : Arguments::ByValue::Variable);
        std::array<Variant*, 4> slots{};
        for (size_t i = 0; i < args.values().size(); ++i) slots[i] = &args.values()[i];
        member.call(*logic_, slots.data(), &value);
      }
      if (result) {
        VariantInit(result);
        return ToVariant(value, result);
      }
      return S_OK;
    });
  }

  std::atomic<ULONG> refs_{1};
};

void ReleaseObject::operator()(WindowObject* object) const noexcept { object->Release(); }

}  // namespace

HRESULT CreateWindowObject(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  return Guarded([&]() -> HRESULT {
    // The factory's own reference; the caller's comes from QueryInterface.
    // The object counts before the platform is installed, so that an unload
    // check on another thread cannot remove the platform under it.
    std::unique_ptr<WindowObject, ReleaseObject> created(new WindowObject());
    win32::InstallWin32Platform(ModuleHandle());
    created->logic_ = std::make_unique<window::Window>();
    return created->QueryInterface(riid, object);
  });
}

}  // namespace brivet::com
