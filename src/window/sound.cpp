// Wave sound: the member reports nothing, whatever happens.
#include "platform.h"
#include "services/play_wave.h"
#include "window/window.h"

namespace brivet::window {

#pragma push_macro("PlaySound")
#undef PlaySound
void Window::PlaySound(Variant& vfil) {
  try {
    const Text path = ToText(vfil);
    services::PlayWave(CurrentFileSystem(), CurrentSound(), path);
  } catch (const std::exception&) {
    // Silence is the only report.
  }
}
#pragma pop_macro("PlaySound")

}  // namespace brivet::window
