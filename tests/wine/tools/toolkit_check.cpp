// Checks the Win32 toolkit against its contract under Wine, without input
// devices: messages are sent or posted the way user32 delivers them.
// Prints one line per failed check; exit status 0 when all passed.
#include <windows.h>
#include <oleacc.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "check.h"
#include "handles.h"
#include "toolkit_win32.h"

using brivet::Text;
using brivet::form::ControlId;
namespace form = brivet::form;

namespace {

// Number of the brivet::Error `f` throws, or 0.
int ErrorNumber(const std::function<void()>& f) {
  try {
    f();
  } catch (const brivet::Error& e) {
    return e.number();
  }
  return 0;
}

struct Sink : form::FormEventSink {
  std::vector<std::string> events;
  std::function<void()> on_close, on_click;
  void OnResize() override { events.push_back("resize"); }
  void OnButtonClick(int i) override {
    events.push_back("click " + std::to_string(i));
    if (on_click) on_click();
  }
  void OnCloseRequest() override {
    events.push_back("close");
    if (on_close) on_close();
  }
  void OnIdle() override {
    events.push_back("idle");
    if (on_idle) on_idle();
  }
  std::function<void()> on_idle;
};

BOOL CALLBACK MatchFormClass(HWND h, LPARAM p) {
  wchar_t name[64];
  GetClassNameW(h, name, 64);
  if (std::wstring(name) != L"BrivetForm") return TRUE;
  *reinterpret_cast<HWND*>(p) = h;
  return FALSE;
}

HWND FindForm() {
  HWND found = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), MatchFormClass, reinterpret_cast<LPARAM>(&found));
  return found;
}

struct FindById {
  int id;
  HWND hwnd;
};

BOOL CALLBACK MatchId(HWND h, LPARAM p) {
  auto* f = reinterpret_cast<FindById*>(p);
  if (GetDlgCtrlID(h) != f->id) return TRUE;
  f->hwnd = h;
  return FALSE;
}

// A control's window, searched through the frames.
HWND Child(HWND form_window, ControlId c) {
  FindById find{brivet::win32::ControlWindowId(c), nullptr};
  EnumChildWindows(form_window, MatchId, reinterpret_cast<LPARAM>(&find));
  return find.hwnd;
}

float Snap(float twips, float tpp) { return std::round(twips / tpp) * tpp; }

