// Looks at the dialog's windows from inside the host: which controls they
// are, their theme, fonts and dpi awareness, and the layout after a move to
// a monitor of twice the dpi. The host's thread is dpi unaware and the
// system's message font is set to another face first (and put back after).
// Prints each finding and one line per failed check; exit status 0 when all
// passed.
#include <windows.h>
#include <oleauto.h>

#include <cmath>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "check.h"

namespace {

constexpr wchar_t kFace[] = L"Segoe UI";
// frbut1 and its button, as the toolkit numbers its controls' windows.
constexpr int kFirstButtonFrameId = 100 + 6;
constexpr int kFirstButtonId = 100 + 7;

template <typename F>
F Bind(const wchar_t* module, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(LoadLibraryW(module), name)));
}
const auto SetThreadAwareness = Bind<void*(WINAPI*)(void*)>(L"user32.dll", "SetThreadDpiAwarenessContext");
const auto GetThreadAwareness = Bind<void*(WINAPI*)()>(L"user32.dll", "GetThreadDpiAwarenessContext");
const auto WindowAwarenessContext = Bind<void*(WINAPI*)(HWND)>(L"user32.dll", "GetWindowDpiAwarenessContext");
const auto AwarenessOf = Bind<int(WINAPI*)(void*)>(L"user32.dll", "GetAwarenessFromDpiAwarenessContext");
const auto DpiForWindow = Bind<UINT(WINAPI*)(HWND)>(L"user32.dll", "GetDpiForWindow");
const auto WindowTheme = Bind<HANDLE(WINAPI*)(HWND)>(L"uxtheme.dll", "GetWindowTheme");

void Call(IDispatch* d, const wchar_t* name, WORD flags, std::vector<VARIANT> args) {
  DISPID id;
  auto* n = const_cast<LPOLESTR>(name);
  if (FAILED(d->GetIDsOfNames(IID_NULL, &n, 1, 0, &id))) {
    std::printf("FAIL no member %ls\n", name);
    ++failures;
    return;
  }
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS params{args.data(), nullptr, static_cast<UINT>(args.size()), 0};
  if (flags == DISPATCH_PROPERTYPUT) params = {args.data(), &put, static_cast<UINT>(args.size()), 1};
  VARIANT result;
  VariantInit(&result);
  if (FAILED(d->Invoke(id, IID_NULL, 0, flags, &params, &result, nullptr, nullptr))) {
    std::printf("FAIL %ls\n", name);
    ++failures;
  }
  VariantClear(&result);
}

VARIANT Str(const wchar_t* s) {
  VARIANT v;
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocString(s);
  return v;
}

VARIANT Int(int i) {
  VARIANT v;
  v.vt = VT_I4;
  v.lVal = i;
  return v;
}

std::wstring ClassOf(HWND h) {
  wchar_t name[64] = {};
  GetClassNameW(h, name, 64);
  return name;
}

// The file name of the module that holds the window class's procedure.
std::wstring ProcedureModule(HWND h) {
  HMODULE module = nullptr;
  const auto proc = reinterpret_cast<LPCWSTR>(GetClassLongPtrW(h, GCLP_WNDPROC));
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          proc, &module))
    return L"?";
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(module, path, MAX_PATH);
  const wchar_t* slash = std::wcsrchr(path, L'\\');
  std::wstring file = slash ? slash + 1 : path;
  for (auto& ch : file) ch = static_cast<wchar_t>(towlower(ch));
  return file;
}

struct Child {
  HWND hwnd;
  RECT rect;  // in the form's client area
};

BOOL CALLBACK Collect(HWND h, LPARAM p) {
  reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
  return TRUE;
}

std::vector<Child> Children(HWND form) {
  std::vector<HWND> all;
  EnumChildWindows(form, Collect, reinterpret_cast<LPARAM>(&all));
  std::vector<Child> out;
  for (HWND h : all) {
    RECT r;
    GetWindowRect(h, &r);
    MapWindowPoints(HWND_DESKTOP, form, reinterpret_cast<POINT*>(&r), 2);
    out.push_back({h, r});
  }
  return out;
}

