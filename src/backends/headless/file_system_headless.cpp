#include "file_system_headless.h"

#include <cstdio>

#include "core/error.h"

namespace brivet::headless {

std::filesystem::path NativePath(const Text& text) {
  std::u16string native = text;
  for (char16_t& c : native)
    if (c == u'\\') c = u'/';
  return std::filesystem::path(native);
}

namespace {

class HeadlessFileSystem final : public services::FileSystem {
 public:
  explicit HeadlessFileSystem(HeadlessFileSystemFactory& factory) : factory_(factory) {
    ++factory_.live_objects;
  }
  ~HeadlessFileSystem() override { --factory_.live_objects; }

  bool FileExists(const Text& path) override {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(NativePath(path), ec);
  }

  Text GetExtensionName(const Text& path) override { return services::ExtensionOf(path); }

  Text WindowsFolder() override {
    std::u16string folder = factory_.windows_folder.u16string();
    while (folder.size() > 1 && (folder.back() == u'/' || folder.back() == u'\\')) folder.pop_back();
    return folder;
  }

  void CreateEmptyTextFile(const Text& path) override {
    const std::filesystem::path target = NativePath(path);
    // "x": only when still missing; another process may have written the
    // file since the caller looked.
    if (std::FILE* file = std::fopen(target.c_str(), "wbx")) {
      std::fclose(file);
      return;
    }
    if (FileExists(path)) return;
    std::error_code ec;
    const std::filesystem::path parent = target.parent_path();
    if (!parent.empty() && !std::filesystem::is_directory(parent, ec)) throw Error(Fault::PathNotFound);
    throw Error(Fault::PermissionDenied);
  }

 private:
  HeadlessFileSystemFactory& factory_;
};

}  // namespace

std::unique_ptr<services::FileSystem> HeadlessFileSystemFactory::Create() {
  if (fail_creation) throw Error(Fault::CantCreateObject);
  return std::make_unique<HeadlessFileSystem>(*this);
}

}  // namespace brivet::headless
