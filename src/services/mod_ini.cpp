#include "services/mod_ini.h"

#include "core/traps.h"

namespace brivet::services {

Text SettingsPath(FileSystem& files) { return files.WindowsFolder() + u"\\brivetdll.ini"; }

Text ReadSetting(FileSystemFactory& factory, Profile& profile, const Text& section,
                 const Text& key) {
  return Trapped(T(kReadError), [&] {
    const std::unique_ptr<FileSystem> files = factory.Create();
    const Text path = SettingsPath(*files);
    if (!files->FileExists(path)) return T(kFileMissing);
    Text buffer;
    const int32_t copied =
        profile.Read(section, key, T(kNoSuchSetting), buffer, kReadBufferSize, path);
    if (copied <= 0) return T(kNoSuchSetting);
    return buffer.substr(0, static_cast<size_t>(copied));
  });
}

int32_t WriteSetting(FileSystemFactory& factory, Profile& profile, const Text& section,
                     const Text& key, const std::optional<Text>& value) {
  if (!IsStorableSetting(section, key, value)) return -1;
  return Trapped(int32_t{-1}, [&] {
    const std::unique_ptr<FileSystem> files = factory.Create();
    const Text path = SettingsPath(*files);
    if (!files->FileExists(path)) files->CreateEmptyTextFile(path);
    return profile.Write(section, key, value, path) ? 1 : -1;
  });
}

bool IsStorableSetting(const Text& section, const Text& key, const std::optional<Text>& value) {
  // A line break or NUL would write lines of their own into the shared file;
  // "]" ends a section name and "=" a key, so either would store the setting
  // under another name than the one asked for.
  constexpr std::u16string_view kLineBreaks(u"\r\n\0", 3);
  const auto holds = [](const Text& text, std::u16string_view characters) {
    return text.find_first_of(characters.data(), 0, characters.size()) != Text::npos;
  };
  if (holds(section, kLineBreaks) || holds(key, kLineBreaks)) return false;
  if (value && holds(*value, kLineBreaks)) return false;
  // A key line that starts with "[" is read back as a section header, which
  // would move the section's later settings under it.
  const size_t key_start = key.find_first_not_of(u" \t");
  const bool key_opens_section = key_start != Text::npos && key[key_start] == u'[';
  return !holds(section, u"]") && !holds(key, u"=") && !key_opens_section;
}

}  // namespace brivet::services
