// Headless file system: real files through the standard library, with a
// folder of the test's choosing standing in for the Windows folder.
#pragma once

#include <filesystem>

#include "services/file_system.h"

namespace brivet::headless {

// A script's path as a native one; Windows separators are accepted as well,
// so paths read the same on both backends.
std::filesystem::path NativePath(const Text& text);

class HeadlessFileSystemFactory final : public services::FileSystemFactory {
 public:
  std::unique_ptr<services::FileSystem> Create() override;

  std::filesystem::path windows_folder = std::filesystem::temp_directory_path();
  bool fail_creation = false;  // simulates an object that cannot be created
  int live_objects = 0;        // objects not yet released
};

}  // namespace brivet::headless
