#include "services/play_wave.h"

#include "core/text.h"
#include "core/traps.h"

namespace brivet::services {

void PlayWave(FileSystemFactory& factory, Sound& sound, const Text& path) noexcept {
  // A sound that cannot be played is simply not heard.
  Skippable([&] {
    const std::unique_ptr<FileSystem> files = factory.Create();
    if (!files->FileExists(path)) return;
    if (!EqualsIgnoringCase(files->GetExtensionName(path), "WAV")) return;
    sound.PlaySync(path);
  });
}

}  // namespace brivet::services
