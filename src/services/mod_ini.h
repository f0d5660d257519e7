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

// The settings file: the Windows folder followed by "\brivetdll.ini".
Text SettingsPath(FileSystem& files);

// The value, or one of the answers above. Never creates the file.
Text ReadSetting(FileSystemFactory& files, Profile& profile, const Text& section, const Text& key);

// Stores the value (absent: removes the key), creating an empty file first
// when there is none. 1 when written, -1 when refused or failed.
int32_t WriteSetting(FileSystemFactory& files, Profile& profile, const Text& section,
                     const Text& key, const std::optional<Text>& value);

// Whether the texts can be stored as the very setting they name: no line
// break or NUL anywhere, no "]" in the section, no "=" in the key and no
// "[" opening it.
bool IsStorableSetting(const Text& section, const Text& key, const std::optional<Text>& value);

}  // namespace brivet::services
