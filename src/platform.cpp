#include "platform.h"

#include "core/error.h"

namespace brivet {

namespace {
Platform g_platform;
}

Platform& CurrentPlatform() {
  if (g_platform.toolkit == nullptr) throw Error::Toolkit("no window toolkit is installed");
  return g_platform;
}

void InstallPlatform(const Platform& platform) { g_platform = platform; }

}  // namespace brivet
