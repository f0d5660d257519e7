// The file, folder and colour choosers, for scripts with or without the
// dialog: none of them touches the form or the dialog state.
#include "core/traps.h"
#include "platform.h"
#include "services/mod_open_save.h"
#include "window/window.h"

namespace brivet::window {

// Every failure, a missing chooser included, is the empty text.
Variant Window::ChooseFileOpen() {
  return Variant::Str(Trapped(Text(), [] { return services::ShowOpenDialog(CurrentChoosers()); }));
}

Variant Window::ChooseFileSave() {
  return Variant::Str(Trapped(Text(), [] { return services::ShowSaveDialog(CurrentChoosers()); }));
}

Variant Window::ChooseFolder(Variant& vtitle) {
  return Variant::Str(Trapped(Text(), [&] {
    std::optional<Text> title;
    if (!vtitle.IsMissing()) title = ToText(vtitle);
    return services::BrowseFolder(CurrentChoosers(), title);
  }));
}

Variant Window::ChooseColorRGB(Variant& vr, Variant& vg, Variant& vbl) {
  const int32_t color = Trapped(int32_t{-1}, [] { return services::ShowColorDialog(CurrentChoosers()); });
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
  return Variant::Str(
      Trapped(Text(), [] { return services::ColorToHex(services::ShowColorDialog(CurrentChoosers())); }));
}

}  // namespace brivet::window