void CheckTemplateState(form::Toolkit& tk) {
  Sink sink;
  auto f = tk.CreateForm(sink);
  const float tx = tk.TwipsPerPixelX(), ty = tk.TwipsPerPixelY();
  const HWND hwnd = FindForm();
  CHECK(hwnd != nullptr);
  CHECK(!f->Visible());
  CHECK(f->Width() == Snap(form::kWindowWidth, tx));
  CHECK(f->Height() == Snap(form::kWindowHeight, ty));
  const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  CHECK((style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU));
  CHECK(!(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)));
  wchar_t caption[16] = {};
  GetWindowTextW(hwnd, caption, 16);
  CHECK(std::wstring(caption) == L"Form1");
  CHECK(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0) || GetClassLongPtrW(hwnd, GCLP_HICON));

  for (const auto& t : form::Template()) {
    const HWND child = Child(hwnd, t.id);
    CHECK(child != nullptr);
    const HWND parent = t.container == form::kNoContainer ? hwnd : Child(hwnd, t.container);
    CHECK(GetParent(child) == parent);
    CHECK(f->Visible(t.id) == t.visible);
    CHECK(f->Left(t.id) == Snap(t.left, tx) && f->Top(t.id) == Snap(t.top, ty));
    CHECK(f->Width(t.id) == Snap(t.width, tx) && f->Height(t.id) == Snap(t.height, ty));
    if (t.kind == form::ControlKind::Frame) CHECK(GetWindowLongW(child, GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
  }
  // A hidden frame hides its children; their own setting stays.
  f->SetVisible(ControlId::FT1, true);
  CHECK(IsWindowVisible(Child(hwnd, ControlId::T1)) == FALSE);  // the form is still hidden
  f->SetVisible(ControlId::FT1, false);
  CHECK(f->Visible(ControlId::T1) && !f->Visible(ControlId::FT1));
  CHECK(sink.events.empty());  // creation raises nothing
}

void CheckGeometryAndResize(form::Toolkit& tk) {
  Sink sink;
  auto f = tk.CreateForm(sink);
  const float tx = tk.TwipsPerPixelX(), ty = tk.TwipsPerPixelY();
  f->SetWidth(f->Width());
  f->SetHeight(f->Height() + ty * 0.4f);  // rounds to the same pixel height
  CHECK(sink.events.empty());
  f->SetWidth(f->Width() + 10 * tx);
  CHECK(sink.events.size() == 1);  // delivered before SetWidth returned
  f->SetHeight(f->Height() - 7 * ty);
  CHECK(sink.events.size() == 2);
  CHECK(f->Width() == Snap(form::kWindowWidth, tx) + 10 * tx);
  CHECK(f->Height() == Snap(form::kWindowHeight, ty) - 7 * ty);
  f->SetTop(30 * ty + 3);
  CHECK(f->Top() == 30 * ty);
  CHECK(sink.events.size() == 2);  // moving is no resize

  f->SetLeft(ControlId::T2, 100);
  CHECK(f->Left(ControlId::T2) == Snap(100, tx));
  f->SetTop(ControlId::but0, 2 * ty + 1);
  CHECK(f->Top(ControlId::but0) == 2 * ty);
  f->SetWidth(ControlId::lbox, 1000);
  CHECK(f->Width(ControlId::lbox) == Snap(1000, tx));
  CHECK(tk.ScreenHeight() == GetSystemMetrics(SM_CYSCREEN) * ty);
}

void CheckLabel(form::Toolkit& tk) {
  Sink sink;
  auto f = tk.CreateForm(sink);
  f->SetCaption(ControlId::Lab1, u"Wide line of text");
  const float one_h = f->Height(ControlId::Lab1), wide = f->Width(ControlId::Lab1);
  CHECK(one_h > 0 && wide > 0);
  for (const Text& two : {Text(u"Wide line of text\r\nx"), Text(u"x\nWide line of text"), Text(u"x\rWide line of text")}) {
    f->SetCaption(ControlId::Lab1, two);
    CHECK(f->Height(ControlId::Lab1) == 2 * one_h);
    CHECK(f->Width(ControlId::Lab1) == wide);  // the longest line, no wrap
  }
  f->SetCaption(ControlId::Lab1, u"x");
  CHECK(f->Width(ControlId::Lab1) < wide && f->Height(ControlId::Lab1) == one_h);
  f->SetCaption(ControlId::Lab1, u"");
  CHECK(f->Width(ControlId::Lab1) == 0);
  f->SetCaption(ControlId::Lab1, u"Wide line of text");
  f->SetFontSize(ControlId::Lab1, 16);
  CHECK(f->Height(ControlId::Lab1) > one_h && f->Width(ControlId::Lab1) > wide);
}

void CheckTextAndList(form::Toolkit& tk) {
  Sink sink;
  auto f = tk.CreateForm(sink);
  const HWND t1 = Child(FindForm(), ControlId::T1);
  f->SetText(ControlId::T1M, u"one\r\ntwo");
  CHECK(f->GetText(ControlId::T1M) == u"one\r\ntwo");
  f->SetText(ControlId::T1, u"abcdefgh");
  f->SetSelStart(ControlId::T1, 2);
  f->SetSelLength(ControlId::T1, 3);
  DWORD s = 0, e = 0;
  SendMessageW(t1, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  CHECK(s == 2 && e == 5);
  f->SetFontSize(ControlId::T2, 12);
  f->SetFontBold(ControlId::T2, true);
  LOGFONTW lf{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Child(FindForm(), ControlId::T2), WM_GETFONT, 0, 0)),
             sizeof lf, &lf);
  CHECK(lf.lfWeight == FW_BOLD && lf.lfHeight < 0);
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(t1, WM_GETFONT, 0, 0)), sizeof lf, &lf);
  CHECK(lf.lfWeight == FW_NORMAL);  // the others keep the default font

  for (auto entry : {u"beta", u"alpha", u"gamma"}) f->AddItem(entry);
  CHECK(f->ListCount() == 3 && f->ListEntry(1) == u"alpha");  // insertion order
  CHECK(f->ListIndex() == -1);
  SendMessageW(Child(FindForm(), ControlId::lbox), LB_SETCURSEL, 2, 0);
  CHECK(f->ListIndex() == 2);
  f->RemoveItem(0);
  CHECK(f->ListCount() == 2 && f->ListEntry(0) == u"alpha");
  f->ClearList();
  CHECK(f->ListCount() == 0);
}

