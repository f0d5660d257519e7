// The window title and the message caption of the header band.
#include "window/dialog_state.h"
#include "window/window.h"

namespace brivet::window {

using form::ControlId;

namespace {

// Runs one step of a routine that skips what fails and goes on.
template <typename Step>
void Skippable(Step&& step) noexcept {
  try {
    step();
  } catch (const std::exception&) {
  }
}

}  // namespace

void Window::Title(Variant& bxtitle) {
  const Text title = ToText(bxtitle);
  ThreadUi().SetCaption(title);
}

void Window::Caption(Variant& vcapt) {
  const Text text = ToText(vcapt);
  DialogState& state = ThreadState();
  ThreadUi().SetVisible(ControlId::FrLab, true);
  auto ui = [] () -> form::FormWindow& { return ThreadUi(); };
  Skippable([&] { ui().SetHeight(ControlId::FrLab, 8000); });
  Skippable([&] { ui().SetCaption(ControlId::Lab1, text); });
  Skippable([&] { ui().SetTop(ControlId::Lab1, 60); });
  Skippable([&] { ui().SetHeight(ControlId::FrLab, ui().Height(ControlId::Lab1) + 160); });
  Skippable([&] {
    if (ui().Height(ControlId::FrLab) < 840) {
      ui().SetHeight(ControlId::FrLab, 840);
      ui().SetHeight(ControlId::Lab1, 840);
    }
  });
  Skippable([&] { ui().SetTop(ControlId::FrLab, 60); });
  Skippable([&] { ui().SetWidth(ControlId::FrLab, ui().Width(ControlId::Lab1) + 120); });
  Skippable([&] { state.CaptionWidth = RoundToInt32(ui().Width(ControlId::FrLab)); });
  Skippable([&] { state.HeaderHeight = RoundToInt32(double(ui().Height(ControlId::FrLab)) + 60); });
  if (state.HeaderHeight < 900) state.HeaderHeight = 900;
  state.HasHeader = true;
}

}  // namespace brivet::window
