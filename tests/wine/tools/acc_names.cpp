// What a screen reader is told about a form: the role and name that the
// system's standard accessible objects give the window and each control.
//   acc_names <title>
// One line for the window's client area (Wine 8 has no object for the whole
// window), "window<TAB>role<TAB>name<TAB>shortcut<TAB>text<TAB>late", then one
// for each visible child with a control id, the same with its id first: role
// is the role number, name and keyboard shortcut what the accessible object
// answers ("-" for none), text the window's own text, late the same three
// read late-bound, "role|name|shortcut" ("no answer" for a read that fails;
// Wine's system objects answer none). UTF-8.
#include <windows.h>
#include <oleacc.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Statically linked, the import library's IID_IAccessible resolves to a
// jump thunk rather than the GUID, so the GUID is spelt out here.
constexpr IID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

std::string Utf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                       nullptr, nullptr);
  std::string utf8(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), size, nullptr,
                      nullptr);
  return utf8;
}

// InternalGetWindowText sends no message to the form's busy thread.
std::wstring TextOf(HWND hwnd) {
  std::wstring text(1024, L'\0');
  text.resize(static_cast<size_t>(std::max(InternalGetWindowText(hwnd, text.data(), 1024), 0)));
  return text;
}

// What a late-bound read of a member of the object itself answers, as text
// ("-" for none), or "no answer" when the read fails.
std::wstring LateBound(IAccessible* acc, DISPID id) {
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  DISPPARAMS params{&self, nullptr, 1, 0};
  VARIANT answer;
  VariantInit(&answer);
  std::wstring text = L"no answer";
  if (SUCCEEDED(acc->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &params, &answer, nullptr,
                            nullptr))) {
    if (answer.vt == VT_I4) text = std::to_wstring(answer.lVal);
    else if (answer.vt == VT_BSTR && answer.bstrVal && SysStringLen(answer.bstrVal)) text.assign(answer.bstrVal);
    else text = L"-";
  }
  VariantClear(&answer);
  return text;
}

void Describe(const char* label, HWND hwnd, LONG object_id) {
  long role_number = -1;
  std::wstring name = L"-";
  std::wstring shortcut = L"-";
  std::wstring late_bound = L"-";
  IAccessible* acc = nullptr;
  if (SUCCEEDED(AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(object_id), kIidAccessible,
                                           reinterpret_cast<void**>(&acc))) &&
      acc) {
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    VARIANT role;
    VariantInit(&role);
    if (SUCCEEDED(acc->get_accRole(self, &role)) && role.vt == VT_I4) role_number = role.lVal;
    VariantClear(&role);
    BSTR got = nullptr;
    if (acc->get_accName(self, &got) == S_OK && got) name.assign(got, SysStringLen(got));
    SysFreeString(got);
    got = nullptr;
    if (acc->get_accKeyboardShortcut(self, &got) == S_OK && got) shortcut.assign(got, SysStringLen(got));
    SysFreeString(got);
    late_bound = LateBound(acc, DISPID_ACC_ROLE) + L"|" + LateBound(acc, DISPID_ACC_NAME) + L"|" +
                 LateBound(acc, DISPID_ACC_KEYBOARDSHORTCUT);
    acc->Release();
  }
  std::printf("%s\t%ld\t%s\t%s\t%s\t%s\n", label, role_number, Utf8(name).c_str(), Utf8(shortcut).c_str(),
              Utf8(TextOf(hwnd)).c_str(), Utf8(late_bound).c_str());
}

BOOL CALLBACK Collect(HWND hwnd, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: acc_names <title>\n");
    return 2;
  }
  HWND top = FindWindowW(nullptr, argv[1]);
  if (!top) {
    std::fprintf(stderr, "no window with that title\n");
    return 1;
  }
  CoInitialize(nullptr);
  Describe("window", top, OBJID_CLIENT);
  std::vector<HWND> children;
  EnumChildWindows(top, Collect, reinterpret_cast<LPARAM>(&children));
  for (HWND child : children) {
    const int id = GetDlgCtrlID(child);
    if (id >= 100 && IsWindowVisible(child)) Describe(std::to_string(id).c_str(), child, OBJID_CLIENT);
  }
  CoUninitialize();
  return 0;
}
