// The file-system operations the logic needs (picture checks, the settings
// file, the sound check). Each use creates an object for one call.
#pragma once

#include <memory>

#include "core/variant.h"

namespace brivet::services {

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // True only for an existing file (not a folder); relative paths resolve
  // against the process's current folder.
  virtual bool FileExists(const Text& path) = 0;
  // Text after the last point of the last path component, without the point.
  virtual Text GetExtensionName(const Text& path) = 0;
  // The Windows folder's full path, without a trailing backslash.
  virtual Text WindowsFolder() = 0;
  // Creates an empty, non-Unicode file of zero bytes unless a file of that
  // name exists (which is kept as it is).
  virtual void CreateEmptyTextFile(const Text& path) = 0;
};

// Creates the file-system object for one call; throws when it cannot.
class FileSystemFactory {
 public:
  virtual ~FileSystemFactory() = default;
  virtual std::unique_ptr<FileSystem> Create() = 0;
};

// The text after the last point of the last component of `path` (separated
// by backslash, slash or a drive's colon), without the point; empty when that
// component has no point.
Text ExtensionOf(const Text& path);

}  // namespace brivet::services
