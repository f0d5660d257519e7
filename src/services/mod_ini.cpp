#include "services/mod_ini.h"

#include <algorithm>

#include "core/traps.h"

namespace brivet::services {

Text SettingsPath(FileSystem& files) { return files.WindowsFolder() + u"\\brivetdll.ini"; }

Text ReadSetting(FileSystemFactory& factory, Profile& profile, const Text& section,
                 const Text& key) {
  return Trapped(T(kReadError), [&] {
    const std::unique_ptr<FileSystem> files = factory.Create();
    const Text path = SettingsPath(*files);
    // A missing file answers without the lock: it was missing at that moment.
    if (!files->FileExists(path)) return T(kFileMissing);
    // A name that can never be stored names no setting; asked as it is, the
    // platform would trim it into another one.
    const std::optional<StoredSetting> stored = AsStoredSetting(profile, section, key, std::nullopt);
    if (!stored) return T(kNoSuchSetting);
    const std::unique_ptr<Profile::Hold> held = profile.Lock(path, kSettingsLockWaitMs);
    if (!held) return T(kReadError);
    Text buffer;
    const int32_t copied =
        profile.Read(stored->section, stored->key, T(kNoSuchSetting), buffer, kReadBufferSize, path);
    if (copied <= 0) return T(kNoSuchSetting);
    return buffer.substr(0, static_cast<size_t>(copied));
  });
}

int32_t WriteSetting(FileSystemFactory& factory, Profile& profile, const Text& section,
                     const Text& key, const std::optional<Text>& value) {
  return Trapped(int32_t{-1}, [&] {
    const std::optional<StoredSetting> stored = AsStoredSetting(profile, section, key, value);
    if (!stored) return -1;
    const std::unique_ptr<FileSystem> files = factory.Create();
    const Text path = SettingsPath(*files);
    const std::unique_ptr<Profile::Hold> held = profile.Lock(path, kSettingsLockWaitMs);
    if (!held) return -1;
    if (!files->FileExists(path)) files->CreateEmptyTextFile(path);
    return profile.Write(stored->section, stored->key, stored->value, path) ? 1 : -1;
  });
}

namespace {

bool Holds(std::u16string_view text, std::u16string_view characters) {
  return text.find_first_of(characters) != std::u16string_view::npos;
}

bool HoldsControlCharacter(std::u16string_view text) {
  return std::any_of(text.begin(), text.end(), [](char16_t c) { return c < 0x20 || c == 0x7F; });
}

// Trimmed as the profile functions trim a name before they compare it, so
// the same script text always addresses the same stored name. A control
// character anywhere, even among the blanks trimmed away, is refused.
std::optional<Text> StoredName(Profile& profile, const Text& name) {
  const Text stored = profile.AsStored(name);
  if (HoldsControlCharacter(stored)) return std::nullopt;
  return Text(TrimmedOfProfileBlanks(stored));
}

}  // namespace

std::optional<StoredSetting> AsStoredSetting(Profile& profile, const Text& section, const Text& key,
                                             const std::optional<Text>& value) {
  StoredSetting stored;
  const std::optional<Text> stored_section = StoredName(profile, section);
  const std::optional<Text> stored_key = StoredName(profile, key);
  if (!stored_section || !stored_key) return std::nullopt;
  stored.section = *stored_section;
  stored.key = *stored_key;
  if (Holds(stored.section, u"]") || Holds(stored.key, u"=")) return std::nullopt;
  if (!stored.key.empty() && (stored.key.front() == u'[' || stored.key.front() == u';'))
    return std::nullopt;
  if (value) {
    stored.value = profile.AsStored(*value);
    // A line break or NUL would end the line there and write what follows
    // as lines of their own.
    if (Holds(*stored.value, std::u16string_view(u"\r\n\0", 3))) return std::nullopt;
  }
  return stored;
}

}  // namespace brivet::services
