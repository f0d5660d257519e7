#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <vector>

#include "handles.h"
#include "services_win32.h"

namespace brivet::win32 {

Text Win32Profile::AsStored(const Text& text) {
  const std::string bytes = ToAnsi(text);
  return FromAnsi(bytes.data(), bytes.size());
}

// Texts cross to the file in the ANSI code page, so names are compared with
// what the file holds in the one form it can hold them in. The conversion is
// ours and the calls are the wide ones: the ANSI entry points refuse a text
// of more than 32,767 characters, which a file may well hold.
int32_t Win32Profile::Read(const Text& section, const Text& key, const Text& fallback, Text& out,
                           int32_t buffer_size, const Text& file) {
  out.clear();
  if (buffer_size <= 0) return 0;
  std::vector<wchar_t> buffer(static_cast<size_t>(buffer_size), L'\0');
  const DWORD copied = GetPrivateProfileStringW(Wide(AsStored(section)), Wide(AsStored(key)),
                                                Wide(AsStored(fallback)), buffer.data(),
                                                static_cast<DWORD>(buffer_size), Wide(file));
  const size_t length = std::min<size_t>(copied, static_cast<size_t>(buffer_size - 1));
  out = FromWide(buffer.data(), length);
  return static_cast<int32_t>(length);
}

bool Win32Profile::Write(const Text& section, const Text& key, const std::optional<Text>& value,
                         const Text& file) {
  const std::optional<Text> stored_value = value ? std::optional(AsStored(*value)) : std::nullopt;
  return WritePrivateProfileStringW(Wide(AsStored(section)), Wide(AsStored(key)),
                                    stored_value ? Wide(*stored_value) : nullptr, Wide(file)) != FALSE;
}

void Win32Sound::PlaySync(const Text& path) {
  using PlaySoundFile = BOOL(WINAPI*)(LPCWSTR, UINT);
  winmm_.Bind<PlaySoundFile>("sndPlaySoundW")(Wide(path), SND_SYNC);
}

}  // namespace brivet::win32
