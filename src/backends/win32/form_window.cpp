// One form as a user32 top-level window: creation, the modal display, and
// the geometry of the form and its controls.
#include "form_window.h"

#include <cmath>

#include "form/layout.h"
#include "form_window_detail.h"

namespace brivet::win32 {

using form::ControlId;
using form::ControlKind;
using namespace detail;

namespace {

// How long a modal display must have had nothing to do before it counts as
// idle: shorter than anyone takes to read a dialog and answer it, longer than
// the gap between the painting and a scripted answer.
constexpr DWORD kIdleDelayMs = 150;

constexpr DWORD kFormStyle = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = WS_EX_CONTROLPARENT;

// Whole pixels, limited to what a window position can hold.
int RoundPixels(float twips, float twips_per_pixel) {
  const double px = std::round(static_cast<double>(twips) / twips_per_pixel);
  return static_cast<int>(std::clamp(px, -32768.0, 32767.0));
}

}  // namespace

// ---------------------------------------------------------------------------
// Creation and destruction

Win32FormWindow::Win32FormWindow(std::shared_ptr<WindowClasses> classes, std::shared_ptr<VisualStyles> styles,
                                 form::FormEventSink& sink)
    : classes_(std::move(classes)), styles_(std::move(styles)), sink_(sink) {
  for (const auto& t : form::Template()) {
    Control& c = Ctl(t.id);
    c.id = t.id;
    c.kind = t.kind;
    c.font_points = kDefaultPoints;
  }
  high_contrast_ = HighContrastOn();

  // The dialog's windows are dpi aware and styled whatever the host thread
  // is; the thread keeps its own awareness and context.
  const DpiAwareScope aware;
  const VisualStyles::Scope styled = styles_->Activate();
  themed_buttons_ = styled.active();
  metrics_ = Metrics::At(SystemDpi());
  const int width = PixelsX(form::kWindowWidth);
  const int height = OuterHeightPixels(form::kWindowHeight);
  const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  HWND hwnd = CreateWindowExW(kFormExStyle, kFormClassName, Wide(form::kDesignCaption), kFormStyle, x, y, width,
                              height, nullptr, nullptr, classes_->module(), this);
  if (!hwnd) ThrowLastError("CreateWindowEx (form)");
  window_.reset(hwnd);
  // The monitor it opened on may have a dpi of its own.
  if (const int dpi = DpiOf(hwnd); dpi != metrics_.dpi_y) {
    metrics_ = Metrics::At(dpi);
    SetWindowPos(hwnd, nullptr, 0, 0, PixelsX(form::kWindowWidth),
                 OuterHeightPixels(form::kWindowHeight), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  message_font_ = MessageFont(metrics_.dpi_y);
  default_font_ = MakeFont(0, false);

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
      // A real label, so that screen readers read it as static text.
      window_class = L"STATIC";
      style |= SS_LEFTNOWORDWRAP | SS_NOPREFIX;
      break;
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
      // BS_NOTIFY: focus changes decide which button looks like the default.
      // Styled buttons draw themselves (a coloured one through custom
      // drawing); plain ones are drawn here, in their colour.
      style |= kFocusable | BS_NOTIFY | (themed_buttons_ ? BS_PUSHBUTTON : BS_OWNERDRAW);
      break;
  }
  const bool ours = window_class == kPaneClassName;
  HWND hwnd = CreateWindowExW(ex_style, window_class, L"", style, PixelsX(t.left), PixelsY(t.top),
                              PixelsX(t.width), PixelsY(t.height), parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlWindowId(t.id))),
                              classes_->module(), ours ? this : nullptr);
  if (!hwnd) ThrowLastError("CreateWindowEx (control)");
  Ctl(t.id).hwnd = hwnd;
  if (!ours) MakeAccessible(hwnd);
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(default_font_.get()), FALSE);
  if (IsTextBox(t.kind)) {
    SendMessageW(hwnd, EM_SETLIMITTEXT, 0, 0);  // 0: the largest limit
    ApplyFont(Ctl(t.id));                        // its own size, the system's face
  }
}

