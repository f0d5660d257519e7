#include "file_system_headless.h"
#include "platform.h"
#include "toolkit_headless.h"

namespace brivet::headless {

HeadlessToolkit& InstallHeadlessPlatform() {
  static HeadlessToolkit toolkit;
  static HeadlessFileSystemFactory file_system;
  toolkit.actions.clear();
  Platform platform;
  platform.toolkit = &toolkit;
  platform.file_system = &file_system;
  InstallPlatform(platform);
  return toolkit;
}

}  // namespace brivet::headless
