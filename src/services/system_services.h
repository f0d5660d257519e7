// System services beyond the dialog: standard choosers, the settings
// profile and wave sound. Texts are the script's Unicode; backends convert
// to the system's code page where the platform asks for it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

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

// Profile-file operations on a named file. Texts cross to the file in its
// code page: names are compared, and values stored, as AsStored gives them.
class Profile {
 public:
  virtual ~Profile() = default;
  // The text as the file holds it: converted to the file's code page (by
  // best fit where it has a look-alike, else "?") and back.
  virtual Text AsStored(const Text& text) = 0;
  // Copies the value (or the default when the key is absent) cut to
  // buffer_size - 1 characters; returns the characters copied.
  virtual int32_t Read(const Text& section, const Text& key, const Text& fallback,
                       Text& out, int32_t buffer_size, const Text& file) = 0;
  // value absent: removes the key. Creates the section and key as needed.
  // Returns false on failure.
  virtual bool Write(const Text& section, const Text& key, const std::optional<Text>& value,
                     const Text& file) = 0;

  // The file's lock, held until the Hold goes: every process on the machine
  // (any bitness, any session) that locks the same file waits for it. A lock
  // whose holder died is taken over. Nothing when it cannot be had within
  // `wait_ms`. Whatever the process remembered of the file is dropped, so
  // the operations under the lock see the file as it stands.
  class Hold {
   public:
    virtual ~Hold() = default;
  };
  virtual std::unique_ptr<Hold> Lock(const Text& file, int32_t wait_ms) = 0;
};

// What the profile functions strip as blanks from both ends of a line, a
// name and a value.
constexpr bool IsProfileBlank(char16_t c) noexcept {
  return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r' ||
         c == u'\x1A';
}

constexpr std::u16string_view TrimmedOfProfileBlanks(std::u16string_view text) noexcept {
  while (!text.empty() && IsProfileBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsProfileBlank(text.back())) text.remove_suffix(1);
  return text;
}

class Sound {
 public:
  virtual ~Sound() = default;
  // Plays a wave file to its end (the default sound when it cannot be played).
  virtual void PlaySync(const Text& path) = 0;
};

}  // namespace brivet::services
