// Playing a wave file: only an existing file whose extension is WAV, in any
// letter case, is played, to its end; nothing is ever reported.
#pragma once

#include "services/file_system.h"
#include "services/system_services.h"

namespace brivet::services {

void PlayWave(FileSystemFactory& files, Sound& sound, const Text& path) noexcept;

}  // namespace brivet::services
