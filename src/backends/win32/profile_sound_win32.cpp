#include <windows.h>
#include <mmsystem.h>
#include <sddl.h>

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

namespace {

// Every user may wait on the mutex and release it, and nothing more; the
// label lets low-integrity processes in too. The second form, without the
// label, is for systems whose parser lacks it.
constexpr const wchar_t* kEveryoneMaySynchronise[] = {L"D:(A;;0x00100001;;;WD)S:(ML;;NW;;;LW)",
                                                      L"D:(A;;0x00100001;;;WD)"};
constexpr DWORD kMutexAccess = SYNCHRONIZE | MUTEX_MODIFY_STATE;

struct LocalMemoryTraits {
  using Handle = PSECURITY_DESCRIPTOR;
  static Handle Empty() noexcept { return nullptr; }
  static void Close(Handle h) noexcept { LocalFree(h); }
};

Unique<LocalMemoryTraits> EveryoneMaySynchronise() {
  for (const wchar_t* text : kEveryoneMaySynchronise) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (ConvertStringSecurityDescriptorToSecurityDescriptorW(text, SDDL_REVISION_1, &descriptor, nullptr))
      return Unique<LocalMemoryTraits>(descriptor);
  }
  return {};
}

// Opens the mutex with only the access it needs, so one made by another
// user (a service, say) opens as well; creates it when there is none.
UniqueKernelObject OpenSettingsMutex() {
  const Unique<LocalMemoryTraits> descriptor = EveryoneMaySynchronise();
  SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor.get(), FALSE};
  for (const wchar_t* name : {kSettingsLockGlobalName, kSettingsLockLocalName}) {
    UniqueKernelObject mutex(CreateMutexExW(&attributes, name, 0, kMutexAccess));
    if (mutex) return mutex;
  }
  return {};
}

// Owns the mutex (not its handle, which the profile keeps) until it goes.
class MutexHold final : public services::Profile::Hold {
 public:
  explicit MutexHold(HANDLE mutex) : mutex_(mutex) {}
  ~MutexHold() override { ReleaseMutex(mutex_); }
  MutexHold(const MutexHold&) = delete;
  MutexHold& operator=(const MutexHold&) = delete;

 private:
  HANDLE mutex_;
};

}  // namespace

std::unique_ptr<services::Profile::Hold> Win32Profile::Lock(const Text& file, int32_t wait_ms) {
  HANDLE mutex;
  {
    std::lock_guard guard(opening_);
    if (!mutex_) mutex_ = OpenSettingsMutex();
    mutex = mutex_.get();
  }
  if (!mutex) return nullptr;
  const DWORD waited = WaitForSingleObject(mutex, static_cast<DWORD>(std::max(wait_ms, 0)));
  // Abandoned: its holder ended without releasing it, and now it is ours.
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) return nullptr;
  auto held = std::make_unique<MutexHold>(mutex);
  // The profile functions keep the files they read and trust the cached
  // copy while the modification time is unchanged, which a change in the
  // same clock tick does not move; this call drops the file from the cache.
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, Wide(file));
  return held;
}

void Win32Sound::PlaySync(const Text& path) {
  using PlaySoundFile = BOOL(WINAPI*)(LPCWSTR, UINT);
  winmm_.Bind<PlaySoundFile>("sndPlaySoundW")(Wide(path), SND_SYNC);
}

}  // namespace brivet::win32
