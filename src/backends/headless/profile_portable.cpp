#include "profile_portable.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <thread>
#include <vector>

#include "core/text.h"
#include "file_system_headless.h"

namespace brivet::headless {

namespace {

// Windows-1252 in 0x80-0x9F; 0 marks the five bytes it leaves undefined.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Names compare with letter case folded in the ASCII range, as Wine's
// profile functions compare them.
bool SameName(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) {
           return FoldCase(x) == FoldCase(y);
         });
}

std::u16string_view Trimmed(std::u16string_view s) { return services::TrimmedOfProfileBlanks(s); }

// The look-alikes the platform's best fit turns into ASCII: the full-width
// forms and the typographic spaces.
char16_t BestFit(char16_t c) {
  if (c >= 0xFF01 && c <= 0xFF5E) return static_cast<char16_t>(c - 0xFF01 + u'!');
  if ((c >= 0x2000 && c <= 0x200A) || c == 0x3000) return u' ';
  return 0;
}

// One line of the file, as it stands, and what it means.
struct Line {
  Text text;    // without its line ending
  Text ending;  // "\r\n", "\n" or empty for a last line without one
  enum class Kind { Other, Section, Setting } kind = Kind::Other;
  Text name;    // section name or key, trimmed
  Text value;   // a setting's value, trimmed
};

Line Parsed(Text text, Text ending) {
  Line line;
  line.text = std::move(text);
  line.ending = std::move(ending);
  const std::u16string_view body = Trimmed(line.text);
  if (body.empty()) return line;
  if (body.front() == u'[') {
    const size_t close = body.rfind(u']');
    const std::u16string_view name = body.substr(1, close == 0 || close == Text::npos ? Text::npos : close - 1);
    line.kind = Line::Kind::Section;
    line.name = Text(Trimmed(name));
    return line;
  }
  const size_t equals = body.find(u'=');
  line.kind = Line::Kind::Setting;
  line.name = Text(Trimmed(body.substr(0, equals)));
  if (equals != Text::npos) line.value = Text(Trimmed(body.substr(equals + 1)));
  return line;
}

std::vector<Line> LinesOf(const Text& content) {
  std::vector<Line> lines;
  size_t start = 0;
  while (start < content.size()) {
    const size_t newline = content.find(u'\n', start);
    const size_t stop = newline == Text::npos ? content.size() : newline;
    // A CR counts as part of the line ending only before a line feed; a
    // lone one at the very end stays in the line, as the file had it.
    const bool cr = newline != Text::npos && stop > start && content[stop - 1] == u'\r';
    Text ending = newline == Text::npos ? Text() : (cr ? Text(u"\r\n") : Text(u"\n"));
    lines.push_back(Parsed(content.substr(start, stop - start - (cr ? 1 : 0)), std::move(ending)));
    start = newline == Text::npos ? content.size() : newline + 1;
  }
  return lines;
}

// Where a setting stands: the first section of its name (a later section of
// the same name is not looked at) and the setting's own line, if any.
struct Place {
  size_t section = Text::npos;  // header line
  size_t section_end = 0;       // one past the section's last setting line
  size_t setting = Text::npos;
};

// The names are the caller's, trimmed as the platform trims them before
// comparing; the file's own names were trimmed when parsed.
Place Find(const std::vector<Line>& lines, std::u16string_view section, std::u16string_view key) {
  Place place;
  bool inside = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    const Line& line = lines[i];
    if (line.kind == Line::Kind::Section) {
      if (inside) break;
      inside = SameName(line.name, section);
      if (inside) {
        place.section = i;
        place.section_end = i + 1;
      }
    } else if (inside && line.kind == Line::Kind::Setting) {
      if (place.setting == Text::npos && SameName(line.name, key)) place.setting = i;
      place.section_end = i + 1;
    }
  }
  return place;
}

std::string FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Writes the new content beside the file and renames it over the file.
bool Replace(const std::filesystem::path& path, const std::string& bytes) {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  std::filesystem::path temporary = path;
  temporary += "." + std::to_string(random()) + "-" + std::to_string(++counter) + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      std::error_code ec;
      std::filesystem::remove(temporary, ec);
      return false;
    }
  }
  std::error_code ec;
  std::filesystem::rename(temporary, path, ec);
  if (!ec) return true;
  std::filesystem::remove(temporary, ec);
  return false;
}

