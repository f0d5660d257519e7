// The settings file shared by every script on the machine: one setting read
// or written per call, through the platform's profile operations, on a file
// whose path is computed afresh each time.
#pragma once

#include <cstdint>
#include <optional>

#include "services/file_system.h"
#include "services/system_services.h"

namespace brivet::services {

// The answers of ReadSetting besides a value.
inline constexpr char kNoSuchSetting[] = "NA";
inline constexpr char kFileMissing[] = "INI missing";
inline constexpr char kReadError[] = "error";

// The characters a read may copy, terminator included.
inline constexpr int32_t kReadBufferSize = 255;

// How long a call waits for the settings file's lock before it gives up
// (a read answers the read error, a write -1): a lock held by a stuck or
// hostile process must never hang the script.
inline constexpr int32_t kSettingsLockWaitMs = 5000;

// The settings file: the Windows folder followed by "\brivetdll.ini".
Text SettingsPath(FileSystem& files);

// The value, or one of the answers above. Never creates the file. Every
// read and write takes the file's lock, so a call sees each other call on
// the machine whole or not at all.
Text ReadSetting(FileSystemFactory& files, Profile& profile, const Text& section, const Text& key);

// Stores the value (absent: removes the key), creating an empty file first
// when there is none (never emptying one that is there). 1 when written, -1 when refused or failed; a refused
// setting leaves the file as it was, or absent.
int32_t WriteSetting(FileSystemFactory& files, Profile& profile, const Text& section,
                     const Text& key, const std::optional<Text>& value);

// A setting as the file will hold it: converted to the file's code page,
// names trimmed of the blanks the profile functions strip from them.
struct StoredSetting {
  Text section;
  Text key;
  std::optional<Text> value;
};

// The stored form, or nothing when reading it back would not give the same
// section, key and value, or would change another setting: a control
// character in a name, a line break or NUL in the value, "]" in the section
// (it ends the header), "=" in the key (it ends the key) and a key opening
// with "[" (a header) or ";" (a comment). Judged after conversion, so a
// look-alike that becomes one of these is refused too.
std::optional<StoredSetting> AsStoredSetting(Profile& profile, const Text& section, const Text& key,
                                             const std::optional<Text>& value);

}  // namespace brivet::services
