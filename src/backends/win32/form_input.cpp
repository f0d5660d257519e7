// The form's window procedures: messages of the form and its panes, child
// notifications, and the keyboard handling a dialog manager would give.
#include "form_window.h"

#include <oleacc.h>

#include <mutex>
#include <new>
#include <optional>
#include <vector>

#include "form/captions.h"
#include "form_window_detail.h"

namespace brivet::win32 {

using form::ControlId;
using form::ControlKind;
using namespace detail;

namespace {

Win32FormWindow* OwnerOf(HWND hwnd) {
  return reinterpret_cast<Win32FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

// Common entry of both window procedures: attaches the owner at creation
// and keeps every exception inside.
template <LRESULT (Win32FormWindow::*Handler)(HWND, UINT, WPARAM, LPARAM)>
LRESULT Route(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  Win32FormWindow* owner = OwnerOf(hwnd);
  if (msg == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  if (!owner) return DefWindowProcW(hwnd, msg, wparam, lparam);
  try {
    return (owner->*Handler)(hwnd, msg, wparam, lparam);
  } catch (...) {
    if (msg == WM_PAINT) ValidateRect(hwnd, nullptr);  // or it comes back forever
    return 0;
  }
}

// The system controls this module subclassed: each one's form and the
// procedure it replaced. Kept beside the windows, not in them: a control's
// user data, like its procedure, may be an earlier subclasser's (assistive
// tools subclass from a creation hook), and a window property costs a call
// to the Wine server on every message.
class Subclasses {
 public:
  struct Entry {
    HWND control;
    Win32FormWindow* owner;
    WNDPROC previous;
  };

  bool Add(const Entry& entry) noexcept {
    std::lock_guard<SlimLock> hold(lock_);
    // A handle can come back for a new window if an old one's last message
    // never reached this module.
    if (Entry* known = FindLocked(entry.control)) {
      *known = entry;
      return true;
    }
    try {
      entries_.push_back(entry);
      return true;
    } catch (const std::bad_alloc&) {
      return false;
    }
  }
  std::optional<Entry> Find(HWND control) noexcept {
    std::lock_guard<SlimLock> hold(lock_);
    const Entry* known = FindLocked(control);
    return known ? std::optional<Entry>(*known) : std::nullopt;
  }
  void Remove(HWND control) noexcept {
    std::lock_guard<SlimLock> hold(lock_);
    if (Entry* known = FindLocked(control)) {
      *known = entries_.back();
      entries_.pop_back();
    }
  }

 private:
  Entry* FindLocked(HWND control) noexcept {
    for (Entry& e : entries_)
      if (e.control == control) return &e;
    return nullptr;
  }

  SlimLock lock_;
  std::vector<Entry> entries_;
};

Subclasses g_subclasses;

// System controls answer screen readers through this procedure; everything
// else goes on to the procedure it replaced. A plain subclass, not
// comctl32's: that library must not load with this module, and its
// per-message bookkeeping made each list entry cost a hundred times more
// under Wine.
LRESULT CALLBACK AccessibleControlProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  const auto entry = g_subclasses.Find(hwnd);
  const auto previous =
      entry ? entry->previous : reinterpret_cast<WNDPROC>(GetClassLongPtrW(hwnd, GCLP_WNDPROC));
  if (msg == WM_GETOBJECT && entry) {
    try {
      if (auto answer = AnswerGetObject(hwnd, wparam, lparam, entry->owner->AccessibleFactsOf(hwnd)))
        return *answer;
    } catch (...) {
      // The control's own answer then.
    }
  } else if (msg == WM_NCDESTROY) {
    g_subclasses.Remove(hwnd);
    // Unhooked only if no one subclassed after this module.
    if (GetWindowLongPtrW(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&AccessibleControlProc))
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
  }
  return CallWindowProcW(previous, hwnd, msg, wparam, lparam);
}

}  // namespace

void Win32FormWindow::MakeAccessible(HWND control) {
  // Without it the control still has the system's object. The control's
  // user data is left to whoever set it.
  const auto previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(control, GWLP_WNDPROC));
  if (!g_subclasses.Add({control, this, previous})) return;
  SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AccessibleControlProc));
}