Text Unquoted(const Text& value) {
  if (value.size() > 1 && (value.front() == u'"' || value.front() == u'\'') &&
      value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

// An advisory lock on a file beside the settings file: flock's locks belong
// to the open file, so two opens in one process exclude each other as two
// processes do, and the system lets a lock go when its holder dies.
class FileLockHold final : public services::Profile::Hold {
 public:
  explicit FileLockHold(int fd) : fd_(fd) {}
  ~FileLockHold() override { ::close(fd_); }
  FileLockHold(const FileLockHold&) = delete;
  FileLockHold& operator=(const FileLockHold&) = delete;

 private:
  int fd_;
};

}  // namespace

std::filesystem::path LockFileOf(const Text& file) {
  std::filesystem::path lock = NativePath(file);
  lock += ".lock";
  return lock;
}

std::unique_ptr<services::Profile::Hold> PortableProfile::Lock(const Text& file, int32_t wait_ms) {
  const int fd = ::open(LockFileOf(file).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  auto held = std::make_unique<FileLockHold>(fd);
  // flock cannot wait for a while and then give up, so it is asked again,
  // at growing intervals, until the time is over.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait_ms);
  auto pause = std::chrono::microseconds(50);
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK && errno != EINTR) return nullptr;
    if (std::chrono::steady_clock::now() >= deadline) return nullptr;
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::microseconds(5000));
  }
  return held;
}

Text DecodeAnsi(const std::string& bytes) {
  Text text;
  text.reserve(bytes.size());
  for (const char b : bytes) {
    const auto byte = static_cast<unsigned char>(b);
    const char16_t high = byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : 0;
    text += high ? high : static_cast<char16_t>(byte);
  }
  return text;
}

std::string EncodeAnsi(const Text& text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (const char16_t c : text) {
    // The five bytes without a character decode to U+0081 and the like and
    // must encode back to themselves, as the platform's tables do, or a
    // write would change lines it does not touch.
    const bool undefined_byte = c >= 0x80 && c < 0xA0 && kHighControls[c - 0x80] == 0;
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF) || undefined_byte) {
      bytes += static_cast<char>(c);
      continue;
    }
    const auto* found = std::find(std::begin(kHighControls), std::end(kHighControls), c);
    const char16_t fit = BestFit(c);
    if (found != std::end(kHighControls) && c != 0)
      bytes += static_cast<char>(0x80 + (found - std::begin(kHighControls)));
    else
      bytes += fit ? static_cast<char>(fit) : '?';
  }
  return bytes;
}

Text PortableProfile::AsStored(const Text& text) { return DecodeAnsi(EncodeAnsi(text)); }

int32_t PortableProfile::Read(const Text& section, const Text& key, const Text& fallback,
                              Text& out, int32_t buffer_size, const Text& file) {
  out.clear();
  if (buffer_size <= 0) return 0;
  const std::vector<Line> lines = LinesOf(DecodeAnsi(FileBytes(NativePath(file))));
  const Place place = Find(lines, Trimmed(AsStored(section)), Trimmed(AsStored(key)));
  const Text found = place.setting != Text::npos
                         ? Unquoted(lines[place.setting].value)
                         : Text(Trimmed(fallback));
  out = found.substr(0, static_cast<size_t>(buffer_size - 1));
  return static_cast<int32_t>(out.size());
}

bool PortableProfile::Write(const Text& section, const Text& key, const std::optional<Text>& value,
                            const Text& file) {
  const std::filesystem::path path = NativePath(file);
  std::vector<Line> lines = LinesOf(DecodeAnsi(FileBytes(path)));
  const Text stored_section(Trimmed(AsStored(section)));
  const Text stored_key(Trimmed(AsStored(key)));
  const Place place = Find(lines, stored_section, stored_key);
  const auto setting_line = [&](const Text& name) { return Parsed(name + u"=" + *value, u"\r\n"); };
  if (!value) {
    if (place.setting == Text::npos) return true;
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(place.setting));
  } else if (place.setting != Text::npos) {
    Line& line = lines[place.setting];
    if (line.value == *value) return true;
    Text ending = line.ending.empty() ? Text(u"\r\n") : line.ending;
    line = setting_line(line.name);
    line.ending = std::move(ending);
  } else {
    if (!lines.empty() && lines.back().ending.empty()) lines.back().ending = u"\r\n";
    size_t at = place.section_end;
    if (place.section == Text::npos) {
      lines.push_back(Parsed(u"[" + stored_section + u"]", u"\r\n"));
      at = lines.size();
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), setting_line(stored_key));
  }
  Text content;
  for (const Line& line : lines) content += line.text + line.ending;
  return Replace(path, EncodeAnsi(content));
}

}  // namespace brivet::headless