void CheckEventsAndModalLoop(form::Toolkit& tk) {
  Sink sink;
  auto f = tk.CreateForm(sink);
  const HWND hwnd = FindForm();
  SendMessageW(hwnd, WM_CLOSE, 0, 0);
  CHECK(sink.events == std::vector<std::string>{"close"});
  CHECK(IsWindow(hwnd));  // a close request destroys nothing
  SendMessageW(Child(hwnd, ControlId::but1), BM_CLICK, 0, 0);
  CHECK(sink.events.back() == "click 1");
  sink.events.clear();

  // Hide from a handler ends the loop; the first display resizes once.
  sink.on_close = [&] { f->Hide(); };
  PostMessageW(hwnd, WM_CLOSE, 0, 0);
  f->ShowModal();
  CHECK((sink.events == std::vector<std::string>{"resize", "close"}));
  CHECK(!f->Visible());

  // Idle comes once, after what was queued; a close request after it is
  // still handled.
  sink.events.clear();
  sink.on_idle = [&] { PostMessageW(hwnd, WM_CLOSE, 0, 0); };
  PostMessageW(Child(hwnd, ControlId::but1), BM_CLICK, 0, 0);
  f->ShowModal();
  CHECK((sink.events == std::vector<std::string>{"click 1", "idle", "close"}));
  sink.on_idle = nullptr;

  // Again: no first-display resize; Tab moves on from T1 to T2, Enter on a
  // button clicks it.
  sink.events.clear();
  f->SetVisible(ControlId::FT1, true);
  f->SetVisible(ControlId::FT2, true);
  f->SetVisible(ControlId::frbut3, true);
  // A second close request ends the loop should the click not come.
  HWND focus_at_close = nullptr;
  sink.on_close = [&] {
    if (focus_at_close)
      f->Hide();
    else
      focus_at_close = GetFocus();
  };
  sink.on_click = [&] { f->Hide(); };
  PostMessageW(Child(hwnd, ControlId::T1), WM_KEYDOWN, VK_TAB, 1);
  PostMessageW(hwnd, WM_CLOSE, 0, 0);
  PostMessageW(Child(hwnd, ControlId::but2), WM_KEYDOWN, VK_RETURN, 1);
  PostMessageW(hwnd, WM_CLOSE, 0, 0);
  f->ShowModal();
  CHECK((sink.events == std::vector<std::string>{"close", "click 2"}));
  CHECK(focus_at_close == Child(hwnd, ControlId::T2));
  sink.on_close = nullptr;
  tk.PumpEvents();  // the spare close request

  // WM_QUIT ends the loop and stays queued for the caller's loop.
  sink.events.clear();
  PostQuitMessage(7);
  f->ShowModal();
  CHECK(f->Visible());
  MSG msg{};
  CHECK(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) && msg.wParam == 7);
  f->Hide();
  CHECK(!f->Visible());

  // A throwing handler does not cross the window procedure.
  sink.on_close = [] { throw brivet::Error::InvalidCall(); };
  SendMessageW(hwnd, WM_CLOSE, 0, 0);
  CHECK(IsWindow(hwnd));

  // Destroying raises nothing.
  sink.events.clear();
  f.reset();
  CHECK(sink.events.empty() && !IsWindow(hwnd));
}

void CheckDestroyInsideHandler(form::Toolkit& tk) {
  Sink sink;
  auto f = tk.CreateForm(sink);
  const HWND hwnd = FindForm();
  sink.on_close = [&] { f.reset(); };
  PostMessageW(hwnd, WM_CLOSE, 0, 0);
  f->ShowModal();  // returns once its window is gone
  CHECK(!f && !IsWindow(hwnd));
}

