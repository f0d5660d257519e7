#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <string>

#include "handles.h"
#include "services_win32.h"

namespace brivet::win32 {

Text Win32Profile::AsStored(const Text& text) {
  const std::string bytes = ToAnsi(text);
  return FromAnsi(bytes.data(), bytes.size());
}

// The ANSI forms, so that names reach the file, and are compared with what
// it holds, in the one form the file can hold them in.
int32_t Win32Profile::Read(const Text& section, const Text& key, const Text& fallback, Text& out,
                           int32_t buffer_size, const Text& file) {
  out.clear();
  if (buffer_size <= 0) return 0;
  std::string buffer(static_cast<size_t>(buffer_size), '\0');
  const DWORD copied =
      GetPrivateProfileStringA(ToAnsi(section).c_str(), ToAnsi(key).c_str(), ToAnsi(fallback).c_str(),
                               buffer.data(), static_cast<DWORD>(buffer_size), ToAnsi(file).c_str());
  const size_t length = std::min<size_t>(copied, static_cast<size_t>(buffer_size - 1));
  out = FromAnsi(buffer.data(), length);
  return static_cast<int32_t>(out.size());
}

bool Win32Profile::Write(const Text& section, const Text& key, const std::optional<Text>& value,
                         const Text& file) {
  const std::optional<std::string> stored_value = value ? std::optional(ToAnsi(*value)) : std::nullopt;
  return WritePrivateProfileStringA(ToAnsi(section).c_str(), ToAnsi(key).c_str(),
                                    stored_value ? stored_value->c_str() : nullptr,
                                    ToAnsi(file).c_str()) != FALSE;
}

void Win32Sound::PlaySync(const Text& path) { sndPlaySoundW(Wide(path), SND_SYNC); }

}  // namespace brivet::win32
