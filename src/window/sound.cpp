// Wave sound: the member reports nothing, whatever happens.
#include "core/traps.h"
#include "platform.h"
#include "services/play_wave.h"
#include "window/window.h"

namespace brivet::window {

#pragma push_macro("PlaySound")
#undef PlaySound
void Window::PlaySound(Variant& vfil) {
  Skippable([&] { services::PlayWave(CurrentFileSystem(), CurrentSound(), ToText(vfil)); });
}
#pragma pop_macro("PlaySound")

}  // namespace brivet::window
