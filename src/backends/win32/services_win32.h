// The system services on Windows: comdlg32's and shell32's standard
// choosers, kernel32's profile functions and winmm's sound, all through
// their wide-character forms; texts reach the profile converted to the ANSI
// code page and back, as the file holds them.
#pragma once

#include "handles.h"
#include "services/system_services.h"

namespace brivet::win32 {

class Win32Choosers final : public services::Choosers {
 public:
  std::optional<Text> OpenFile(const FileRequest& request) override;
  std::optional<Text> SaveFile(const FileRequest& request) override;
  std::optional<Text> BrowseFolder(const std::optional<Text>& title) override;
  std::optional<int32_t> PickColor() override;

 private:
  SystemLibrary comdlg32_{L"comdlg32.dll"};
  SystemLibrary shell32_{L"shell32.dll"};
};

// The settings lock: one mutex for the machine, named in the global
// namespace so services in session 0 and every user's session share it; a
// session's own namespace when the global one is refused.
inline constexpr wchar_t kSettingsLockGlobalName[] = L"Global\\Brivet.SettingsFile.Lock";
inline constexpr wchar_t kSettingsLockLocalName[] = L"Local\\Brivet.SettingsFile.Lock";

// The profile functions keep a file in the code page it was created in; the
// settings file starts empty, so it stays ANSI.
class Win32Profile final : public services::Profile {
 public:
  Text AsStored(const Text& text) override;
  int32_t Read(const Text& section, const Text& key, const Text& fallback, Text& out,
               int32_t buffer_size, const Text& file) override;
  bool Write(const Text& section, const Text& key, const std::optional<Text>& value,
             const Text& file) override;
  // The machine's one settings mutex, whatever the file.
  std::unique_ptr<Hold> Lock(const Text& file, int32_t wait_ms) override;

 private:
  // The mutex, opened at the first lock that succeeds in opening it and
  // kept while the profile lives: two calls to the system fewer a call.
  SlimLock opening_;
  UniqueKernelObject mutex_;
};

class Win32Sound final : public services::Sound {
 public:
  void PlaySync(const Text& path) override;

 private:
  // winmm starts msacm32, which keeps registry keys open past its unload.
  SystemLibrary winmm_{L"winmm.dll"};
};

}  // namespace brivet::win32
