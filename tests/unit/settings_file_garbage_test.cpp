// The settings members on files they did not write: garbage, lines far
// longer than the 254-character reads, no line ends. Each read answers its
// status, and a write keeps the other sections.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "driver.h"
#include "services_headless.h"

namespace brivet::testing {
namespace {

namespace fs = std::filesystem;

constexpr size_t kLong = 100'000;

// Bytes of every value, line ends and brackets frequent among them; the
// first is a letter, so the file never starts like a Unicode one.
std::string Garbage(unsigned seed, size_t size) {
  std::mt19937 random(seed);
  static constexpr char kFrequent[] = "[]=;\r\n\0 \t\xe9\xff";
  std::string bytes = "x";
  for (size_t i = 0; i < size; ++i)
    bytes += random() % 10 < 3 ? kFrequent[random() % (sizeof kFrequent - 1)] : static_cast<char>(random());
  return bytes;
}

struct Read {
  std::string section, key;
  int16_t status;
  std::string value;
};

struct File {
  const char* what;
  std::string bytes;
  std::vector<Read> reads;
};

std::vector<File> Files() {
  const std::string good = "\r\n[keep]\r\nk=v\r\n[after]\r\nz=1\r\n";
  const std::string x(kLong, 'x'), y(kLong, 'y'), s(kLong, 's');
  return {
      {"garbage before the sections", Garbage(1, 20000) + good, {{"keep", "k", 1, "v"}, {"after", "z", 1, "1"}}},
      {"garbage only", Garbage(2, 20000), {{"keep", "k", 0, ""}}},
      {"a value of 100,000 characters", "[keep]\r\nk=v\r\nlong=" + x + good,
       {{"keep", "long", 1, std::string(254, 'x')}, {"keep", "k", 1, "v"}, {"after", "z", 1, "1"}}},
      {"a key of 100,000 characters", "[keep]\r\n" + y + "=2\r\nk=v" + good, {{"keep", y, 1, "2"}, {"keep", "k", 1, "v"}}},
      {"a section of 100,000 characters", "[" + s + "]\r\nz=3" + good, {{s, "z", 1, "3"}, {"keep", "k", 1, "v"}}},
      {"one line of 100,000 characters without a line end", std::string(kLong, 'q'), {{"keep", "k", 0, ""}}},
      {"a last line without its line end", "[keep]\r\nk=v", {{"keep", "k", 1, "v"}}},
      {"line feeds only", "[keep]\nk=v\n[after]\nz=1\n", {{"keep", "k", 1, "v"}, {"after", "z", 1, "1"}}},
  };
}

// A script host whose Windows folder is a scratch folder, emptied at the
// end.
struct ScratchSettings : ScriptHost {
  explicit ScratchSettings(const char* name)
      : services(headless::InstalledHeadlessServices()), folder(fs::temp_directory_path() / name) {
    fs::remove_all(folder);
    fs::create_directories(folder);
    services.file_system.windows_folder = folder;
  }
  ~ScratchSettings() {
    std::error_code ec;
    fs::remove_all(folder, ec);
    services.file_system = headless::HeadlessFileSystemFactory();
  }
  void Put(const std::string& bytes) const {
    std::ofstream out(ini, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  std::string Bytes() const {
    std::ifstream in(ini, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

  headless::HeadlessServices& services;
  const fs::path folder;
  const fs::path ini = folder / "brivetdll.ini";
};

TEST(SettingsFile, GarbageLongLinesAndMissingLineEndsAreReadWithoutHarm) {
  OnFreshThread([] {
    ScratchSettings host("brivet-settings-garbage");
    window::Window w;
    const auto read_all = [&](const File& file, const std::vector<Read>& reads, const char* when) {
      for (const Read& r : reads) {
        std::vector<Variant> written;
        const Variant status = host.Call(w, u"GetInfo", {S(r.section.c_str()), S(r.key.c_str()), Variant::I4(99)},
                                         &written);
        EXPECT_EQ(status, Variant::I2(r.status)) << file.what << ", " << when << ": " << r.section.substr(0, 20);
        EXPECT_EQ(written.at(2), S(r.value.c_str())) << file.what << ", " << when;
      }
    };
    for (const File& file : Files()) {
      host.Put(file.bytes);
      read_all(file, file.reads, "before the write");
      EXPECT_EQ(host.Call(w, u"SaveInfo", {S("added"), S("n"), S("written")}), Variant::I2(1)) << file.what;
      std::vector<Read> after = file.reads;
      after.push_back({"added", "n", 1, "written"});
      read_all(file, after, "after the write");
      // The write changed only what it wrote: every byte before stays.
      EXPECT_EQ(host.Bytes().substr(0, file.bytes.size()), file.bytes) << file.what;
    }
  });
}

TEST(SettingsFile, ALoneCarriageReturnEndingTheFileIsKeptWhenAnotherLineIsRewritten) {
  OnFreshThread([] {
    ScratchSettings host("brivet-settings-lone-cr");
    host.Put("[keep]\r\nk=v\r\n[last]\r\nz=1\r");
    window::Window w;
    EXPECT_EQ(host.Call(w, u"SaveInfo", {S("keep"), S("k"), S("w")}), Variant::I2(1));
    std::vector<Variant> written;
    EXPECT_EQ(host.Call(w, u"GetInfo", {S("last"), S("z"), S("")}, &written), Variant::I2(1));
    EXPECT_EQ(written.at(2), S("1"));
    EXPECT_EQ(host.Bytes(), "[keep]\r\nk=w\r\n[last]\r\nz=1\r");
  });
}

}  // namespace
}  // namespace brivet::testing
