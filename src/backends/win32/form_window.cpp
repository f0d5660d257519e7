#include "form_window.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "toolkit_win32.h"

namespace brivet::win32 {

using form::ControlId;
using form::ControlKind;

namespace {

constexpr float kDefaultPoints = 8;
constexpr const wchar_t* kDefaultFace = L"MS Shell Dlg";
// Label text: no prefix characters, no wrapping; CR LF, LF and CR break lines.
constexpr UINT kLabelFormat = DT_LEFT | DT_TOP | DT_NOPREFIX | DT_EXPANDTABS;
// Frame headings sit in the band above the frame's first row of controls.
constexpr int kHeadingLeftTwips = 60;
constexpr int kHeadingHeightTwips = 240;

// Colour values: 0x00BBGGRR, a system colour index with the top bit set, or
// kNoColor for the control's default.
COLORREF Resolve(int32_t value, int default_sys_color) {
  if (value == form::kNoColor) return GetSysColor(default_sys_color);
  const auto u = static_cast<uint32_t>(value);
  if (u & 0x80000000u) return GetSysColor(static_cast<int>(u & 0xFFu));
  return u & 0x00FFFFFFu;
}

int RoundPixels(float twips, float twips_per_pixel) {
  const double px = std::round(static_cast<double>(twips) / twips_per_pixel);
  if (!(px > -32768.0)) return -32768;  // also NaN
  return px < 32767.0 ? static_cast<int>(px) : 32767;
}

Text WindowText(HWND hwnd) {
  const int length = GetWindowTextLengthW(hwnd);
  if (length <= 0) return {};
  std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(hwnd, buffer.data(), length + 1);
  return FromWide(buffer.data(), static_cast<size_t>(std::max(got, 0)));
}

void SetWindowTextOrThrow(HWND hwnd, const Text& text) {
  if (!SetWindowTextW(hwnd, Wide(text))) ThrowLastError("SetWindowText");
}

bool IsTextBox(ControlKind k) { return k == ControlKind::TextBox || k == ControlKind::MultiLineTextBox; }

bool TakesFocus(ControlKind k) {
  return IsTextBox(k) || k == ControlKind::Button || k == ControlKind::ListBox;
}

int SortKey(const form::ControlTemplate& t) { return t.tab_index < 0 ? INT_MAX : t.tab_index; }

std::optional<ControlId> ControlOfId(int id) {
  const int index = id - kControlIdBase;
  if (index < 0 || index >= form::kControlCount) return std::nullopt;
  return static_cast<ControlId>(index);
}

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

}  // namespace

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

// ---------------------------------------------------------------------------
// Creation and destruction

Win32FormWindow::Win32FormWindow(std::shared_ptr<WindowClasses> classes, const Metrics& metrics,
                                 form::FormEventSink& sink)
    : classes_(std::move(classes)), metrics_(metrics), sink_(sink) {
  default_font_ = MakeFont(kDefaultPoints, false);
  for (const auto& t : form::Template()) {
    Control& c = Ctl(t.id);
    c.id = t.id;
    c.kind = t.kind;
    c.font_points = kDefaultPoints;
  }

  const int width = PixelsX(form::kWindowWidth);
  const int height = PixelsY(form::kWindowHeight);
  const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  HWND hwnd = CreateWindowExW(WS_EX_CONTROLPARENT, kFormClassName, Wide(form::kDesignCaption),
                              WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, x, y, width, height, nullptr,
                              nullptr, classes_->module(), this);
  if (!hwnd) ThrowLastError("CreateWindowEx (form)");
  window_.reset(hwnd);

  CreateControls(form::kNoContainer, hwnd);
  for (const auto& t : form::Template())
    if (TakesFocus(t.kind)) tab_order_.push_back(t.id);
  std::stable_sort(tab_order_.begin(), tab_order_.end(), [](ControlId a, ControlId b) {
    return SortKey(form::TemplateOf(a)) < SortKey(form::TemplateOf(b));
  });

  RECT r;
  GetWindowRect(hwnd, &r);
  last_size_ = {r.right - r.left, r.bottom - r.top};
  life_->live = true;
}

// Children are created container by container in tab order, which is also
// their z-order (first on top).
void Win32FormWindow::CreateControls(ControlId container, HWND parent) {
  std::vector<const form::ControlTemplate*> children;
  for (const auto& t : form::Template())
    if (t.container == container) children.push_back(&t);
  std::stable_sort(children.begin(), children.end(),
                   [](auto* a, auto* b) { return SortKey(*a) < SortKey(*b); });
  for (const auto* t : children) {
    CreateControl(*t, parent);
    if (t->kind == ControlKind::Frame) CreateControls(t->id, Ctl(t->id).hwnd);
  }
}

void Win32FormWindow::CreateControl(const form::ControlTemplate& t, HWND parent) {
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (t.visible ? WS_VISIBLE : 0);
  DWORD ex_style = 0;
  const wchar_t* window_class = kPaneClassName;
  // Each focusable control starts its own group, so arrow keys stay in it.
  constexpr DWORD kFocusable = WS_TABSTOP | WS_GROUP;
  switch (t.kind) {
    case ControlKind::Frame:
      style |= WS_CLIPCHILDREN;
      ex_style = WS_EX_CONTROLPARENT;
      break;
    case ControlKind::Label:
    case ControlKind::Image:
      break;
    case ControlKind::TextBox:
      window_class = L"EDIT";
      style |= kFocusable | ES_LEFT | ES_AUTOHSCROLL;
      ex_style = WS_EX_CLIENTEDGE;
      break;
    case ControlKind::MultiLineTextBox:
      window_class = L"EDIT";
      style |= kFocusable | ES_LEFT | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL;
      ex_style = WS_EX_CLIENTEDGE;
      break;
    case ControlKind::ListBox:
      window_class = L"LISTBOX";
      style |= kFocusable | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
      ex_style = WS_EX_CLIENTEDGE;
      break;
    case ControlKind::Button:
      window_class = L"BUTTON";
      style |= kFocusable | BS_OWNERDRAW;
      break;
  }
  const bool ours = window_class == kPaneClassName;
  HWND hwnd = CreateWindowExW(ex_style, window_class, L"", style, PixelsX(t.left), PixelsY(t.top),
                              PixelsX(t.width), PixelsY(t.height), parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlWindowId(t.id))),
                              classes_->module(), ours ? this : nullptr);
  if (!hwnd) ThrowLastError("CreateWindowEx (control)");
  Ctl(t.id).hwnd = hwnd;
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(default_font_.get()), FALSE);
  if (IsTextBox(t.kind)) SendMessageW(hwnd, EM_SETLIMITTEXT, 0, 0);  // 0: the largest limit
}

