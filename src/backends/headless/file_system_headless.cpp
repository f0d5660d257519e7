#include "file_system_headless.h"

#include <fstream>

#include "core/error.h"

namespace brivet::headless {

namespace {

std::filesystem::path PathOf(const Text& text) {
  // Windows separators are accepted as well, so paths read the same.
  std::u16string native = text;
  for (char16_t& c : native)
    if (c == u'\\') c = u'/';
  return std::filesystem::path(native);
}

class HeadlessFileSystem final : public services::FileSystem {
 public:
  explicit HeadlessFileSystem(HeadlessFileSystemFactory& factory) : factory_(factory) {
    ++factory_.live_objects;
  }
  ~HeadlessFileSystem() override { --factory_.live_objects; }

  bool FileExists(const Text& path) override {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(PathOf(path), ec);
  }

  Text GetExtensionName(const Text& path) override {
    const size_t last_separator = path.find_last_of(u"\\/:");
    const size_t start = last_separator == Text::npos ? 0 : last_separator + 1;
    const size_t dot = path.rfind(u'.');
    if (dot == Text::npos || dot < start) return Text();
    return path.substr(dot + 1);
  }

  Text WindowsFolder() override {
    std::u16string folder = factory_.windows_folder.u16string();
    while (folder.size() > 1 && (folder.back() == u'/' || folder.back() == u'\\')) folder.pop_back();
    return folder;
  }

  void CreateEmptyTextFile(const Text& path) override {
    std::ofstream file(PathOf(path), std::ios::binary | std::ios::trunc);
    if (!file) throw Error(Fault::PathNotFound);
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
