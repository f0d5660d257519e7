// Painting: frames, buttons in their colours, and the picture.
#include "form_window.h"

#include "form/captions.h"
#include "form_window_detail.h"

namespace brivet::win32 {

using form::ControlId;
using form::ControlKind;
using namespace detail;

// Frames are plain areas in their colour (their headings are labels of
// their own); the image shows its picture.
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
}

namespace {

// `color` moved towards white (amount > 0) or black (amount < 0), in 1/256.
COLORREF Shade(COLORREF color, int amount) {
  const int target = amount > 0 ? 255 : 0;
  const int a = amount > 0 ? amount : -amount;
  auto mix = [&](int part) { return static_cast<BYTE>(part + (target - part) * a / 256); };
  return RGB(mix(GetRValue(color)), mix(GetGValue(color)), mix(GetBValue(color)));
}

bool IsDark(COLORREF color) {
  return form::CaptionColorOn(static_cast<int32_t>(color)) != 0;  // white captions read on it
}

}  // namespace

// A button in the script's colour: a flat face in that colour, lighter under
// the pointer and darker while pressed, a frame in the selection colour for
// the default button, and a focus mark. Without a colour, and only where the
// styled buttons are missing, the classic raised button.
void Win32FormWindow::DrawButton(HDC dc, HWND button, const RECT& rect, const Control& c, ButtonState state) {
  DcStateScope saved(dc);
  RECT r = rect;
  const int32_t back = Shown(c.back);
  COLORREF face = Resolve(back, COLOR_BTNFACE);
  if (back == form::kNoColor) {
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    if (state.is_default) {
      FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
      InflateRect(&r, -1, -1);
    }
    DrawEdge(dc, &r, state.pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  } else {
    // Hover and press shade away from the caption's colour, so it keeps
    // reading; the edge stands out from the face.
    const bool dark = IsDark(face);
    const int away = dark ? -1 : 1;
    if (state.pressed) face = Shade(face, away * 56);
    else if (state.hot) face = Shade(face, away * 28);
    if (state.disabled) face = Shade(face, 128);
    const COLORREF edge = Shade(face, dark ? 80 : -80);
    UniqueBrush face_brush(CreateSolidBrush(face));
    UniquePen edge_pen(CreatePen(PS_SOLID, 1, state.is_default ? GetSysColor(COLOR_HIGHLIGHT) : edge));
    FillRect(dc, &r, BackBrush(Ctl(form::TemplateOf(c.id).container)));  // the corners: the frame's
    SelectObject(dc, face_brush.get());
    SelectObject(dc, edge_pen.get());
    const int round = MulDiv(4, metrics_.dpi_y, 96);
    RoundRect(dc, r.left, r.top, r.right, r.bottom, round, round);
    if (state.is_default) {
      RECT inner = r;
      InflateRect(&inner, -1, -1);
      SelectObject(dc, GetStockObject(NULL_BRUSH));
      RoundRect(dc, inner.left, inner.top, inner.right, inner.bottom, round, round);
      InflateRect(&r, -1, -1);
    }
  }

  RECT text_rect = r;
  if (state.pressed && back == form::kNoColor) OffsetRect(&text_rect, 1, 1);
  SelectObject(dc, FontOf(c));
  SetBkMode(dc, TRANSPARENT);
  // On a colour of the script's choosing, black or white, whichever reads.
  const COLORREF text = state.disabled       ? GetSysColor(COLOR_GRAYTEXT)
                        : back == form::kNoColor ? GetSysColor(COLOR_BTNTEXT)
                                                 : static_cast<COLORREF>(form::CaptionColorOn(
                                                       static_cast<int32_t>(Resolve(back, COLOR_BTNFACE))));
  SetTextColor(dc, text);
  // "&" marks the access key, underlined unless the system hides it until Alt.
  const LRESULT cues = SendMessageW(button, WM_QUERYUISTATE, 0, 0);
  const UINT prefix = (cues & UISF_HIDEACCEL) ? DT_HIDEPREFIX : 0;
  const Text caption = WindowText(button);
  DrawTextW(dc, Wide(caption), -1, &text_rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | prefix);

  if (state.focused && !(cues & UISF_HIDEFOCUS)) {
    RECT focus = r;
    InflateRect(&focus, -3, -3);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    DrawFocusRect(dc, &focus);
  }
}

// Styled buttons draw themselves; one in the script's colour is drawn here
// instead, with the state the button reports.
std::optional<LRESULT> Win32FormWindow::ButtonCustomDraw(const NMCUSTOMDRAW& draw) {
  const Control* c = ControlOfWindow(draw.hdr.hwndFrom);
  if (!c || c->kind != ControlKind::Button) return std::nullopt;
  if (draw.dwDrawStage != CDDS_PREPAINT || Shown(c->back) == form::kNoColor) return CDRF_DODEFAULT;
  const UINT s = draw.uItemState;
  const bool pushed = (SendMessageW(draw.hdr.hwndFrom, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
  DrawButton(draw.hdc, draw.hdr.hwndFrom, draw.rc, *c,
             {(s & CDIS_SELECTED) != 0 || pushed, (s & CDIS_HOT) != 0, (s & CDIS_FOCUS) != 0 || GetFocus() == draw.hdr.hwndFrom,
              (s & CDIS_DISABLED) != 0, DrawnAsDefault(draw.hdr.hwndFrom)});
  return CDRF_SKIPDEFAULT;
}

void Win32FormWindow::PaintPicture(HDC dc, const RECT& client) {
  // The image has no background of its own: it shows its container's.
  const auto& t = form::TemplateOf(ControlId::im1);
  FillRect(dc, &client, t.container == form::kNoContainer
                            ? FormBrush()
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

HBRUSH Win32FormWindow::FormBrush() const {
  return form_brush_ && !high_contrast_ ? form_brush_.get() : GetSysColorBrush(COLOR_BTNFACE);
}

HBRUSH Win32FormWindow::BackBrush(const Control& c) const {
  return c.back_brush && !high_contrast_ ? c.back_brush.get() : GetSysColorBrush(COLOR_BTNFACE);
}

HFONT Win32FormWindow::FontOf(const Control& c) const {
  return c.font ? c.font.get() : default_font_.get();
}

}  // namespace brivet::win32