Win32FormWindow::~Win32FormWindow() {
  life_->alive = false;
  life_->live = false;
  window_.reset();  // takes the child windows with it, raising no event
}

// ---------------------------------------------------------------------------
// Messages

template <typename F>
void Win32FormWindow::Raise(F&& event) {
  if (!life_->live) return;
  try {
    event(sink_);
  } catch (...) {
    // A handler's error must not cross the window procedure.
  }
}

LRESULT Win32FormWindow::FormMessage(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(hwnd, &r);
      FillRect(reinterpret_cast<HDC>(wparam), &r,
               form_brush_ ? form_brush_.get() : GetSysColorBrush(COLOR_BTNFACE));
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
      // An owner-drawn button reports the second click of a double click as
      // BN_DOUBLECLICKED: each click is a click.
      if (c && c->kind == ControlKind::Button && (code == BN_CLICKED || code == BN_DOUBLECLICKED)) {
        const int index = form::TemplateOf(c->id).button_index;
        Raise([index](form::FormEventSink& s) { s.OnButtonClick(index); });
      }
      return 0;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      const Control* c = ControlOfWindow(item->hwndItem);
      if (item->CtlType != ODT_BUTTON || !c || c->kind != ControlKind::Button) return std::nullopt;
      DrawButton(*item, *c);
      return TRUE;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC: {
      // Text boxes and the list keep the system colours unless given their own.
      const Control* c = ControlOfWindow(reinterpret_cast<HWND>(lparam));
      if (!c || (c->back == form::kNoColor && c->fore == form::kNoColor)) return std::nullopt;
      const auto dc = reinterpret_cast<HDC>(wparam);
      SetTextColor(dc, Resolve(c->fore, COLOR_WINDOWTEXT));
      SetBkColor(dc, Resolve(c->back, COLOR_WINDOW));
      return reinterpret_cast<LRESULT>(c->back_brush ? c->back_brush.get() : GetSysColorBrush(COLOR_WINDOW));
    }
    default:
      return std::nullopt;
  }
}