AccessibleFacts Win32FormWindow::AccessibleFactsOf(HWND hwnd) const {
  const Control* c = ControlOfWindow(hwnd);
  if (!c) return {ROLE_SYSTEM_STATICTEXT, hwnd, true};  // a frame's heading
  const ControlId container = form::TemplateOf(c->id).container;
  const HWND heading = container == form::kNoContainer ? nullptr : Ctl(container).hwnd;
  switch (c->kind) {
    case ControlKind::Button:
      return {ROLE_SYSTEM_PUSHBUTTON, hwnd, true};
    case ControlKind::Label:
      return {ROLE_SYSTEM_STATICTEXT, hwnd, false};
    case ControlKind::ListBox:
      return {ROLE_SYSTEM_LIST, heading, true};
    default:  // text boxes, by their heading
      return {ROLE_SYSTEM_TEXT, heading, true};
  }
}

LRESULT CALLBACK FormWindowProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  return Route<&Win32FormWindow::FormMessage>(hwnd, msg, wparam, lparam);
}

LRESULT CALLBACK PaneWindowProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  return Route<&Win32FormWindow::PaneMessage>(hwnd, msg, wparam, lparam);
}

Win32FormWindow* Win32FormWindow::FromFormWindow(HWND hwnd) {
  if (!hwnd || GetWindowLongPtrW(hwnd, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&FormWindowProc))
    return nullptr;
  return OwnerOf(hwnd);
}

void DispatchWindowMessage(MSG& msg) {
  if (msg.hwnd) {
    if (Win32FormWindow* form = Win32FormWindow::FromFormWindow(GetAncestor(msg.hwnd, GA_ROOT))) {
      if (form->PreTranslate(msg)) return;
    }
  }
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

LRESULT Win32FormWindow::FormMessage(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(hwnd, &r);
      FillRect(reinterpret_cast<HDC>(wparam), &r, FormBrush());
      return 1;
    }
    case WM_SIZE: {
      if (wparam == SIZE_MINIMIZED) return 0;
      RECT r;
      GetWindowRect(hwnd, &r);
      const SIZE size{r.right - r.left, r.bottom - r.top};
      if (size.cx == last_size_.cx && size.cy == last_size_.cy) return 0;
      last_size_ = size;
      Raise([](form::FormEventSink& s) { s.OnResize(); });
      return 0;
    }
    case WM_CLOSE:
      Raise([](form::FormEventSink& s) { s.OnCloseRequest(); });
      return 0;  // the form decides; the window is never destroyed here
    case WM_ACTIVATE: {
      if (LOWORD(wparam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd, focus)) saved_focus_ = focus;
        return 0;
      }
      if (HIWORD(wparam)) return 0;  // minimised
      HWND target = saved_focus_ && IsChild(hwnd, saved_focus_) && Focusable(saved_focus_)
                        ? saved_focus_
                        : FirstFocusable();
      SetFocus(target ? target : hwnd);
      return 0;
    }
    case WM_SETFOCUS:
      if (HWND target = FirstFocusable()) SetFocus(target);
      return 0;
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
      // The message font or high contrast may have changed.
      high_contrast_ = HighContrastOn();
      TakeSystemFonts();
      RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      break;
    case WM_DPICHANGED:
      DpiChanged(HIWORD(wparam), *reinterpret_cast<const RECT*>(lparam));
      return 0;
    case WM_NCDESTROY:
      life_->alive = false;  // a modal loop waiting for this window ends
      window_.release();     // gone already; nothing left to destroy
      break;
    default:
      if (auto handled = ChildNotification(msg, wparam, lparam)) return *handled;
      break;
  }
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}

LRESULT Win32FormWindow::PaneMessage(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  const auto id = ControlOfId(GetDlgCtrlID(hwnd));
  if (!id) return DefWindowProcW(hwnd, msg, wparam, lparam);
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT fills the whole client area
    case WM_PAINT:
      PaintPane(hwnd, Ctl(*id));
      return 0;
    case WM_SIZE:
      if (Ctl(*id).heading) PlaceHeading(Ctl(*id));
      break;
    default:
      // Frames pass their children's notifications on.
      if (auto handled = ChildNotification(msg, wparam, lparam)) return *handled;
      break;
  }
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}

