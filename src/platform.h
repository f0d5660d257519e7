// The platform a process runs the component on: one backend (Win32 or
// headless) installs it before the first object is created.
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
};

// The installed platform; throws brivet::Error when none is installed.
Platform& CurrentPlatform();
void InstallPlatform(const Platform& platform);

}  // namespace brivet
