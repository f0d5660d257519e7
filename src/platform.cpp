#include "platform.h"

#include "core/error.h"

namespace brivet {

namespace {

Platform g_platform;

template <typename T>
T& Slot(T* slot, const char* what) {
  if (slot == nullptr) throw Error::Toolkit(std::string("no ") + what + " is installed");
  return *slot;
}

}  // namespace

void InstallPlatform(const Platform& platform) { g_platform = platform; }

form::Toolkit& CurrentToolkit() { return Slot(g_platform.toolkit, "window toolkit"); }
services::FileSystemFactory& CurrentFileSystem() { return Slot(g_platform.file_system, "file system"); }
services::Choosers& CurrentChoosers() { return Slot(g_platform.choosers, "chooser service"); }
services::Profile& CurrentProfile() { return Slot(g_platform.profile, "settings profile"); }
services::Sound& CurrentSound() { return Slot(g_platform.sound, "sound service"); }
ThreadStore& CurrentThreadStore() { return Slot(g_platform.thread_store, "thread store"); }

}  // namespace brivet
