#include "profile_property.h"

#include <chrono>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/text.h"
#include "services/mod_ini.h"

namespace brivet::contract {

namespace fs = std::filesystem;

namespace {

// The real file system, with the scratch folder for the Windows folder.
class ScratchWindowsFolder final : public services::FileSystemFactory {
 public:
  ScratchWindowsFolder(services::FileSystemFactory& real, Text folder)
      : real_(real), folder_(std::move(folder)) {}

  std::unique_ptr<services::FileSystem> Create() override {
    return std::make_unique<Files>(real_.Create(), folder_);
  }

 private:
  class Files final : public services::FileSystem {
   public:
    Files(std::unique_ptr<services::FileSystem> real, Text folder)
        : real_(std::move(real)), folder_(std::move(folder)) {}
    bool FileExists(const Text& path) override { return real_->FileExists(path); }
    Text GetExtensionName(const Text& path) override { return real_->GetExtensionName(path); }
    Text WindowsFolder() override { return folder_; }
    void CreateEmptyTextFile(const Text& path) override { real_->CreateEmptyTextFile(path); }

   private:
    std::unique_ptr<services::FileSystem> real_;
    Text folder_;
  };

  services::FileSystemFactory& real_;
  Text folder_;
};

// Texts a script could pass, in pieces: plain words that must always be
// accepted, and pieces that try to break the file's lines or names.
const std::vector<Text>& PlainWords() {
  static const std::vector<Text> words = {u"victim", u"s", u"Sect", u"k", u"Key", u"v", u"42",
                                          u"caf\u00e9", u"NAB"};
  return words;
}

const std::vector<Text>& HostilePieces() {
  static const std::vector<Text> pieces = [] {
    std::vector<Text> all;
    for (char16_t c = 0; c < 0x20; ++c) all.emplace_back(1, c);
    all.emplace_back(1, u'\x7F');
    for (const char16_t* piece :
         {u"[", u"]", u"=", u";", u" ", u"  ", u"\"", u"'", u"[victim]", u"NA", u"error",
          u"\uFF3B", u"\uFF3D", u"\uFF1D", u"\uFF1B", u"\u3000", u"\u2002", u"\u00A0",
          u"\u03A9", u"\u952E", u"\U0001F600", u"\u20AC", u"\u2028"})
      all.emplace_back(piece);
    all.emplace_back(300, u'x');
    all.push_back(Text(150, u'y') + u" \uFF3Bvictim\uFF3D " + Text(140, u'z'));
    return all;
  }();
  return pieces;
}

struct Drawn {
  Text text;
  bool plain = true;  // plain words only
};

class Generator {
 public:
  explicit Generator(uint64_t seed) : random_(seed) {}

  size_t Below(size_t n) { return static_cast<size_t>(random_() % n); }

  Drawn Draw(bool name) {
    Drawn drawn;
    // Half the names come from a few sections and keys, so writes meet
    // settings that are already there.
    if (name && Below(2) == 0) {
      drawn.text = PlainWords()[Below(4)];
      return drawn;
    }
    const size_t pieces = 1 + Below(3);
    for (size_t i = 0; i < pieces; ++i) {
      if (Below(5) < 3) {
        drawn.text += PlainWords()[Below(PlainWords().size())];
      } else {
        drawn.text += HostilePieces()[Below(HostilePieces().size())];
        drawn.plain = false;
      }
    }
    return drawn;
  }

 private:
  std::mt19937_64 random_;
};

// "[section] key", as a script wrote them.
std::string Named(const Text& section, const Text& key) {
  std::string named(1, '[');
  named += Escaped(section);
  named += "] ";
  named += Escaped(key);
  return named;
}

bool Exists(const fs::path& file) {
  std::error_code ec;
  return fs::exists(file, ec);
}

// What the file holds, "absent" included.
std::string State(const fs::path& file) { return Exists(file) ? "file " + FileBytes(file) : "absent"; }

Text FoldedAscii(Text text) {
  for (char16_t& c : text) c = FoldCase(c);
  return text;
}

// The model: what the settings are, keyed by the names as the file holds
// them (code page, blanks trimmed, ASCII letters folded).
class Model {
 public:
  explicit Model(services::Profile& profile) : profile_(profile) {}

  using Name = std::pair<Text, Text>;
  struct Setting {
    Text section, key;  // the script's texts that last wrote it
    Text stored;        // the value as the file holds it
  };

  Name NameOf(const Text& section, const Text& key) {
    return {FoldedAscii(Trimmed(profile_.AsStored(section))), FoldedAscii(Trimmed(profile_.AsStored(key)))};
  }

