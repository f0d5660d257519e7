// The controls' content: captions, colours, texts, fonts, the selection,
// the list and the picture.
#include "form_window.h"

#include <cmath>

#include "core/text.h"
#include "form_window_detail.h"
#include "picture_file.h"

namespace brivet::win32 {

using form::ControlId;
using form::ControlKind;
using namespace detail;

// ---------------------------------------------------------------------------
// Colours and captions

void Win32FormWindow::SetBackColor(ControlId id, int32_t color) {
  Control& c = Ctl(id);
  UniqueBrush brush = BrushFor(color);
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
  if (c.heading) InvalidateRect(c.heading, nullptr, TRUE);
}

void Win32FormWindow::SetCaption(ControlId id, const Text& caption) {
  const Control& c = Ctl(id);
  if (c.kind != ControlKind::Frame && c.kind != ControlKind::Label && c.kind != ControlKind::Button)
    throw Error::InvalidCall();
  // The window keeps the text as set, "&" and all.
  SetWindowTextOrThrow(c.hwnd, caption);
  if (c.kind == ControlKind::Frame) SetHeading(Ctl(id), caption);
  if (c.kind == ControlKind::Label) FitLabel(c);
  InvalidateRect(c.hwnd, nullptr, TRUE);
}

void Win32FormWindow::SetHeading(Control& frame, const Text& caption) {
  if (!frame.heading) {
    if (caption.empty()) return;
    const DpiAwareScope aware;
    const VisualStyles::Scope styled = styles_->Activate();
    // "&" marks the access key of the control below; a caption too long for
    // the frame ends in an ellipsis.
    HWND heading = CreateWindowExW(
        0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_CENTERIMAGE | SS_ENDELLIPSIS, 0, 0, 0, 0,
        frame.hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(HeadingWindowId(frame.id))), classes_->module(),
        nullptr);
    if (!heading) ThrowLastError("CreateWindowEx (heading)");
    frame.heading = heading;
    MakeAccessible(heading);
    SendMessageW(heading, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(frame)), FALSE);
    // First among the frame's children: screen readers name a text box by
    // the label that precedes it.
    SetWindowPos(heading, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    PlaceHeading(frame);
  }
  SetWindowTextOrThrow(frame.heading, caption);
}

// Headings sit in the band above the frame's first row of controls.
void Win32FormWindow::PlaceHeading(const Control& frame) {
  const DpiAwareScope aware;
  RECT client;
  GetClientRect(frame.hwnd, &client);
  const int left = PixelsX(kHeadingLeftTwips);
  SetWindowPos(frame.heading, nullptr, left, 0, std::max(0L, client.right - left), PixelsY(kHeadingHeightTwips),
               SWP_NOZORDER | SWP_NOACTIVATE);
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
  const DpiAwareScope aware;
  if (!SetWindowPos(c.hwnd, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                    SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE))
    ThrowLastError("SetWindowPos");
  InvalidateRect(c.hwnd, nullptr, TRUE);
}

// ---------------------------------------------------------------------------
// Text boxes

Text Win32FormWindow::GetText(ControlId c) const { return WindowText(TextBox(c)); }

void Win32FormWindow::SetText(ControlId c, const Text& text) { SetWindowTextOrThrow(TextBox(c), text); }

float Win32FormWindow::FontSize(ControlId c) const { return Ctl(c).font_points; }
bool Win32FormWindow::FontBold(ControlId c) const { return Ctl(c).font_bold; }

void Win32FormWindow::SetFontSize(ControlId id, float points) {
  Control& c = Ctl(id);
  c.font_points = form::CheckedFontSize(points);
  ApplyFont(c);
}

void Win32FormWindow::SetFontBold(ControlId id, bool bold) {
  Control& c = Ctl(id);
  c.font_bold = bold;
  ApplyFont(c);
}

