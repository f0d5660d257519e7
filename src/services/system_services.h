// System services beyond the dialog: standard choosers, the settings
// profile and wave sound. Texts are the script's Unicode; backends convert
// to the system's code page where the platform asks for it.
#pragma once

#include <cstdint>
#include <optional>

#include "core/variant.h"

namespace brivet::services {

// The standard choosers. Each blocks until the user closes it and has no
// owner window. An empty optional means cancel or failure.
class Choosers {
 public:
  virtual ~Choosers() = default;
  struct FileRequest {
    Text title;           // "Open File" / "Save As"
    Text filter_name;     // "All Files"
    Text filter_pattern;  // "*.*"
    std::optional<Text> default_extension;  // "txt" for the save chooser
    int max_path = 255;   // characters the path may take, terminator included
  };
  virtual std::optional<Text> OpenFile(const FileRequest& request) = 0;
  virtual std::optional<Text> SaveFile(const FileRequest& request) = 0;
  // title absent: no title line. Returns the chosen item's whole file-system
  // path; nothing for cancel or an item that has none.
  virtual std::optional<Text> BrowseFolder(const std::optional<Text>& title) = 0;
  // Custom-colour part expanded, no initial colour, a fresh table of custom
  // colours; 0x00BBGGRR on success.
  virtual std::optional<int32_t> PickColor() = 0;
};

// Profile-file operations on a named file.
class Profile {
 public:
  virtual ~Profile() = default;
  // Copies the value (or the default when the key is absent) cut to
  // buffer_size - 1 characters; returns the characters copied.
  virtual int32_t Read(const Text& section, const Text& key, const Text& fallback,
                       Text& out, int32_t buffer_size, const Text& file) = 0;
  // value absent: removes the key. Creates the section and key as needed.
  // Returns false on failure.
  virtual bool Write(const Text& section, const Text& key, const std::optional<Text>& value,
                     const Text& file) = 0;
};

class Sound {
 public:
  virtual ~Sound() = default;
  // Plays a wave file to its end (the default sound when it cannot be played).
  virtual void PlaySync(const Text& path) = 0;
};

}  // namespace brivet::services