  // What a read answers for a stored value: blanks around it and a pair of
  // enclosing quotes are not part of it, and a read keeps 254 characters.
  static Text ReadBack(const Text& stored) {
    Text value = Trimmed(stored);
    if (value.size() > 1 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    value = value.substr(0, services::kReadBufferSize - 1);
    return value.empty() ? T(services::kNoSuchSetting) : value;
  }

  std::map<Name, Setting> settings;

 private:
  static Text Trimmed(const Text& text) {
    constexpr std::u16string_view kBlanks(u" \t\n\v\f\r\x1A");
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == Text::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
  }

  services::Profile& profile_;
};

}  // namespace

PropertyFigures ProfileProperty(Checker& c, services::FileSystemFactory& real_files,
                                services::Profile& profile, const fs::path& scratch, uint64_t seed,
                                int sequences) {
  c.suite = "profile property (seed " + std::to_string(seed) + ")";
  std::error_code ec;
  fs::remove_all(scratch, ec);
  fs::create_directories(scratch);
  ScratchWindowsFolder files(real_files, scratch.u16string());
  const fs::path file = scratch / "brivetdll.ini";
  Generator generator(seed);
  PropertyFigures figures;

  for (int sequence = 0; sequence < sequences; ++sequence) {
    fs::remove(file, ec);
    Model model(profile);
    std::string log;
    const int failures_before = c.failures;
    const auto fail = [&](const std::string& what) {
      ++c.failures;
      c.Failed(c.suite + ": sequence " + std::to_string(sequence) + ": " + what + "\n  steps:" + log);
    };
    const auto read = [&](const Text& section, const Text& key) {
      return services::ReadSetting(files, profile, section, key);
    };

    const int steps = 4 + static_cast<int>(generator.Below(12));
    for (int step = 0; step < steps && c.failures == failures_before; ++step) {
      ++figures.steps;
      const Drawn section = generator.Draw(true);
      const Drawn key = generator.Draw(true);
      const size_t kind = generator.Below(10);
      const std::string before = State(file);
      if (kind < 3) {
        const Text answer = read(section.text, key.text);
        log += "\n    read " + Named(section.text, key.text) + ": " + Escaped(answer);
        const auto found = model.settings.find(model.NameOf(section.text, key.text));
        const Text expected = !Exists(file) ? T(services::kFileMissing)
                              : found == model.settings.end() ? T(services::kNoSuchSetting)
                                                              : Model::ReadBack(found->second.stored);
        // A name that cannot be stored may name nothing even where its
        // trimmed look-alike does.
        const bool plain = section.plain && key.plain;
        if (answer != expected && (plain || answer != T(services::kNoSuchSetting)))
          fail(std::string("read answered \"") + Escaped(answer) + "\", expected \"" + Escaped(expected) + "\"");
      } else {
        const bool deleting = kind < 5;
        const Drawn value = generator.Draw(false);
        const std::optional<Text> written = deleting ? std::nullopt : std::optional(value.text);
        const int32_t answer = services::WriteSetting(files, profile, section.text, key.text, written);
        log += std::string(deleting ? "\n    delete " : "\n    save ") + Named(section.text, key.text) +
               (deleting ? std::string() : " = " + Escaped(value.text)) + ": " + std::to_string(answer);
        if (answer == -1) {
          ++figures.refused;
          if (section.plain && key.plain && (deleting || value.plain)) fail("a plain setting was refused");
          if (State(file) != before) fail("a refused write changed the file: " + EscapedBytes(State(file)));
        } else if (answer != 1) {
          fail("the write answered " + std::to_string(answer));
        } else if (deleting) {
          model.settings.erase(model.NameOf(section.text, key.text));
        } else {
          model.settings[model.NameOf(section.text, key.text)] = {section.text, key.text,
                                                                  profile.AsStored(value.text)};
        }
      }
      // Every setting reads back as stored, under the texts that wrote it.
      for (const auto& [name, setting] : model.settings) {
        const Text got = read(setting.section, setting.key);
        const Text expected = Model::ReadBack(setting.stored);
        if (got != expected)
          fail(Named(setting.section, setting.key) + " reads \"" + Escaped(got) +
               "\", expected \"" + Escaped(expected) + "\"; the file: " + EscapedBytes(State(file)));
      }
    }
    ++figures.sequences;
    if (c.failures != failures_before) break;
  }
  fs::remove_all(scratch, ec);
  return figures;
}

uint64_t PropertySeed(bool long_run) {
  if (const char* text = std::getenv("BRIVET_PROFILE_SEED")) return std::strtoull(text, nullptr, 10);
  // The tests' short run is the same every time; a long run explores.
  if (!long_run) return 20261209;
  return static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
}

int PropertySequences(int fallback) {
  if (const char* text = std::getenv("BRIVET_PROFILE_SEQUENCES")) return std::atoi(text);
  return fallback;
}

}  // namespace brivet::contract