bool Win32FormWindow::PreTranslate(const MSG& msg) {
  if (msg.message != WM_KEYDOWN) return false;
  if (msg.wParam == VK_TAB) {
    if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return false;
    MoveFocus(GetKeyState(VK_SHIFT) < 0);
    return true;
  }
  if (msg.wParam == VK_RETURN) {
    // Owner-drawn buttons get no help from the dialog manager: Enter on a
    // focused button clicks it, once per press.
    const Control* c = ControlOfWindow(msg.hwnd);
    if (!c || c->kind != ControlKind::Button) return false;
    const bool repeat = (msg.lParam & (1 << 30)) != 0;
    if (!repeat)
      SendMessageW(GetParent(msg.hwnd), WM_COMMAND, MAKEWPARAM(ControlWindowId(c->id), BN_CLICKED),
                   reinterpret_cast<LPARAM>(msg.hwnd));
    return true;
  }
  return false;
}

// ---------------------------------------------------------------------------
// Painting

void Win32FormWindow::PaintPane(HWND hwnd, const Control& c) {
  PaintScope paint(hwnd);
  const HDC dc = paint.dc();
  DcStateScope state(dc);
  RECT client;
  GetClientRect(hwnd, &client);
  if (c.kind == ControlKind::Image) {
    PaintPicture(dc, client);
    return;
  }
  FillRect(dc, &client, BackBrush(c));
  const Text text = WindowText(hwnd);
  if (text.empty()) return;
  SelectObject(dc, FontOf(c));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, Resolve(c.fore, COLOR_BTNTEXT));
  if (c.kind == ControlKind::Label) {
    DrawTextW(dc, Wide(text), -1, &client, kLabelFormat);
  } else if (c.kind == ControlKind::Frame) {
    RECT heading{PixelsX(kHeadingLeftTwips), 0, client.right, PixelsY(kHeadingHeightTwips)};
    DrawTextW(dc, Wide(text), -1, &heading,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  }
}

