// A profile-file reader and writer for platforms without one. Files are in
// the Windows-1252 code page; characters it lacks are stored by best fit
// (full-width forms and typographic spaces) or as "?". A
// write changes only the line of its setting (or adds one), keeps every
// other line byte for byte and replaces the file in one rename, so a crash
// in the middle of a write never leaves a torn file behind. Processes
// serialise their calls with a lock file beside the settings file.
#pragma once

#include <filesystem>
#include <string>

#include "services/system_services.h"

namespace brivet::headless {

class PortableProfile final : public services::Profile {
 public:
  Text AsStored(const Text& text) override;
  int32_t Read(const Text& section, const Text& key, const Text& fallback, Text& out,
               int32_t buffer_size, const Text& file) override;
  bool Write(const Text& section, const Text& key, const std::optional<Text>& value,
             const Text& file) override;
  // A lock on the file named by LockFileOf. Nothing is cached: every call
  // reads the file afresh.
  std::unique_ptr<Hold> Lock(const Text& file, int32_t wait_ms) override;
};

// The file whose lock stands for the settings file's: its name with ".lock".
std::filesystem::path LockFileOf(const Text& file);

// Windows-1252 bytes to text and back (best fit or "?" for a character it
// lacks).
Text DecodeAnsi(const std::string& bytes);
std::string EncodeAnsi(const Text& text);

}  // namespace brivet::headless
