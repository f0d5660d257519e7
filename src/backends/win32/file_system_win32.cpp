#include "file_system_win32.h"

#include "handles.h"

namespace brivet::win32 {

namespace {

class Win32FileSystem final : public services::FileSystem {
 public:
  bool FileExists(const Text& path) override {
    if (path.empty()) return false;
    const DWORD attributes = GetFileAttributesW(Wide(path));
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  }

  Text GetExtensionName(const Text& path) override { return services::ExtensionOf(path); }

  Text WindowsFolder() override {
    wchar_t buffer[MAX_PATH + 1];
    const UINT length = GetWindowsDirectoryW(buffer, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH) ThrowLastError("GetWindowsDirectory");
    Text folder = FromWide(buffer, length);
    while (!folder.empty() && (folder.back() == u'\\' || folder.back() == u'/')) folder.pop_back();
    return folder;
  }

  void CreateEmptyTextFile(const Text& path) override {
    // Only when still missing: another process may have written the file
    // since the caller looked.
    UniqueFile file(CreateFileW(Wide(path), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) return;
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) {
      if (FileExists(path)) return;
      throw Error(Fault::PermissionDenied);
    }
    switch (error) {
      case ERROR_ACCESS_DENIED:
      case ERROR_SHARING_VIOLATION:
      case ERROR_WRITE_PROTECT: throw Error(Fault::PermissionDenied);
      case ERROR_PATH_NOT_FOUND:
      case ERROR_FILE_NOT_FOUND:
      case ERROR_INVALID_NAME:
      case ERROR_BAD_PATHNAME:
      case ERROR_INVALID_DRIVE: throw Error(Fault::PathNotFound);
      default: throw Error(Fault::PathFileAccess);
    }
  }
};

}  // namespace

std::unique_ptr<services::FileSystem> Win32FileSystemFactory::Create() {
  return std::make_unique<Win32FileSystem>();
}

}  // namespace brivet::win32
