#include "accessible_win32.h"

#include <oleacc.h>

#include <atomic>
#include <optional>

#include "core/text.h"
#include "form/captions.h"
#include "form_window_detail.h"
#include "module_pin.h"

namespace brivet::win32 {

namespace {

// Spelt out: statically linked, the import library's symbol is a jump thunk.
constexpr IID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

std::atomic<long> g_live{0};

// oleacc, bound at the first request: most dialogs never meet a screen reader.
struct Oleacc {
  decltype(&CreateStdAccessibleObject) create_standard = nullptr;
  decltype(&LresultFromObject) lresult_from_object = nullptr;
};

const Oleacc& LoadOleacc() {
  static const Oleacc oleacc = [] {
    Oleacc o;
    // Kept for the life of the process: a library must not be freed while
    // the one that loaded it unloads.
    if (HMODULE module = LoadLibraryW(L"oleacc.dll")) {
      o.create_standard = reinterpret_cast<decltype(o.create_standard)>(
          reinterpret_cast<void*>(GetProcAddress(module, "CreateStdAccessibleObject")));
      o.lresult_from_object = reinterpret_cast<decltype(o.lresult_from_object)>(
          reinterpret_cast<void*>(GetProcAddress(module, "LresultFromObject")));
    }
    return o;
  }();
  return oleacc;
}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

BSTR ToBstr(const Text& text) {
  return SysAllocStringLen(Wide(text), static_cast<UINT>(text.size()));
}

// The system's object for the control, answering its own role and name;
// everything else is the system's. Only its own interfaces are answered, so
// every interface reached from it leads back to this object.
class ControlAccessible final : public IAccessible, public IOleWindow {
 public:
  ControlAccessible(ComPtr<IAccessible> standard, HWND hwnd, const AccessibleFacts& facts)
      : standard_(std::move(standard)), hwnd_(hwnd), facts_(facts) {
    ++g_live;
  }
  ~ControlAccessible() { --g_live; }

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == kIidAccessible) {
      *out = static_cast<IAccessible*>(this);
    } else if (riid == IID_IOleWindow) {
      *out = static_cast<IOleWindow*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP GetWindow(HWND* window) override {
    if (!window) return E_POINTER;
    *window = hwnd_;
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs_); }
  STDMETHODIMP_(ULONG) Release() override {
    const long left = --refs_;
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  STDMETHODIMP GetTypeInfoCount(UINT* count) override { return standard_->GetTypeInfoCount(count); }
  STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override {
    return standard_->GetTypeInfo(index, lcid, info);
  }
  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override {
    return standard_->GetIDsOfNames(riid, names, count, lcid, ids);
  }
  // Late-bound reads of what this object answers itself go to its own
  // entries, so that both kinds of caller are told the same.
  STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* arg_error) override {
    if (const auto own = OwnRead(id, flags, params, result)) return *own;
    return standard_->Invoke(id, riid, lcid, flags, params, result, exception, arg_error);
  }

  STDMETHODIMP get_accName(VARIANT child, BSTR* name) override {
    if (!IsSelf(child)) return standard_->get_accName(child, name);
    if (!name) return E_POINTER;
    *name = nullptr;
    try {
      const Text text = NamingText();
      if (text.empty()) return S_FALSE;
      *name = ToBstr(text);
    } catch (...) {
    }
    return *name ? S_OK : E_OUTOFMEMORY;
  }
  STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override {
    if (!IsSelf(child)) return standard_->get_accRole(child, role);
    if (!role) return E_POINTER;
    VariantInit(role);
    role->vt = VT_I4;
    role->lVal = facts_.role;
    return S_OK;
  }
  STDMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
    if (!IsSelf(child)) return standard_->get_accKeyboardShortcut(child, shortcut);
    if (!shortcut) return E_POINTER;
    *shortcut = nullptr;
    try {
      const auto key = facts_.access_keys ? form::AccessKeyOf(detail::WindowText(facts_.named_by))
                                          : std::nullopt;
      if (!key) return S_FALSE;
      *shortcut = ToBstr(Text(u"Alt+") + *key);
    } catch (...) {
    }
    return *shortcut ? S_OK : E_OUTOFMEMORY;
  }

