#include "form/layout.h"

#include <cmath>

#include "core/checked.h"

namespace brivet::form {

namespace {

// A position handed to the toolkit; a non-finite value is an arithmetic fault.
float Finite(double v) {
  const auto f = static_cast<float>(v);
  if (!std::isfinite(f)) throw Error::Overflow();
  return f;
}

// The running top edge after a section of the given height.
int32_t Below(int32_t y, float height) { return RoundToInt32(double(y) + double(height)); }

void LayOut(LayoutRecord& state, Fbox& form, Toolkit& toolkit) {
  FormWindow& ui = form.ui();

  // The header and the frame allowance count once per loaded form, before
  // any size change can run this pass nested.
  if (form.first_resize) {
    if (state.HasHeader) state.FormHeight = CheckedAdd(state.FormHeight, state.HeaderHeight);
    state.FormHeight = CheckedAdd(state.FormHeight, kFrameAllowance);
  }
  form.first_resize = false;

  ui.SetTop(Finite((toolkit.ScreenHeight() - ui.Height()) / 2.0f));

  // Each size assignment may run this pass again, nested.
  ui.SetHeight(Finite(state.FormHeight));
  const int32_t min_width = CheckedAdd(state.CaptionWidth, kCaptionMargin);
  if (state.FormWidth < min_width) state.FormWidth = min_width;
  ui.SetWidth(Finite(state.FormWidth));

  const int32_t centring_width = CheckedSub(state.FormWidth, kWidthAllowance);
  auto centre = [&](ControlId c) {
    ui.SetLeft(c, Finite((double(centring_width) - double(ui.Width(c))) / 2.0));
  };

  if (state.TextBoxCount == 1 || state.TextBoxCount == 2) centre(ControlId::FT1);
  if (state.TextBoxCount == 2) centre(ControlId::FT2);

  if (ui.Visible(ControlId::FrLab)) {
    if (ui.Visible(ControlId::FrIm)) ui.SetLeft(ControlId::FrLab, float(kCaptionBesidePicture));
    else centre(ControlId::FrLab);
  }

  int32_t y = state.HeaderHeight;
  if (ui.Visible(ControlId::frlist)) {
    ui.SetTop(ControlId::frlist, Finite(state.HeaderHeight));
    centre(ControlId::frlist);
    y = CheckedAdd(state.HeaderHeight, kListSectionHeight);
  }

  if (state.TextBoxCount == 1 || state.TextBoxCount == 2) {
    ui.SetTop(ControlId::FT1, Finite(y));
    y = Below(y, ui.Height(ControlId::FT1));
  }
  if (state.TextBoxCount == 2) {
    ui.SetTop(ControlId::FT2, Finite(y));
    y = Below(y, ui.Height(ControlId::FT2));
  }

  ui.SetTop(ControlId::frbut1, Finite(y));

  const int16_t buttons = state.ButtonCount;
  if (buttons >= 1 && buttons <= 3) {
    const float row_width = ui.Width();
    const float button_width = ui.Width(ControlId::frbut1);
    ui.SetLeft(ControlId::frbut1, Finite((row_width - float(buttons) * button_width) / 2.0f));
    for (int i = 1; i < buttons; ++i) {
      const ControlId previous = ButtonFrameOf(i - 1);
      ui.SetLeft(ButtonFrameOf(i), Finite(ui.Left(previous) + ui.Width(previous)));
    }
    for (int i = 1; i < buttons; ++i) ui.SetTop(ButtonFrameOf(i), ui.Top(ControlId::frbut1));
  } else {
    for (int i = 0; i < 3; ++i) ui.SetVisible(ButtonFrameOf(i), false);
  }

  toolkit.PumpEvents();
}

}  // namespace

void RunLayoutPass(LayoutRecord& state, Fbox& form, Toolkit& toolkit) noexcept {
  try {
    LayOut(state, form, toolkit);
  } catch (const std::exception&) {
    // The pass ends quietly; what it already set stays.
  }
}

}  // namespace brivet::form