std::optional<LRESULT> Win32FormWindow::ChildNotification(UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_COMMAND: {
      const WORD code = HIWORD(wparam);
      const Control* c = ControlOfWindow(reinterpret_cast<HWND>(lparam));
      if (!c) return 0;
      // The focus moved: which button looks like the default may change.
      if ((c->kind == ControlKind::Button && (code == BN_SETFOCUS || code == BN_KILLFOCUS)) ||
          (IsTextBox(c->kind) && code == EN_SETFOCUS) || (c->kind == ControlKind::ListBox && code == LBN_SETFOCUS))
        RedrawButtons();
      // A button reports the second click of a double click as
      // BN_DOUBLECLICKED: each click is a click.
      if (c->kind == ControlKind::Button && (code == BN_CLICKED || code == BN_DOUBLECLICKED)) {
        const int index = form::TemplateOf(c->id).button_index;
        Raise([index](form::FormEventSink& s) { s.OnButtonClick(index); });
      }
      return 0;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      const Control* c = ControlOfWindow(item->hwndItem);
      if (item->CtlType != ODT_BUTTON || !c || c->kind != ControlKind::Button) return std::nullopt;
      const UINT s = item->itemState;
      DrawButton(item->hDC, item->hwndItem, item->rcItem, *c,
                 {(s & ODS_SELECTED) != 0, false, (s & ODS_FOCUS) != 0, (s & ODS_DISABLED) != 0,
                  DrawnAsDefault(item->hwndItem)});
      return TRUE;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      if (header->code != NM_CUSTOMDRAW) return std::nullopt;
      return ButtonCustomDraw(*reinterpret_cast<const NMCUSTOMDRAW*>(lparam));
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
      return ChildColors(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
    default:
      return std::nullopt;
  }
}

std::optional<LRESULT> Win32FormWindow::ChildColors(HDC dc, HWND child) const {
  const Control* c = ControlOfWindow(child);
  if (!c) {  // a frame's heading shows the frame's colours
    for (const Control& frame : controls_)
      if (frame.heading && frame.heading == child) c = &frame;
    if (!c) return std::nullopt;
  }
  if (c->kind == ControlKind::Frame || c->kind == ControlKind::Label) {
    SetTextColor(dc, Resolve(Shown(c->fore), COLOR_BTNTEXT));
    SetBkColor(dc, Resolve(Shown(c->back), COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(BackBrush(*c));
  }
  // Text boxes and the list keep the system colours unless given their own.
  if (Shown(c->back) == form::kNoColor && Shown(c->fore) == form::kNoColor) return std::nullopt;
  SetTextColor(dc, Resolve(Shown(c->fore), COLOR_WINDOWTEXT));
  SetBkColor(dc, Resolve(Shown(c->back), COLOR_WINDOW));
  return reinterpret_cast<LRESULT>(c->back_brush ? c->back_brush.get() : GetSysColorBrush(COLOR_WINDOW));
}

bool Win32FormWindow::PreTranslate(const MSG& msg) {
  // A held key presses nothing more: not this dialog's button again, nor the
  // next dialog's.
  const bool repeat = (msg.lParam & (1 << 30)) != 0;
  switch (msg.message) {
    case WM_KEYDOWN:
      return KeyDown(msg);
    case WM_SYSCHAR:  // Alt and a character
      return AccessKey(static_cast<char16_t>(msg.wParam), repeat);
    case WM_CHAR: {
      // A button takes no characters: the character alone is an access key.
      const Control* c = ControlOfWindow(msg.hwnd);
      return c && c->kind == ControlKind::Button && AccessKey(static_cast<char16_t>(msg.wParam), repeat);
    }
    default:
      return false;
  }
}

// Buttons in a window that is no dialog get no help from the
// dialog manager: Tab, Esc and Enter are handled here.
bool Win32FormWindow::KeyDown(const MSG& msg) {
  const bool repeat = (msg.lParam & (1 << 30)) != 0;
  switch (msg.wParam) {
    case VK_TAB:
      if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return false;
      MoveFocus(GetKeyState(VK_SHIFT) < 0);
      return true;
    case VK_ESCAPE:
      // As the close box; a held key must not close the next dialog too.
      if (!repeat) SendMessageW(window_.get(), WM_CLOSE, 0, 0);
      return true;
    case VK_RETURN: {
      const Control* c = ControlOfWindow(msg.hwnd);
      if (!c || c->kind == ControlKind::MultiLineTextBox) return false;  // a line break there
      // A focused button is pressed itself; elsewhere the default button is.
      const HWND button = c->kind == ControlKind::Button ? msg.hwnd : DefaultButton();
      if (button && !repeat) Click(button);
      return true;
    }
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
      KeepListJump(msg.hwnd);
      return false;
    default:
      return false;
  }
}

// A single-selection list box with nothing selected spends the first key
// on selecting the entry under its caret, whatever the key (Wine's list box
// does; End after Tab then gave the first entry). Selecting that entry
// silently first lets Home, End and the page keys jump as they say.
void Win32FormWindow::KeepListJump(HWND target) const {
  const Control* c = ControlOfWindow(target);
  if (!c || c->kind != ControlKind::ListBox) return;
  if (SendMessageW(target, LB_GETCURSEL, 0, 0) != LB_ERR) return;
  const LRESULT caret = SendMessageW(target, LB_GETCARETINDEX, 0, 0);
  if (caret >= 0) SendMessageW(target, LB_SETCURSEL, static_cast<WPARAM>(caret), 0);
}

// The first control in tab order whose access key was typed: a button is
// pressed, any other control (a text box under its heading) takes the focus.
bool Win32FormWindow::AccessKey(char16_t typed, bool repeat) {
  for (ControlId id : tab_order_) {
    const Control& c = Ctl(id);
    if (!Focusable(c.hwnd)) continue;
    const ControlId container = form::TemplateOf(id).container;
    const HWND labelled_by = c.kind == ControlKind::Button      ? c.hwnd
                             : container == form::kNoContainer ? nullptr
                                                               : Ctl(container).hwnd;
    if (!labelled_by || !form::IsAccessKey(WindowText(labelled_by), typed)) continue;
    if (c.kind == ControlKind::Button) {
      if (!repeat) Click(c.hwnd);
    } else {
      SetFocus(c.hwnd);
      if (IsTextBox(c.kind)) SendMessageW(c.hwnd, EM_SETSEL, 0, -1);  // as dialogs do
    }
    return true;
  }
  return false;
}

void Win32FormWindow::Click(HWND button) {
  SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

// Button 1, while it is on screen.
HWND Win32FormWindow::DefaultButton() const {
  const HWND first = Ctl(form::ButtonOf(0)).hwnd;
  return Focusable(first) ? first : nullptr;
}

// The focused button looks like the default, since Enter presses it; with
// the focus elsewhere, the default button does.
bool Win32FormWindow::DrawnAsDefault(HWND button) const {
  const HWND focus = GetFocus();
  const Control* focused = ControlOfWindow(focus);
  if (focused && focused->kind == ControlKind::Button) return focus == button;
  return button == DefaultButton();
}

void Win32FormWindow::RedrawButtons() {
  for (int i = 0; i < 3; ++i) {
    const HWND button = Ctl(form::ButtonOf(i)).hwnd;
    // A styled button draws the default frame itself when told it is one.
    if (themed_buttons_)
      SendMessageW(button, BM_SETSTYLE, DrawnAsDefault(button) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    InvalidateRect(button, nullptr, FALSE);
  }
}

// ---------------------------------------------------------------------------
// Focus

bool Win32FormWindow::Focusable(HWND hwnd) const { return IsWindowVisible(hwnd) && IsWindowEnabled(hwnd); }

HWND Win32FormWindow::FirstFocusable() const {
  for (ControlId id : tab_order_)
    if (Focusable(Ctl(id).hwnd)) return Ctl(id).hwnd;
  return nullptr;
}

void Win32FormWindow::MoveFocus(bool backwards) {
  const HWND focus = GetFocus();
  const int n = static_cast<int>(tab_order_.size());
  int current = -1;
  for (int i = 0; i < n; ++i) {
    const HWND h = Ctl(tab_order_[i]).hwnd;
    if (h == focus || IsChild(h, focus)) current = i;
  }
  const int start = current >= 0 ? current : (backwards ? 0 : n - 1);
  for (int step = 1; step <= n; ++step) {
    const int i = ((start + (backwards ? -step : step)) % n + n) % n;
    const Control& c = Ctl(tab_order_[i]);
    if (!Focusable(c.hwnd)) continue;
    SetFocus(c.hwnd);
    if (IsTextBox(c.kind)) SendMessageW(c.hwnd, EM_SETSEL, 0, -1);  // as dialogs do
    return;
  }
}

}  // namespace brivet::win32