  STDMETHODIMP get_accParent(IDispatch** parent) override { return standard_->get_accParent(parent); }
  STDMETHODIMP get_accChildCount(long* count) override { return standard_->get_accChildCount(count); }
  STDMETHODIMP get_accChild(VARIANT child, IDispatch** out) override { return standard_->get_accChild(child, out); }
  STDMETHODIMP get_accValue(VARIANT child, BSTR* value) override { return standard_->get_accValue(child, value); }
  STDMETHODIMP get_accDescription(VARIANT child, BSTR* text) override {
    return standard_->get_accDescription(child, text);
  }
  STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override { return standard_->get_accState(child, state); }
  STDMETHODIMP get_accHelp(VARIANT child, BSTR* help) override { return standard_->get_accHelp(child, help); }
  STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
    return standard_->get_accHelpTopic(file, child, topic);
  }
  STDMETHODIMP get_accFocus(VARIANT* child) override { return standard_->get_accFocus(child); }
  STDMETHODIMP get_accSelection(VARIANT* children) override { return standard_->get_accSelection(children); }
  STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) override {
    return standard_->get_accDefaultAction(child, action);
  }
  STDMETHODIMP accSelect(long flags, VARIANT child) override { return standard_->accSelect(flags, child); }
  STDMETHODIMP accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
    return standard_->accLocation(left, top, width, height, child);
  }
  STDMETHODIMP accNavigate(long direction, VARIANT start, VARIANT* end) override {
    return standard_->accNavigate(direction, start, end);
  }
  STDMETHODIMP accHitTest(long x, long y, VARIANT* child) override { return standard_->accHitTest(x, y, child); }
  STDMETHODIMP accDoDefaultAction(VARIANT child) override { return standard_->accDoDefaultAction(child); }
  STDMETHODIMP put_accName(VARIANT child, BSTR name) override { return standard_->put_accName(child, name); }
  STDMETHODIMP put_accValue(VARIANT child, BSTR value) override { return standard_->put_accValue(child, value); }

 private:
  // A read of the control's own name, role or shortcut, answered by the
  // entry a caller of the virtual table reaches; nothing for any other call.
  std::optional<HRESULT> OwnRead(DISPID id, WORD flags, const DISPPARAMS* params, VARIANT* result) {
    if (id != DISPID_ACC_NAME && id != DISPID_ACC_ROLE && id != DISPID_ACC_KEYBOARDSHORTCUT) return std::nullopt;
    if (!(flags & DISPATCH_PROPERTYGET) || !params || params->cNamedArgs != 0 || params->cArgs > 1)
      return std::nullopt;
    VARIANT child;
    VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = CHILDID_SELF;
    // The child is optional: omitted, it is the control itself.
    const VARIANT* given = params->cArgs == 1 ? &params->rgvarg[0] : nullptr;
    const bool omitted = !given || (given->vt == VT_ERROR && given->scode == DISP_E_PARAMNOTFOUND);
    if (!omitted && FAILED(VariantChangeType(&child, const_cast<VARIANT*>(given), 0, VT_I4))) return std::nullopt;
    if (!IsSelf(child)) return std::nullopt;
    VARIANT answer;
    VariantInit(&answer);
    HRESULT status;
    if (id == DISPID_ACC_ROLE) {
      status = get_accRole(child, &answer);
    } else {
      answer.vt = VT_BSTR;
      status = id == DISPID_ACC_NAME ? get_accName(child, &answer.bstrVal)
                                     : get_accKeyboardShortcut(child, &answer.bstrVal);
    }
    if (FAILED(status)) {
      VariantClear(&answer);
      return status;
    }
    if (result) {
      VariantInit(result);
      *result = answer;
    } else {
      VariantClear(&answer);
    }
    return S_OK;
  }

  Text NamingText() const {
    if (!IsWindow(hwnd_)) return {};
    const Text text = detail::WindowText(facts_.named_by);
    return facts_.access_keys ? form::WithoutAccessMarks(text) : text;
  }

  ModulePin pin_;  // a screen reader may hold it past the host's unload
  std::atomic<long> refs_{1};
  ComPtr<IAccessible> standard_;
  HWND hwnd_;
  AccessibleFacts facts_;
};

}  // namespace

std::optional<LRESULT> AnswerGetObject(HWND hwnd, WPARAM wparam, LPARAM lparam, const AccessibleFacts& facts) {
  if (static_cast<DWORD>(lparam) != static_cast<DWORD>(OBJID_CLIENT)) return std::nullopt;
  const Oleacc& oleacc = LoadOleacc();
  if (!oleacc.create_standard || !oleacc.lresult_from_object) return std::nullopt;
  ComPtr<IAccessible> standard;
  if (FAILED(oleacc.create_standard(hwnd, OBJID_CLIENT, kIidAccessible,
                                    reinterpret_cast<void**>(standard.GetAddressOf()))) ||
      !standard)
    return std::nullopt;
  ComPtr<IAccessible> ours;
  ours.Attach(new (std::nothrow) ControlAccessible(standard, hwnd, facts));
  if (!ours) return std::nullopt;
  const LRESULT answer = oleacc.lresult_from_object(kIidAccessible, wparam, ours.Get());
  if (FAILED(static_cast<HRESULT>(answer))) return std::nullopt;
  return answer;
}

long LiveAccessibleObjects() noexcept { return g_live.load(); }

}  // namespace brivet::win32