BOOL CALLBACK FindForm(HWND h, LPARAM p) {
  if (ClassOf(h) != L"BrivetForm" || !IsWindowVisible(h)) return TRUE;
  *reinterpret_cast<HWND*>(p) = h;
  return FALSE;
}

void Inspect(HWND form) {
  // Awareness: the dialog's own, whatever the host thread's.
  const int awareness = AwarenessOf(WindowAwarenessContext(form));
  std::printf("dialog awareness %d, host thread %d\n", awareness, AwarenessOf(GetThreadAwareness()));
  CHECK(awareness == 2);  // per monitor
  CHECK(AwarenessOf(GetThreadAwareness()) == 0);

  // Seen from the dialog's own awareness from here on.
  void* host = SetThreadAwareness(WindowAwarenessContext(form));
  const UINT dpi = DpiForWindow(form);
  int controls = 0, themed = 0, texts = 0, in_face = 0;
  for (const Child& c : Children(form)) {
    const std::wstring cls = ClassOf(c.hwnd);
    const bool control = cls == L"Button" || cls == L"Edit" || cls == L"ListBox";
    if (control) {
      ++controls;
      const bool theme = WindowTheme(c.hwnd) != nullptr;
      themed += theme;
      std::printf("%ls %d: class procedure in %ls, theme %s\n", cls.c_str(), GetDlgCtrlID(c.hwnd),
                  ProcedureModule(c.hwnd).c_str(), theme ? "yes" : "no");
      CHECK(ProcedureModule(c.hwnd) == L"comctl32.dll");
    }
    if (control || cls == L"Static") {
      LOGFONTW lf{};
      GetObjectW(reinterpret_cast<HFONT>(SendMessageW(c.hwnd, WM_GETFONT, 0, 0)), sizeof lf, &lf);
      ++texts;
      in_face += std::wstring(lf.lfFaceName) == kFace;
      if (std::wstring(lf.lfFaceName) != kFace) std::printf("%ls %d: font %ls\n", cls.c_str(), GetDlgCtrlID(c.hwnd), lf.lfFaceName);
    }
  }
  std::printf("%d of %d controls themed; %d of %d text controls in the message font's face\n", themed, controls,
              in_face, texts);
  CHECK(controls >= 6 && themed == controls);
  CHECK(texts > 0 && in_face == texts);

  // A move to a monitor of twice the dpi: the same layout, twice as large.
  RECT before_window, before_client;
  GetWindowRect(form, &before_window);
  GetClientRect(form, &before_client);
  const std::vector<Child> before = Children(form);
  RECT suggested = before_window;
  suggested.right = suggested.left + 2 * (before_window.right - before_window.left);
  suggested.bottom = suggested.top + 2 * (before_window.bottom - before_window.top);
  SendMessageW(form, WM_DPICHANGED, MAKEWPARAM(2 * dpi, 2 * dpi), reinterpret_cast<LPARAM>(&suggested));
  RECT after_window, after_client;
  GetWindowRect(form, &after_window);
  GetClientRect(form, &after_client);
  std::printf("window %ld wide, client area %ld high at %u dpi; %ld and %ld after WM_DPICHANGED for %u\n",
              before_window.right - before_window.left, before_client.bottom, dpi,
              after_window.right - after_window.left, after_client.bottom, 2 * dpi);
  auto near_twice = [](LONG before, LONG after) { return std::labs(after - 2 * before) <= 3; };
  // The layout sets the outer width and the client area's height.
  CHECK(near_twice(before_window.right - before_window.left, after_window.right - after_window.left));
  CHECK(near_twice(before_client.bottom, after_client.bottom));
  const std::vector<Child> after = Children(form);
  int moved = 0, checked = 0;
  for (size_t i = 0; i < before.size() && i < after.size(); ++i) {
    if (!IsWindowVisible(before[i].hwnd)) continue;
    ++checked;
    const RECT& b = before[i].rect;
    const RECT& a = after[i].rect;
    const bool ok = near_twice(b.left, a.left) && near_twice(b.top, a.top) &&
                    (ClassOf(before[i].hwnd) == L"Static" || near_twice(b.right - b.left, a.right - a.left));
    if (!ok)
      std::printf("%ls %d: %ld,%ld %ldx%ld became %ld,%ld %ldx%ld\n", ClassOf(before[i].hwnd).c_str(),
                  GetDlgCtrlID(before[i].hwnd), b.left, b.top, b.right - b.left, b.bottom - b.top, a.left, a.top,
                  a.right - a.left, a.bottom - a.top);
    moved += ok;
  }
  std::printf("%d of %d visible controls laid out twice as large\n", moved, checked);
  CHECK(checked > 0 && moved == checked);
  SetThreadAwareness(host);
}

