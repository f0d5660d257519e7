// The file, folder and colour choosers, for scripts with or without the
// dialog: none of them touches the form or the dialog state.
#include "platform.h"
#include "services/mod_open_save.h"
#include "window/window.h"

namespace brivet::window {

Variant Window::ChooseFileOpen() {
  try {
    return Variant::Str(services::ShowOpenDialog(CurrentChoosers()));
  } catch (const std::exception&) {
    return Variant::Str(Text());
  }
}

Variant Window::ChooseFileSave() {
  try {
    return Variant::Str(services::ShowSaveDialog(CurrentChoosers()));
  } catch (const std::exception&) {
    return Variant::Str(Text());
  }
}

Variant Window::ChooseFolder(Variant& vtitle) {
  try {
    std::optional<Text> title;
    if (!vtitle.IsMissing()) title = ToText(vtitle);
    return Variant::Str(services::BrowseFolder(CurrentChoosers(), title));
  } catch (const std::exception&) {
    return Variant::Str(Text());
  }
}

Variant Window::ChooseColorRGB(Variant& vr, Variant& vg, Variant& vbl) {
  int32_t color = -1;
  try {
    color = services::ShowColorDialog(CurrentChoosers());
  } catch (const std::exception&) {
  }
  if (color == 0) {
    vr = vg = vbl = Variant::I2(0);
  } else if (color > 0) {
    const int32_t blue = color / 65536;
    const int32_t green = (color - blue * 65536) / 256;
    const int32_t red = color - blue * 65536 - green * 256;
    vr = Variant::I4(red);
    vg = Variant::I4(green);
    vbl = Variant::I4(blue);
  } else {
    vr = vg = vbl = Variant::I2(-1);
  }
  return Variant::I4(color);
}

Variant Window::ChooseColorHex() {
  try {
    return Variant::Str(services::ColorToHex(services::ShowColorDialog(CurrentChoosers())));
  } catch (const std::exception&) {
    return Variant::Str(Text());
  }
}

}  // namespace brivet::window
