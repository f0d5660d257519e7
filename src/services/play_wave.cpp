#include "services/play_wave.h"

#include <stdexcept>

#include "core/text.h"

namespace brivet::services {

void PlayWave(FileSystemFactory& factory, Sound& sound, const Text& path) noexcept {
  try {
    const std::unique_ptr<FileSystem> files = factory.Create();
    if (!files->FileExists(path)) return;
    if (!EqualsIgnoringCase(files->GetExtensionName(path), "WAV")) return;
    sound.PlaySync(path);
  } catch (const std::exception&) {
    // A sound that cannot be played is simply not heard.
  }
}

}  // namespace brivet::services
