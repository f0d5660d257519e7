// The file-system object on Windows: kernel32's file functions.
#pragma once

#include "services/file_system.h"

namespace brivet::win32 {

class Win32FileSystemFactory final : public services::FileSystemFactory {
 public:
  std::unique_ptr<services::FileSystem> Create() override;
};

}  // namespace brivet::win32