void Win32FormWindow::DrawButton(const DRAWITEMSTRUCT& item, const Control& c) {
  const HDC dc = item.hDC;
  DcStateScope state(dc);
  RECT r = item.rcItem;
  FillRect(dc, &r, BackBrush(c));
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  DrawEdge(dc, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);

  RECT text_rect = r;
  if (pressed) OffsetRect(&text_rect, 1, 1);
  SelectObject(dc, FontOf(c));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor((item.itemState & ODS_DISABLED) ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
  const Text caption = WindowText(item.hwndItem);
  DrawTextW(dc, Wide(caption), -1, &text_rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);

  if (item.itemState & ODS_FOCUS) {
    RECT focus = r;
    InflateRect(&focus, -4, -4);
    DrawFocusRect(dc, &focus);
  }
}

void Win32FormWindow::PaintPicture(HDC dc, const RECT& client) {
  // The image has no background of its own: it shows its container's.
  const auto& t = form::TemplateOf(ControlId::im1);
  FillRect(dc, &client, t.container == form::kNoContainer
                            ? (form_brush_ ? form_brush_.get() : GetSysColorBrush(COLOR_BTNFACE))
                            : BackBrush(Ctl(t.container)));
  if (!picture_) return;
  OLE_XSIZE_HIMETRIC hm_width = 0;
  OLE_YSIZE_HIMETRIC hm_height = 0;
  if (FAILED(picture_->get_Width(&hm_width)) || FAILED(picture_->get_Height(&hm_height))) return;
  // Natural size, top left; HIMETRIC is 1/100 mm.
  const int width = MulDiv(hm_width, metrics_.dpi_x, 2540);
  const int height = MulDiv(hm_height, metrics_.dpi_y, 2540);
  picture_->Render(dc, 0, 0, width, height, 0, hm_height, hm_width, -hm_height, nullptr);
}

// ---------------------------------------------------------------------------
// Helpers

const Win32FormWindow::Control* Win32FormWindow::ControlOfWindow(HWND hwnd) const {
  if (!hwnd) return nullptr;
  const auto id = ControlOfId(GetDlgCtrlID(hwnd));
  if (!id || Ctl(*id).hwnd != hwnd) return nullptr;
  return &Ctl(*id);
}

HWND Win32FormWindow::TextBox(ControlId c) const {
  if (!IsTextBox(Ctl(c).kind)) throw Error::Toolkit("the control is not a text box");
  return Ctl(c).hwnd;
}

HBRUSH Win32FormWindow::BackBrush(const Control& c) const {
  return c.back_brush ? c.back_brush.get() : GetSysColorBrush(COLOR_BTNFACE);
}

HFONT Win32FormWindow::FontOf(const Control& c) const {
  return c.font ? c.font.get() : default_font_.get();
}

UniqueFont Win32FormWindow::MakeFont(float points, bool bold) const {
  const int height = -static_cast<int>(std::lround(points * metrics_.dpi_y / 72.0));
  UniqueFont font(CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                              DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                              DEFAULT_PITCH | FF_DONTCARE, kDefaultFace));
  if (!font) ThrowLastError("CreateFont");
  return font;
}

int Win32FormWindow::PixelsX(float twips) const { return RoundPixels(twips, metrics_.twips_per_pixel_x); }
int Win32FormWindow::PixelsY(float twips) const { return RoundPixels(twips, metrics_.twips_per_pixel_y); }