// An assistive tool's subclass, installed from a creation hook before the
// toolkit subclasses the system controls. It keeps its mark in the
// control's user data and must see every message, WM_NCDESTROY included.
struct EarlierSubclass {
  HWND hwnd;
  WNDPROC previous;
  int messages;
  bool destroyed;
  bool mark_kept;
};
std::vector<EarlierSubclass> earlier;
constexpr LONG_PTR kToolMark = 0x7e57;

EarlierSubclass* EarlierOf(HWND hwnd) {
  for (auto& e : earlier)
    if (e.hwnd == hwnd) return &e;
  return nullptr;
}

LRESULT CALLBACK EarlierProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  EarlierSubclass* s = EarlierOf(hwnd);
  ++s->messages;
  if (msg == WM_NCDESTROY) {
    s->destroyed = true;
    s->mark_kept = GetWindowLongPtrW(hwnd, GWLP_USERDATA) == kToolMark;
  }
  return CallWindowProcW(s->previous, hwnd, msg, wparam, lparam);
}

LRESULT CALLBACK SubclassOnCreate(int code, WPARAM wparam, LPARAM lparam) {
  const auto hwnd = reinterpret_cast<HWND>(wparam);
  wchar_t name[32] = {};
  const auto system_control = [&] {
    for (const wchar_t* control : {L"Button", L"Edit", L"ListBox", L"Static"})
      if (lstrcmpiW(name, control) == 0) return true;
    return false;
  };
  if (code == HCBT_CREATEWND && GetClassNameW(hwnd, name, 32) && system_control()) {
    earlier.push_back({hwnd, nullptr, 0, false, false});
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, kToolMark);
    earlier.back().previous =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EarlierProc)));
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

void CheckEarlierSubclassKeepsItsMessages(form::Toolkit& tk) {
  const HHOOK hook = SetWindowsHookExW(WH_CBT, SubclassOnCreate, nullptr, GetCurrentThreadId());
  Sink sink;
  auto f = tk.CreateForm(sink);
  UnhookWindowsHookEx(hook);
  CHECK(earlier.size() > 5);
  const HWND list = Child(FindForm(), ControlId::lbox);
  CHECK(EarlierOf(list) != nullptr);
  const int before = EarlierOf(list)->messages;
  f->AddItem(u"one");
  CHECK(EarlierOf(list)->messages > before);
  CHECK(GetWindowLongPtrW(list, GWLP_USERDATA) == kToolMark);
  // The toolkit's answer to screen readers still comes through both.
  constexpr IID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
  f->SetCaption(ControlId::but0, u"&Yes");
  IAccessible* acc = nullptr;
  CHECK(SUCCEEDED(AccessibleObjectFromWindow(Child(FindForm(), ControlId::but0), OBJID_CLIENT, kIidAccessible,
                                             reinterpret_cast<void**>(&acc))));
  if (acc) {
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    CHECK(acc->get_accName(self, &name) == S_OK && name && std::wstring(name) == L"Yes");
    SysFreeString(name);
    acc->Release();
  }
  f.reset();
  for (const auto& e : earlier) CHECK(e.destroyed && e.mark_kept);
}

}  // namespace

int wmain() {
  brivet::win32::ComScope com;
  try {
    auto tk = brivet::MakeWin32Toolkit(GetModuleHandleW(nullptr));
    CheckTemplateState(*tk);
    CheckGeometryAndResize(*tk);
    CheckLabel(*tk);
    CheckTextAndList(*tk);
    CheckEventsAndModalLoop(*tk);
    CheckDestroyInsideHandler(*tk);
    CheckEarlierSubclassKeepsItsMessages(*tk);
    tk->PumpEvents();
    // The classes live with the windows, not with the toolkit.
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    Sink sink;
    auto f = tk->CreateForm(sink);
    CHECK(GetClassInfoExW(GetModuleHandleW(nullptr), L"BrivetForm", &wc));
    f.reset();
    CHECK(!GetClassInfoExW(GetModuleHandleW(nullptr), L"BrivetForm", &wc));  // unregistered with the last window
  } catch (const brivet::Error& e) {
    std::printf("FAIL uncaught error %d: %s\n", e.number(), e.what());
    ++failures;
  }
  std::printf(failures ? "%d check(s) failed\n" : "all checks passed\n", failures);
  return failures ? 1 : 0;
}