void CALLBACK Look(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND form = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindForm, reinterpret_cast<LPARAM>(&form));
  if (!form) return;  // not on screen yet
  KillTimer(nullptr, timer);
  Inspect(form);
  HWND button = GetDlgItem(GetDlgItem(form, kFirstButtonFrameId), kFirstButtonId);
  PostMessageW(button ? button : form, button ? BM_CLICK : WM_CLOSE, 0, 0);
}

}  // namespace

int wmain() {
  if (!SetThreadAwareness || !WindowTheme) {
    std::printf("FAIL the system lacks per-thread dpi awareness or window themes\n");
    return 1;
  }
  SetThreadAwareness(reinterpret_cast<void*>(-1));  // unaware, as an old host

  NONCLIENTMETRICSW saved{};
  saved.cbSize = sizeof saved;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof saved, &saved, 0);
  NONCLIENTMETRICSW changed = saved;
  lstrcpynW(changed.lfMessageFont.lfFaceName, kFace, LF_FACESIZE);
  std::printf("message font %ls, set to %ls for the check\n", saved.lfMessageFont.lfFaceName, kFace);
  SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof changed, &changed, 0);

  CoInitialize(nullptr);
  {
    CLSID clsid;
    IDispatch* w = nullptr;
    if (FAILED(CLSIDFromProgID(L"Brivet.Window", &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(&w)))) {
      std::printf("FAIL cannot create Brivet.Window\n");
      ++failures;
    } else {
      Call(w, L"Title", DISPATCH_PROPERTYPUT, {Str(L"Brivet look")});
      Call(w, L"Caption", DISPATCH_PROPERTYPUT, {Str(L"A caption in the system's font")});
      VARIANT single;
      single.vt = VT_BOOL;
      single.boolVal = VARIANT_FALSE;
      Call(w, L"ShowTextBox", DISPATCH_PROPERTYPUT, {Int(2), single});  // ShowTextBox(False) = 2
      Call(w, L"Text1Caption", DISPATCH_PROPERTYPUT, {Str(L"&First")});
      Call(w, L"LoadList", DISPATCH_METHOD, {Str(L"one,two,three")});
      Call(w, L"ShowButtons", DISPATCH_PROPERTYPUT, {Int(3)});
      Call(w, L"Button1Caption", DISPATCH_PROPERTYPUT, {Str(L"&Yes")});
      Call(w, L"ButtonColor", DISPATCH_PROPERTYPUT, {Str(L"2060C0")});
      SetTimer(nullptr, 0, 100, Look);
      Call(w, L"Show", DISPATCH_METHOD, {});
      CHECK(AwarenessOf(GetThreadAwareness()) == 0);  // the host's own again
      w->Release();
    }
  }
  CoUninitialize();
  SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof saved, &saved, 0);
  std::printf(failures ? "%d check(s) failed\n" : "all checks passed\n", failures);
  return failures ? 1 : 0;
}
