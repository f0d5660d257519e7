// The header band: the window title, the message caption and the picture.
#include "core/text.h"
#include "core/traps.h"
#include "platform.h"
#include "window/dialog_state.h"
#include "window/window.h"

namespace brivet::window {

using form::ControlId;

namespace {

constexpr int32_t kMinHeaderHeight = 900;

// The picture kinds the image control shows, told by the file's extension.
bool IsPictureExtension(const Text& extension) {
  for (const char* kind : {"GIF", "ICO", "JPG", "BMP"})
    if (EqualsIgnoringCase(extension, kind)) return true;
  return false;
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
  if (state.HeaderHeight < kMinHeaderHeight) state.HeaderHeight = kMinHeaderHeight;
  state.HasHeader = true;
}

// A path that names no file of an accepted kind changes nothing and raises
// nothing; a file of an accepted kind that holds no picture raises the
// loader's error and the previous picture stays.
void Window::Picture(Variant& vpic) {
  const Text path = ToText(vpic);
  form::FormWindow& ui = ThreadUi();
  {
    const std::unique_ptr<services::FileSystem> files = CurrentFileSystem().Create();
    if (path.empty() || !files->FileExists(path)) return;
    if (!IsPictureExtension(files->GetExtensionName(path))) return;
  }
  ui.LoadPicture(path);
  ui.RefreshPicture();
  ui.SetVisible(ControlId::FrIm, true);
  DialogState& state = ThreadState();
  if (state.HeaderHeight < kMinHeaderHeight) state.HeaderHeight = kMinHeaderHeight;
  state.HasHeader = true;
}

}  // namespace brivet::window