RECT Win32FormWindow::RectInParent(HWND child) const {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void Win32FormWindow::Place(HWND hwnd, const RECT& r) {
  if (!SetWindowPos(hwnd, nullptr, r.left, r.top, std::max(0L, r.right - r.left),
                    std::max(0L, r.bottom - r.top), SWP_NOZORDER | SWP_NOACTIVATE))
    ThrowLastError("SetWindowPos");
}

void Win32FormWindow::SetFormSize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  RECT r;
  GetWindowRect(window_.get(), &r);
  if (width == r.right - r.left && height == r.bottom - r.top) return;  // no change, no event
  // WM_SIZE, and with it OnResize, arrives before SetWindowPos returns.
  if (!SetWindowPos(window_.get(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE))
    ThrowLastError("SetWindowPos");
}

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

void Win32FormWindow::FitLabel(const Control& c) {
  const Text text = WindowText(c.hwnd);
  RECT r{0, 0, 0, 0};
  {
    WindowDc dc(c.hwnd);
    SelectScope font(dc.get(), FontOf(c));
    if (text.empty()) {
      TEXTMETRICW tm{};
      GetTextMetricsW(dc.get(), &tm);
      r.bottom = tm.tmHeight;  // one empty line
    } else {
      DrawTextW(dc.get(), Wide(text), -1, &r, kLabelFormat | DT_CALCRECT);
    }
  }
  if (!SetWindowPos(c.hwnd, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                    SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE))
    ThrowLastError("SetWindowPos");
  InvalidateRect(c.hwnd, nullptr, TRUE);
}

void Win32FormWindow::ApplyFont(Control& c) {
  UniqueFont font = MakeFont(c.font_points, c.font_bold);
  SendMessageW(c.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
  c.font = std::move(font);  // the previous one is no longer selected anywhere
  if (c.kind == ControlKind::Label) FitLabel(c);
  InvalidateRect(c.hwnd, nullptr, TRUE);
}

// ---------------------------------------------------------------------------
// The form

void Win32FormWindow::ShowModal() {
  const auto life = life_;  // the loop must not touch *this once it may be gone
  life->modal_end = false;
  if (!shown_once_) {
    shown_once_ = true;
    Raise([](form::FormEventSink& s) { s.OnResize(); });
    if (!life->alive || life->modal_end) return;
    RECT r;
    GetWindowRect(window_.get(), &r);
    const int x = (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2;
    SetWindowPos(window_.get(), nullptr, x, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  saved_focus_ = nullptr;
  ShowWindow(window_.get(), SW_SHOW);
  SetForegroundWindow(window_.get());
  if (HWND first = FirstFocusable()) SetFocus(first);

  while (life->alive && !life->modal_end) {
    MSG msg;
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1) ThrowLastError("GetMessage");
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop that owns it
      return;
    }
    DispatchWindowMessage(msg);
  }
}

void Win32FormWindow::Hide() {
  life_->modal_end = true;
  if (IsWindowVisible(window_.get())) ShowWindow(window_.get(), SW_HIDE);
}

bool Win32FormWindow::Visible() const { return IsWindowVisible(window_.get()) != FALSE; }

void Win32FormWindow::SetCaption(const Text& title) { SetWindowTextOrThrow(window_.get(), title); }

float Win32FormWindow::Top() const {
  RECT r;
  GetWindowRect(window_.get(), &r);
  return r.top * metrics_.twips_per_pixel_y;
}

float Win32FormWindow::Width() const {
  RECT r;
  GetWindowRect(window_.get(), &r);
  return (r.right - r.left) * metrics_.twips_per_pixel_x;
}

float Win32FormWindow::Height() const {
  RECT r;
  GetWindowRect(window_.get(), &r);
  return (r.bottom - r.top) * metrics_.twips_per_pixel_y;
}

void Win32FormWindow::SetTop(float twips) {
  RECT r;
  GetWindowRect(window_.get(), &r);
  if (!SetWindowPos(window_.get(), nullptr, r.left, PixelsY(twips), 0, 0,
                    SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE))
    ThrowLastError("SetWindowPos");
}

void Win32FormWindow::SetWidth(float twips) {
  RECT r;
  GetWindowRect(window_.get(), &r);
  SetFormSize(PixelsX(twips), r.bottom - r.top);
}

void Win32FormWindow::SetHeight(float twips) {
  RECT r;
  GetWindowRect(window_.get(), &r);
  SetFormSize(r.right - r.left, PixelsY(twips));
}

void Win32FormWindow::SetBackColor(int32_t color) {
  UniqueBrush brush;
  if (color != form::kNoColor) {
    brush.reset(CreateSolidBrush(Resolve(color, COLOR_BTNFACE)));
    if (!brush) ThrowLastError("CreateSolidBrush");
  }
  form_brush_ = std::move(brush);
  RedrawWindow(window_.get(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
  // The image shows its container's colour.
  if (form::TemplateOf(ControlId::im1).container == form::kNoContainer)
    InvalidateRect(Ctl(ControlId::im1).hwnd, nullptr, TRUE);
}

// ---------------------------------------------------------------------------
// Controls

float Win32FormWindow::Left(ControlId c) const {
  return RectInParent(Ctl(c).hwnd).left * metrics_.twips_per_pixel_x;
}

float Win32FormWindow::Top(ControlId c) const {
  return RectInParent(Ctl(c).hwnd).top * metrics_.twips_per_pixel_y;
}

float Win32FormWindow::Width(ControlId c) const {
  RECT r;
  GetWindowRect(Ctl(c).hwnd, &r);
  return (r.right - r.left) * metrics_.twips_per_pixel_x;
}

float Win32FormWindow::Height(ControlId c) const {
  RECT r;
  GetWindowRect(Ctl(c).hwnd, &r);
  return (r.bottom - r.top) * metrics_.twips_per_pixel_y;
}

void Win32FormWindow::SetLeft(ControlId c, float twips) {
  RECT r = RectInParent(Ctl(c).hwnd);
  OffsetRect(&r, PixelsX(twips) - r.left, 0);
  Place(Ctl(c).hwnd, r);
}

void Win32FormWindow::SetTop(ControlId c, float twips) {
  RECT r = RectInParent(Ctl(c).hwnd);
  OffsetRect(&r, 0, PixelsY(twips) - r.top);
  Place(Ctl(c).hwnd, r);
}

void Win32FormWindow::SetWidth(ControlId c, float twips) {
  RECT r = RectInParent(Ctl(c).hwnd);
  r.right = r.left + std::max(PixelsX(twips), 0);
  Place(Ctl(c).hwnd, r);
}

void Win32FormWindow::SetHeight(ControlId c, float twips) {
  RECT r = RectInParent(Ctl(c).hwnd);
  r.bottom = r.top + std::max(PixelsY(twips), 0);
  Place(Ctl(c).hwnd, r);
}

bool Win32FormWindow::Visible(ControlId c) const {
  return (GetWindowLongW(Ctl(c).hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

void Win32FormWindow::SetVisible(ControlId c, bool visible) {
  const HWND hwnd = Ctl(c).hwnd;
  const HWND focus = GetFocus();
  const bool had_focus = focus && (focus == hwnd || IsChild(hwnd, focus));
  ShowWindow(hwnd, visible ? SW_SHOWNA : SW_HIDE);
  // A hidden window keeps the focus unless it is moved away.
  if (!visible && had_focus && GetActiveWindow() == window_.get()) {
    HWND next = FirstFocusable();
    SetFocus(next ? next : window_.get());
  }
}

void Win32FormWindow::SetBackColor(ControlId id, int32_t color) {
  Control& c = Ctl(id);
  UniqueBrush brush;
  if (color != form::kNoColor) {
    brush.reset(CreateSolidBrush(Resolve(color, COLOR_BTNFACE)));
    if (!brush) ThrowLastError("CreateSolidBrush");
  }
  c.back = color;
  c.back_brush = std::move(brush);
  // A frame's children include the image, which shows the frame's colour.
  RedrawWindow(c.hwnd, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | (c.kind == ControlKind::Frame ? RDW_ALLCHILDREN : 0));
}

void Win32FormWindow::SetForeColor(ControlId id, int32_t color) {
  Control& c = Ctl(id);
  c.fore = color;
  InvalidateRect(c.hwnd, nullptr, TRUE);
}

void Win32FormWindow::SetCaption(ControlId id, const Text& caption) {
  const Control& c = Ctl(id);
  if (c.kind != ControlKind::Frame && c.kind != ControlKind::Label && c.kind != ControlKind::Button)
    throw Error::Toolkit("the control has no caption");
  SetWindowTextOrThrow(c.hwnd, caption);
  if (c.kind == ControlKind::Label) FitLabel(c);
  InvalidateRect(c.hwnd, nullptr, TRUE);
}

Text Win32FormWindow::GetText(ControlId c) const { return WindowText(TextBox(c)); }

void Win32FormWindow::SetText(ControlId c, const Text& text) { SetWindowTextOrThrow(TextBox(c), text); }

void Win32FormWindow::SetFontSize(ControlId id, float points) {
  if (!(points > 0 && points <= 2048)) throw Error(Fault::InvalidPropertyValue);
  Control& c = Ctl(id);
  c.font_points = points;
  ApplyFont(c);
}

void Win32FormWindow::SetFontBold(ControlId id, bool bold) {
  Control& c = Ctl(id);
  c.font_bold = bold;
  ApplyFont(c);
}

void Win32FormWindow::SetSelStart(ControlId c, int32_t start) {
  const HWND edit = TextBox(c);
  if (start < 0) throw Error(Fault::InvalidPropertyValue);
  SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(start));
  SendMessageW(edit, EM_SCROLLCARET, 0, 0);
}

void Win32FormWindow::SetSelLength(ControlId c, int32_t length) {
  const HWND edit = TextBox(c);
  if (length < 0) throw Error(Fault::InvalidPropertyValue);
  DWORD start = 0;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
  const auto end = static_cast<LPARAM>(std::min<int64_t>(int64_t{start} + length, INT_MAX));
  SendMessageW(edit, EM_SETSEL, start, end);
}

// ---------------------------------------------------------------------------
// The list

void Win32FormWindow::AddItem(const Text& entry) {
  const LRESULT r = SendMessageW(List(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(entry)));
  if (r == LB_ERR || r == LB_ERRSPACE) throw Error(Fault::OutOfMemory);
}

void Win32FormWindow::ClearList() { SendMessageW(List(), LB_RESETCONTENT, 0, 0); }

int16_t Win32FormWindow::ListCount() const {
  const LRESULT n = SendMessageW(List(), LB_GETCOUNT, 0, 0);
  return static_cast<int16_t>(std::clamp<LRESULT>(n, 0, INT16_MAX));
}

Text Win32FormWindow::ListEntry(int16_t index) const {
  const LRESULT length = SendMessageW(List(), LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (index < 0 || length == LB_ERR) return {};  // no such entry reads as empty
  std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT got = SendMessageW(List(), LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
  return FromWide(buffer.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

int16_t Win32FormWindow::ListIndex() const {
  const LRESULT i = SendMessageW(List(), LB_GETCURSEL, 0, 0);
  return i == LB_ERR ? int16_t{-1} : static_cast<int16_t>(i);
}

void Win32FormWindow::RemoveItem(int16_t index) {
  if (index < 0 || SendMessageW(List(), LB_DELETESTRING, static_cast<WPARAM>(index), 0) == LB_ERR)
    throw Error::InvalidCall();
}

// ---------------------------------------------------------------------------
// The picture

void Win32FormWindow::LoadPicture(const Text& path) {
  const HWND image = Ctl(ControlId::im1).hwnd;
  if (path.empty()) {  // no file: no picture
    picture_.Reset();
    InvalidateRect(image, nullptr, TRUE);
    return;
  }
  UniqueFile file(CreateFileW(Wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD e = GetLastError();
    if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND || e == ERROR_INVALID_NAME)
      throw Error(Fault::FileNotFound);
    throw Error(Fault::PathFileAccess);
  }
  const Error invalid(Fault::InvalidPicture);
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 || size.QuadPart > 256 * 1024 * 1024)
    throw invalid;
  const auto bytes = static_cast<DWORD>(size.QuadPart);
  UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, bytes));
  if (!memory) throw Error(Fault::OutOfMemory);
  {
    void* data = GlobalLock(memory.get());
    DWORD read = 0;
    const BOOL ok = data && ReadFile(file.get(), data, bytes, &read, nullptr) && read == bytes;
    GlobalUnlock(memory.get());
    if (!ok) throw Error(Fault::PathFileAccess);
  }
  ComScope com;  // the decoders are COM objects
  ComPtr<IStream> stream;
  if (FAILED(CreateStreamOnHGlobal(memory.get(), TRUE, &stream))) throw invalid;
  memory.release();  // the stream frees it
  ComPtr<IPicture> picture;
  if (FAILED(OleLoadPicture(stream.Get(), static_cast<LONG>(bytes), FALSE, IID_IPicture,
                            reinterpret_cast<void**>(picture.ReleaseAndGetAddressOf()))) ||
      !picture)
    throw invalid;
  picture_ = std::move(picture);
  InvalidateRect(image, nullptr, TRUE);
}

void Win32FormWindow::RefreshPicture() {
  const HWND image = Ctl(ControlId::im1).hwnd;
  InvalidateRect(image, nullptr, TRUE);
  UpdateWindow(image);
}

}  // namespace brivet::win32
