// Painting: frames, owner-drawn buttons in their colours, and the picture.
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

void Win32FormWindow::DrawButton(const DRAWITEMSTRUCT& item, const Control& c) {
  const HDC dc = item.hDC;
  DcStateScope state(dc);
  RECT r = item.rcItem;
  FillRect(dc, &r, BackBrush(c));
  if (DrawnAsDefault(item.hwndItem)) {
    FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
    InflateRect(&r, -1, -1);
  }
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  DrawEdge(dc, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);

  RECT text_rect = r;
  if (pressed) OffsetRect(&text_rect, 1, 1);
  SelectObject(dc, FontOf(c));
  SetBkMode(dc, TRANSPARENT);
  // On a colour of the script's choosing, black or white, whichever reads.
  const COLORREF text = (item.itemState & ODS_DISABLED) ? GetSysColor(COLOR_GRAYTEXT)
                        : c.back == form::kNoColor
                            ? GetSysColor(COLOR_BTNTEXT)
                            : static_cast<COLORREF>(form::CaptionColorOn(
                                  static_cast<int32_t>(Resolve(c.back, COLOR_BTNFACE))));
  SetTextColor(dc, text);
  // "&" marks the access key, underlined unless the system hides it until Alt.
  const UINT prefix = (item.itemState & ODS_NOACCEL) ? DT_HIDEPREFIX : 0;
  const Text caption = WindowText(item.hwndItem);
  DrawTextW(dc, Wide(caption), -1, &text_rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | prefix);

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
  return form_brush_ ? form_brush_.get() : GetSysColorBrush(COLOR_BTNFACE);
}

HBRUSH Win32FormWindow::BackBrush(const Control& c) const {
  return c.back_brush ? c.back_brush.get() : GetSysColorBrush(COLOR_BTNFACE);
}

HFONT Win32FormWindow::FontOf(const Control& c) const {
  return c.font ? c.font.get() : default_font_.get();
}

}  // namespace brivet::win32