Win32FormWindow::~Win32FormWindow() {
  life_->alive = false;
  life_->live = false;
  // A thread's windows end with it, unannounced: the form of a thread that
  // ended first has none left, and another thread's cannot be destroyed here.
  if (GetWindowThreadProcessId(window_.get(), nullptr) != GetCurrentThreadId()) (void)window_.release();
  window_.reset();  // takes the child windows with it, raising no event
}

const Win32FormWindow::Control* Win32FormWindow::ControlOfWindow(HWND hwnd) const {
  if (!hwnd) return nullptr;
  const auto id = ControlOfId(GetDlgCtrlID(hwnd));
  if (!id || Ctl(*id).hwnd != hwnd) return nullptr;
  return &Ctl(*id);
}

// ---------------------------------------------------------------------------
// The form

void Win32FormWindow::ShowModal() {
  const auto life = life_;  // the loop must not touch *this once it may be gone
  life->modal_end = false;
  if (!shown_once_) {
    const DpiAwareScope aware;
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

  bool idle_raised = false;
  while (life->alive && !life->modal_end) {
    MSG msg;
    // Nothing queued, not even a paint: the window is on screen. Idle comes
    // only once nothing has arrived for a moment longer, so that an answer
    // given right after the painting never waits behind the idle work.
    if (!idle_raised && !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      const DWORD waited =
          MsgWaitForMultipleObjectsEx(0, nullptr, kIdleDelayMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
      if (waited == WAIT_FAILED) ThrowLastError("MsgWaitForMultipleObjectsEx");
      if (waited == WAIT_TIMEOUT) {
        idle_raised = true;
        Raise([](form::FormEventSink& s) { s.OnIdle(); });
      }
      continue;
    }
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

float Win32FormWindow::Top() const { return TwipsOf(window_.get()).top; }
float Win32FormWindow::Width() const { return TwipsOf(window_.get()).width; }
float Win32FormWindow::Height() const {
  const RECT r = RectInParent(window_.get());
  return HeightTwips(r.bottom - r.top);
}

void Win32FormWindow::SetTop(float twips) {
  form::CheckedPosition(twips);
  const DpiAwareScope aware;
  const RECT r = RectInParent(window_.get());
  if (!SetWindowPos(window_.get(), nullptr, r.left, PixelsY(twips), 0, 0,
                    SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE))
    ThrowLastError("SetWindowPos");
}

void Win32FormWindow::SetWidth(float twips) {
  form::CheckedSize(twips);
  const RECT r = RectInParent(window_.get());
  SetFormSize(PixelsX(twips), r.bottom - r.top);
}

void Win32FormWindow::SetHeight(float twips) {
  form::CheckedSize(twips);
  const RECT r = RectInParent(window_.get());
  SetFormSize(r.right - r.left, OuterHeightPixels(twips));
}

// The frame as the system draws it: at the window's dpi.
int Win32FormWindow::FramePixels() const {
  return FrameSize(kFormStyle, kFormExStyle, window_ ? DpiOf(window_.get()) : metrics_.dpi_y).cy;
}

int Win32FormWindow::OuterHeightPixels(float twips) const {
  return std::max(0, PixelsY(twips) - PixelsY(form::kFrameAllowance)) + FramePixels();
}

float Win32FormWindow::HeightTwips(int outer_pixels) const {
  const int client = std::max(0, outer_pixels - FramePixels());
  return static_cast<float>(client + PixelsY(form::kFrameAllowance)) * metrics_.twips_per_pixel_y;
}

void Win32FormWindow::SetBackColor(int32_t color) {
  form_brush_ = BrushFor(color);
  RedrawWindow(window_.get(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
  // The image shows its container's colour.
  if (form::TemplateOf(ControlId::im1).container == form::kNoContainer)
    InvalidateRect(Ctl(ControlId::im1).hwnd, nullptr, TRUE);
}

void Win32FormWindow::SetFormSize(int width, int height) {
  const DpiAwareScope aware;
  const RECT r = RectInParent(window_.get());
  if (width == r.right - r.left && height == r.bottom - r.top) return;  // no change, no event
  // WM_SIZE, and with it OnResize, arrives before SetWindowPos returns.
  if (!SetWindowPos(window_.get(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE))
    ThrowLastError("SetWindowPos");
}

// Moved to a monitor of another dpi: every control keeps its twips, the
// fonts are made for the new dpi, the window takes the rectangle the system
// suggests and the layout runs again.
void Win32FormWindow::DpiChanged(int dpi, const RECT& suggested) {
  const int old = metrics_.dpi_y;
  if (dpi <= 0 || dpi == old) return;
  metrics_ = Metrics::At(dpi);
  for (const Control& c : controls_) {
    for (HWND hwnd : {c.hwnd, c.heading}) {
      if (!hwnd) continue;
      RECT r = RectInParent(hwnd);
      r = {MulDiv(r.left, dpi, old), MulDiv(r.top, dpi, old), MulDiv(r.right, dpi, old), MulDiv(r.bottom, dpi, old)};
      Place(hwnd, r);
    }
  }
  TakeSystemFonts();
  for (const Control& c : controls_)
    if (c.heading) PlaceHeading(c);
  const auto life = life_;  // a resize handler may take the form away
  const SIZE before = last_size_;
  SetWindowPos(window_.get(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  if (life->alive && last_size_.cx == before.cx && last_size_.cy == before.cy) Raise([](form::FormEventSink& s) { s.OnResize(); });
}

// ---------------------------------------------------------------------------
// Control geometry

float Win32FormWindow::Left(ControlId c) const { return TwipsOf(Ctl(c).hwnd).left; }
float Win32FormWindow::Top(ControlId c) const { return TwipsOf(Ctl(c).hwnd).top; }
float Win32FormWindow::Width(ControlId c) const { return TwipsOf(Ctl(c).hwnd).width; }
float Win32FormWindow::Height(ControlId c) const { return TwipsOf(Ctl(c).hwnd).height; }

void Win32FormWindow::SetLeft(ControlId c, float twips) {
  form::CheckedPosition(twips);
  RECT r = RectInParent(Ctl(c).hwnd);
  OffsetRect(&r, PixelsX(twips) - r.left, 0);
  Place(Ctl(c).hwnd, r);
}

void Win32FormWindow::SetTop(ControlId c, float twips) {
  form::CheckedPosition(twips);
  RECT r = RectInParent(Ctl(c).hwnd);
  OffsetRect(&r, 0, PixelsY(twips) - r.top);
  Place(Ctl(c).hwnd, r);
}

void Win32FormWindow::SetWidth(ControlId c, float twips) {
  form::CheckedSize(twips);
  RECT r = RectInParent(Ctl(c).hwnd);
  r.right = r.left + PixelsX(twips);
  Place(Ctl(c).hwnd, r);
}

void Win32FormWindow::SetHeight(ControlId c, float twips) {
  form::CheckedSize(twips);
  RECT r = RectInParent(Ctl(c).hwnd);
  r.bottom = r.top + PixelsY(twips);
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

int Win32FormWindow::PixelsX(float twips) const { return RoundPixels(twips, metrics_.twips_per_pixel_x); }
int Win32FormWindow::PixelsY(float twips) const { return RoundPixels(twips, metrics_.twips_per_pixel_y); }

// The outer rectangle relative to the parent's client area; the form has no
// parent, so its rectangle is in screen coordinates.
RECT Win32FormWindow::RectInParent(HWND hwnd) const {
  const DpiAwareScope aware;
  RECT r;
  GetWindowRect(hwnd, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

Win32FormWindow::TwipsRect Win32FormWindow::TwipsOf(HWND hwnd) const {
  const RECT r = RectInParent(hwnd);
  const float tx = metrics_.twips_per_pixel_x, ty = metrics_.twips_per_pixel_y;
  return {r.left * tx, r.top * ty, (r.right - r.left) * tx, (r.bottom - r.top) * ty};
}

void Win32FormWindow::Place(HWND hwnd, const RECT& r) {
  const DpiAwareScope aware;
  if (!SetWindowPos(hwnd, nullptr, r.left, r.top, std::max(0L, r.right - r.left),
                    std::max(0L, r.bottom - r.top), SWP_NOZORDER | SWP_NOACTIVATE))
    ThrowLastError("SetWindowPos");
}

}  // namespace brivet::win32