// A text box has a size of its own (the script's, or the template's);
// every other control takes the message font's unless the script gave one.
void Win32FormWindow::ApplyFont(Control& c) {
  const bool own_size = IsTextBox(c.kind) || c.font_points != kDefaultPoints;
  UniqueFont font = MakeFont(own_size ? c.font_points : 0, c.font_bold);
  SendMessageW(c.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
  if (c.heading) SendMessageW(c.heading, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
  c.font = std::move(font);  // the previous one is no longer selected anywhere
  if (c.kind == ControlKind::Label) FitLabel(c);
  InvalidateRect(c.hwnd, nullptr, TRUE);
}

// Points 0: the message font's own size.
UniqueFont Win32FormWindow::MakeFont(float points, bool bold) const {
  LOGFONTW lf = message_font_;
  if (points > 0) lf.lfHeight = -static_cast<int>(std::lround(points * metrics_.dpi_y / 72.0));
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  lf.lfWidth = 0;
  lf.lfItalic = lf.lfUnderline = lf.lfStrikeOut = FALSE;
  UniqueFont font(CreateFontIndirectW(&lf));
  if (!font) ThrowLastError("CreateFont");
  return font;
}

void Win32FormWindow::TakeSystemFonts() {
  message_font_ = MessageFont(metrics_.dpi_y);
  UniqueFont fresh = MakeFont(0, false);
  for (Control& c : controls_) {
    if (c.font || IsTextBox(c.kind)) {
      ApplyFont(c);
      continue;
    }
    SendMessageW(c.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(fresh.get()), TRUE);
    if (c.heading) SendMessageW(c.heading, WM_SETFONT, reinterpret_cast<WPARAM>(fresh.get()), TRUE);
  }
  default_font_ = std::move(fresh);  // no control uses the previous one now
  for (const Control& c : controls_)
    if (c.kind == ControlKind::Label) FitLabel(c);
}

Win32FormWindow::Selection Win32FormWindow::SelectionOf(ControlId c) const {
  DWORD start = 0, end = 0;
  SendMessageW(TextBox(c), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return {static_cast<int32_t>(start), static_cast<int32_t>(end - start)};
}

int32_t Win32FormWindow::SelStart(ControlId c) const { return SelectionOf(c).start; }
int32_t Win32FormWindow::SelLength(ControlId c) const { return SelectionOf(c).length; }

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

HWND Win32FormWindow::TextBox(ControlId c) const {
  if (!IsTextBox(Ctl(c).kind)) throw Error::InvalidCall();
  return Ctl(c).hwnd;
}

// ---------------------------------------------------------------------------
// The list

void Win32FormWindow::AddItem(const Text& entry) {
  // The list box itself holds more; counts and positions here are 16-bit.
  Text kept(UpToNul(entry));  // what the list box keeps of it
  list_entries_.MakeRoomForOne();  // no failure once the list box took it
  const LRESULT r = SendMessageW(List(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(entry)));
  if (r == LB_ERR || r == LB_ERRSPACE) throw Error(Fault::OutOfMemory);
  list_entries_.Insert(static_cast<size_t>(r), std::move(kept));
}

void Win32FormWindow::AddItems(std::span<const Text> entries) {
  const HWND list = List();
  // Room for all entries at once, and one repaint at the end rather than
  // one per entry.
  size_t chars = 0;
  for (const Text& e : entries) chars += e.size() + 1;
  SendMessageW(list, LB_INITSTORAGE, entries.size(), static_cast<LPARAM>(chars * sizeof(wchar_t)));
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  struct RedrawAgain {
    HWND list;
    ~RedrawAgain() {
      SendMessageW(list, WM_SETREDRAW, TRUE, 0);
      InvalidateRect(list, nullptr, TRUE);
    }
  } redraw{list};
  for (const Text& e : entries) AddItem(e);
}

void Win32FormWindow::ClearList() {
  SendMessageW(List(), LB_RESETCONTENT, 0, 0);
  list_entries_.Clear();
}

int16_t Win32FormWindow::ListCount() const { return list_entries_.Count(); }

Text Win32FormWindow::ListEntry(int16_t index) const { return list_entries_.At(index); }

int16_t Win32FormWindow::ListIndex() const {
  const LRESULT i = SendMessageW(List(), LB_GETCURSEL, 0, 0);
  return i == LB_ERR ? int16_t{-1} : static_cast<int16_t>(i);
}

void Win32FormWindow::RemoveItem(int16_t index) {
  list_entries_.At(index);  // refuses a position with no entry first
  if (SendMessageW(List(), LB_DELETESTRING, static_cast<WPARAM>(index), 0) == LB_ERR) throw Error::InvalidCall();
  list_entries_.Remove(index);
}

// ---------------------------------------------------------------------------
// The picture

void Win32FormWindow::LoadPicture(const Text& path) {
  const HWND image = Ctl(ControlId::im1).hwnd;
  if (path.empty()) {  // no file: no picture
    picture_.Reset();
  } else {
    picture_ = LoadPictureFile(path);  // the previous picture stays when this throws
  }
  InvalidateRect(image, nullptr, TRUE);
}

bool Win32FormWindow::HasPicture() const { return picture_ != nullptr; }

void Win32FormWindow::RefreshPicture() {
  const HWND image = Ctl(ControlId::im1).hwnd;
  InvalidateRect(image, nullptr, TRUE);
  UpdateWindow(image);
}

}  // namespace brivet::win32
