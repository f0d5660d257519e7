// The platform a process runs the component on: one backend (Win32 or
// headless) installs it before the first object is created, with every
// slot filled. The logic reaches each service through its accessor, which
// raises a clear error instead of handing out a missing slot.
#pragma once

#include "form/toolkit.h"
#include "services/file_system.h"
#include "services/system_services.h"

namespace brivet {

struct Platform {
  form::Toolkit* toolkit = nullptr;
  services::FileSystemFactory* file_system = nullptr;
  services::Choosers* choosers = nullptr;
  services::Profile* profile = nullptr;
  services::Sound* sound = nullptr;

  bool complete() const noexcept {
    return toolkit && file_system && choosers && profile && sound;
  }
};

void InstallPlatform(const Platform& platform);

// The installed services; each throws brivet::Error when its slot is empty.
form::Toolkit& CurrentToolkit();
services::FileSystemFactory& CurrentFileSystem();
services::Choosers& CurrentChoosers();
services::Profile& CurrentProfile();
services::Sound& CurrentSound();

}  // namespace brivet
