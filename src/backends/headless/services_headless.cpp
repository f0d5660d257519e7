#include "file_system_headless.h"
#include "platform.h"
#include "services/unavailable_services.h"
#include "toolkit_headless.h"

namespace brivet::headless {

HeadlessToolkit& InstallHeadlessPlatform() {
  static HeadlessToolkit toolkit;
  static HeadlessFileSystemFactory file_system;
  static services::UnavailableChoosers choosers;
  static services::UnavailableProfile profile;
  static services::UnavailableSound sound;
  toolkit.actions.clear();
  Platform platform;
  platform.toolkit = &toolkit;
  platform.file_system = &file_system;
  platform.choosers = &choosers;
  platform.profile = &profile;
  platform.sound = &sound;
  InstallPlatform(platform);
  return toolkit;
}

}  // namespace brivet::headless
