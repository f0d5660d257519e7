// The button row and the dialog's colours.
#include "core/checked.h"
#include "window/dialog_state.h"
#include "window/mod_msgbox.h"
#include "window/window.h"

namespace brivet::window {

using form::ControlId;

namespace {

void SetButtonCaption(int index, Variant& value) {
  const Text caption = ToText(value);
  ThreadUi().SetCaption(form::ButtonOf(index), caption);
}

// Coerces a colour text; -1 when it is no colour.
int32_t ColorOf(Variant& value) { return HexToColor(ToText(value)); }

}  // namespace

void Window::ShowButtons(Variant& inum) {
  const int16_t n = ToInt16(inum);
  DialogState& state = ThreadState();
  form::FormWindow& ui = ThreadUi();
  const bool wanted = n >= 1 && n <= 3;
  for (int i = 0; i < 3; ++i) ui.SetVisible(form::ButtonFrameOf(i), wanted && i < n);
  if (!wanted) {
    state.ButtonCount = 0;
    return;
  }
  state.FormHeight = CheckedAdd(state.FormHeight, 615);
  state.ButtonCount = n;
}

void Window::Button1Caption(Variant& vcap0) { SetButtonCaption(0, vcap0); }
void Window::Button2Caption(Variant& vcap1) { SetButtonCaption(1, vcap1); }
void Window::Button3Caption(Variant& vcap2) { SetButtonCaption(2, vcap2); }

void Window::ButtonColor(Variant& vcolb) {
  const int32_t color = ColorOf(vcolb);
  if (color == -1) return;
  form::FormWindow& ui = ThreadUi();
  for (int i = 0; i < 3; ++i) ui.SetBackColor(form::ButtonOf(i), color);
}

void Window::WindowColor(Variant& vcolw) {
  const int32_t color = ColorOf(vcolw);
  if (color == -1) return;
  form::FormWindow& ui = ThreadUi();
  ui.SetBackColor(color);
  for (ControlId c : {ControlId::frbut1, ControlId::frbut2, ControlId::frbut3, ControlId::FT1,
                      ControlId::FT2, ControlId::FrIm, ControlId::FrLab, ControlId::frlist,
                      ControlId::Lab1})
    ui.SetBackColor(c, color);
}

void Window::TextColor(Variant& vcolt) {
  const int32_t color = ColorOf(vcolt);
  if (color == -1) return;
  form::FormWindow& ui = ThreadUi();
  for (ControlId c : {ControlId::FT1, ControlId::FT2, ControlId::Lab1, ControlId::frlist})
    ui.SetForeColor(c, color);
}

}  // namespace brivet::window
