// The settings members, the choosers and wave sound against the headless
// services.
#include <filesystem>
#include <fstream>
#include <iterator>

#include "driver.h"
#include "services_headless.h"

namespace brivet::testing {
namespace {

namespace fs = std::filesystem;

// A script host whose Windows folder is a scratch folder of its own.
struct ServicesHost : ScriptHost {
  ServicesHost() : services(headless::InstalledHeadlessServices()) {
    folder = fs::temp_directory_path() / ("brivet-services-" + std::to_string(++serial));
    fs::remove_all(folder);
    fs::create_directories(folder);
    services.file_system.windows_folder = folder;
  }
  ~ServicesHost() {
    std::error_code ec;
    fs::remove_all(folder, ec);
    services.file_system = headless::HeadlessFileSystemFactory();
  }
  fs::path ini() const { return folder / "brivetdll.ini"; }
  std::string ini_bytes() const {
    std::ifstream in(ini(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // GetInfo's status, with the value it wrote into `value`, which
  // GetInfoValue answers as its result.
  Variant Get(window::Window& w, Variant section, Variant key, Variant& value) {
    std::vector<Variant> written;
    const Variant status = Call(w, u"GetInfo", {section, key, value}, &written);
    value = written.at(2);
    EXPECT_EQ(Call(w, u"GetInfoValue", {std::move(section), std::move(key)}), value);
    return status;
  }

  headless::HeadlessServices& services;
  fs::path folder;
  static inline int serial = 0;
};

TEST(Settings, FileIsCreatedByTheFirstWriteOnly) {
  OnFreshThread([] {
    ServicesHost host;
    window::Window w;
    Variant value = Variant::I4(7);
    EXPECT_EQ(host.Get(w, S("s"), S("k"), value), Variant::I2(-1));
    EXPECT_EQ(value, S(""));
    EXPECT_FALSE(fs::exists(host.ini()));
    EXPECT_EQ(host.Call(w, u"DeleteInfo", {S("s"), S("k")}), Variant::I2(1));
    EXPECT_EQ(host.ini_bytes(), "");
    EXPECT_EQ(host.Call(w, u"SaveInfo", {S("Sect"), S("Key"), Variant::I4(42)}), Variant::I2(1));
    EXPECT_EQ(host.Get(w, S("SECT"), S("key"), value), Variant::I2(1));
    EXPECT_EQ(value, S("42"));
    EXPECT_EQ(host.Call(w, u"DeleteInfo", {S("sect"), S("KEY")}), Variant::I2(1));
    EXPECT_EQ(host.Get(w, S("Sect"), S("Key"), value), Variant::I2(0));
    EXPECT_EQ(host.ini_bytes(), "[Sect]\r\n");
  });
}

TEST(Settings, StoredTextsThatReadAsConditions) {
  OnFreshThread([] {
    ServicesHost host;
    window::Window w;
    const struct {
      Variant stored;
      int16_t status;
      Variant value;
    } cases[] = {
        {S("na"), 0, S("")},          {S("Error"), -2, S("")},
        {S("ini MISSING"), -1, S("")}, {S(""), 0, S("")},
        {S("NAB"), 1, S("NAB")},       {Variant::Str(Text(300, u'v')), 1, Variant::Str(Text(254, u'v'))},
    };
    for (const auto& c : cases) {
      ASSERT_EQ(host.Call(w, u"SaveInfo", {S("s"), S("k"), c.stored}), Variant::I2(1));
      Variant value = Variant::R8(1.5);
      EXPECT_EQ(host.Get(w, S("s"), S("k"), value), Variant::I2(c.status)) << Narrow(c.stored.text());
      EXPECT_EQ(value, c.value) << Narrow(c.stored.text());
    }
  });
}

TEST(Settings, TextsThatWouldCorruptTheFileAreRefused) {
  OnFreshThread([] {
    ServicesHost host;
    window::Window w;
    const Text nul(1, u'\0');
    const struct {
      Text section, key, value;
    } refused[] = {
        {u"a\r\n[b]", u"k", u"v"}, {u"s", u"k\nx", u"v"}, {u"s", u"k", u"line\r\nx=1"},
        {u"s", u"k", u"cr\r"},     {u"s" + nul, u"k", u"v"}, {u"s", u"k", u"v" + nul + u"w"},
        {u"a]b", u"k", u"v"},      {u"s", u"k=x", u"v"},     {u"s", u" [a]", u"v"},
        // Blanks the platform strips from a key's front, and look-alikes
        // that best fit turns into brackets, "=" and ";".
        {u"s", u"\v[victim]", u"v"}, {u"s", u"\f[victim]", u"v"}, {u"s", u"\x1A[victim]", u"v"},
        {u"s", u"\uFF3Bvictim\uFF3D", u"v"}, {u"s", u"  \uFF3Bvictim]", u"v"},
        {u"s", u"\u3000[victim]", u"v"}, {u"a\uFF3Db", u"k", u"v"}, {u"s", u"k\uFF1Dx", u"v"},
        {u"s", u";comment", u"v"},     {u"s", u"\uFF1Bc", u"v"},     {u"s\x7F", u"k", u"v"},
        {u"s", u"k\t", u"v"},
    };
    for (const auto& r : refused) {
      EXPECT_EQ(host.Call(w, u"SaveInfo", {Variant::Str(r.section), Variant::Str(r.key), Variant::Str(r.value)}),
                Variant::I2(-1))
          << Narrow(r.section + u"|" + r.key + u"|" + r.value);
      EXPECT_FALSE(fs::exists(host.ini()));
    }
    ASSERT_EQ(host.Call(w, u"SaveInfo", {S("s"), S("k"), S("v=w]x")}), Variant::I2(1));
    ASSERT_EQ(host.Call(w, u"SaveInfo", {S("s[1"), S("k[1]"), S("[v]")}), Variant::I2(1));
    const std::string before = host.ini_bytes();
    EXPECT_EQ(host.Call(w, u"DeleteInfo", {S("s"), S("k=x")}), Variant::I2(-1));
    EXPECT_EQ(host.Call(w, u"DeleteInfo", {S("s]"), S("k")}), Variant::I2(-1));
    EXPECT_EQ(host.ini_bytes(), before);
  });
}

TEST(Settings, ANameIsFoundAgainUnderTheSameTextWhateverTheFileMakesOfIt) {
  OnFreshThread([] {
    ServicesHost host;
    window::Window w;
    for (const Text& key : {Text(u"Key\u03A9"), Text(u"\u952E"), Text(u"\U0001F600"), Text(u" k ")}) {
      ASSERT_EQ(host.Call(w, u"SaveInfo", {S("intl"), Variant::Str(key), S("v")}), Variant::I2(1));
      Variant value;
      EXPECT_EQ(host.Get(w, S("intl"), Variant::Str(key), value), Variant::I2(1)) << Narrow(key);
      EXPECT_EQ(host.Call(w, u"DeleteInfo", {S("intl"), Variant::Str(key)}), Variant::I2(1));
      EXPECT_EQ(host.Get(w, S("intl"), Variant::Str(key), value), Variant::I2(0)) << Narrow(key);
    }
    // Blanks around a name are not part of it: one line, under the name.
    ASSERT_EQ(host.Call(w, u"SaveInfo", {S(" s "), S(" k "), S("1")}), Variant::I2(1));
    ASSERT_EQ(host.Call(w, u"SaveInfo", {S("s"), S("k "), S("2")}), Variant::I2(1));
    EXPECT_EQ(host.ini_bytes(), "[intl]\r\n[s]\r\nk=2\r\n");
  });
}

TEST(Settings, FailuresGiveTheirStatus) {
  OnFreshThread([] {
    ServicesHost host;
    window::Window w;
    Variant value = S("x");
    // GetInfo converts section and key before trapping errors.
    EXPECT_THROW(host.Get(w, Variant::Null(), S("k"), value), Error);
    EXPECT_THROW(host.Call(w, u"GetInfoValue", {S("s"), Variant::Null()}), Error);
    EXPECT_EQ(value, S("x"));
    EXPECT_EQ(host.Call(w, u"SaveInfo", {Variant::Null(), S("k"), S("v")}), Variant::I2(-1));
    EXPECT_EQ(host.Call(w, u"SaveInfo", {S("s"), S("k"), Variant::Null()}), Variant::I2(-1));
    EXPECT_EQ(host.Call(w, u"DeleteInfo", {S("s"), Variant::Null()}), Variant::I2(-1));
    EXPECT_FALSE(fs::exists(host.ini()));

    host.services.file_system.fail_creation = true;
    EXPECT_EQ(host.Get(w, S("s"), S("k"), value), Variant::I2(-2));
    EXPECT_EQ(value, S(""));
    EXPECT_EQ(host.Call(w, u"SaveInfo", {S("s"), S("k"), S("v")}), Variant::I2(-1));
    host.services.file_system.fail_creation = false;

    // The path is computed on every call: a Windows folder that has gone.
    host.services.file_system.windows_folder = host.folder / "gone";
    EXPECT_EQ(host.Call(w, u"SaveInfo", {S("s"), S("k"), S("v")}), Variant::I2(-1));
    EXPECT_EQ(host.Get(w, S("s"), S("k"), value), Variant::I2(-1));
    EXPECT_EQ(host.services.file_system.live_objects, 0);
  });
}

Text Repeated(size_t n) { return Text(n, u'p'); }

TEST(Choosers, FileChoosersAskAndAnswer) {
  OnFreshThread([] {
    ServicesHost host;
    window::Window w;
    headless::HeadlessChoosers& choosers = host.services.choosers;
    const struct {
      const char16_t* member;
      std::optional<Text> answer;
      Text result;
    } cases[] = {
        {u"ChooseFileOpen", Text(u"C:\\data\\in.txt"), u"C:\\data\\in.txt"},
        {u"ChooseFileSave", Text(u"C:\\data\\out.txt"), u"C:\\data\\out.txt"},
        {u"ChooseFileOpen", std::nullopt, u""},
        {u"ChooseFileSave", std::nullopt, u""},
        {u"ChooseFileOpen", Repeated(254), Repeated(254)},
        {u"ChooseFileSave", Repeated(255), u""},
        {u"ChooseFileOpen", Text(u"C:\\a\0junk", 9), u"C:\\a"},
    };
    for (const auto& c : cases) {
      choosers.paths.push_back(c.answer);
      EXPECT_EQ(host.Call(w, c.member), Variant::Str(c.result)) << Narrow(c.member);
    }
    ASSERT_EQ(choosers.open_requests.size(), 4u);
    ASSERT_EQ(choosers.save_requests.size(), 3u);
    for (const auto* requests : {&choosers.open_requests, &choosers.save_requests}) {
      const services::Choosers::FileRequest& r = requests->front();
      EXPECT_EQ(r.filter_name, u"All Files");
      EXPECT_EQ(r.filter_pattern, u"*.*");
      EXPECT_EQ(r.max_path, 255);
    }
    EXPECT_EQ(choosers.open_requests[0].title, u"Open File");
    EXPECT_FALSE(choosers.open_requests[0].default_extension);
    EXPECT_EQ(choosers.save_requests[0].title, u"Save As");
    EXPECT_EQ(choosers.save_requests[0].default_extension, Text(u"txt"));
  });
}

TEST(Choosers, FolderChooserTitlesAndLimits) {
  OnFreshThread([] {
    ServicesHost host;
    window::Window w;
    headless::HeadlessChoosers& choosers = host.services.choosers;
    const struct {
      Variant title;
      std::optional<Text> answer;
      Text result;
    } cases[] = {
        {Variant::Missing(), Text(u"C:\\windows"), u"C:\\windows"},
        {S("Pick one"), std::nullopt, u""},
        {Variant(), Repeated(254), Repeated(254)},
        {Variant::I4(12), Repeated(255), u""},
        {Variant::I4(12), Repeated(259), u""},
    };
    for (const auto& c : cases) {
      choosers.paths.push_back(c.answer);
      EXPECT_EQ(host.Call(w, u"ChooseFolder", {c.title}), Variant::Str(c.result));
    }
    const std::vector<std::optional<Text>> titles = {std::nullopt, Text(u"Pick one"), Text(), Text(u"12"),
                                                     Text(u"12")};
    EXPECT_EQ(choosers.folder_titles, titles);
    // A title that is no text ends in the empty text before any chooser opens.
    EXPECT_EQ(host.Call(w, u"ChooseFolder", {Variant::Null()}), S(""));
    EXPECT_EQ(choosers.folder_titles.size(), titles.size());
  });
}

TEST(Choosers, ColourResultsAndComponents) {
  OnFreshThread([] {
    ServicesHost host;
    window::Window w;
    const struct {
      std::optional<int32_t> picked;
      Variant result, red, green, blue;
      const char* hex;
    } cases[] = {
        {std::nullopt, Variant::I4(-1), Variant::I2(-1), Variant::I2(-1), Variant::I2(-1), ""},
        {0, Variant::I4(0), Variant::I2(0), Variant::I2(0), Variant::I2(0), "000000"},
        {255, Variant::I4(255), Variant::I4(255), Variant::I4(0), Variant::I4(0), "FF0000"},
        {65280, Variant::I4(65280), Variant::I4(0), Variant::I4(255), Variant::I4(0), "00FF00"},
        {0xFF0000, Variant::I4(0xFF0000), Variant::I4(0), Variant::I4(0), Variant::I4(255), "0000FF"},
        {0x123456, Variant::I4(0x123456), Variant::I4(0x56), Variant::I4(0x34), Variant::I4(0x12), "563412"},
        {0xEFCDAB, Variant::I4(0xEFCDAB), Variant::I4(0xAB), Variant::I4(0xCD), Variant::I4(0xEF), "ABCDEF"},
    };
    for (const auto& c : cases) {
      host.services.choosers.colors.push_back(c.picked);
      std::vector<Variant> written;
      EXPECT_EQ(host.Call(w, u"ChooseColorRGB", {S("r"), S("g"), S("b")}, &written), c.result);
      EXPECT_EQ(written, (std::vector<Variant>{c.red, c.green, c.blue})) << c.hex;
      host.services.choosers.colors.push_back(c.picked);
      EXPECT_EQ(host.Call(w, u"ChooseColorHex"), S(c.hex));
    }
  });
}

TEST(Choosers, AChooserWithNoAnswerQueuedEndsTheTest) {
  OnFreshThread([] {
    ServicesHost host;
    window::Window w;
    EXPECT_THROW(host.Call(w, u"ChooseFileOpen"), headless::ChooserQueueRanDry);
    EXPECT_THROW(host.Call(w, u"ChooseColorHex"), headless::ChooserQueueRanDry);
  });
}

TEST(Sound, OnlyExistingWaveFilesPlay) {
  OnFreshThread([] {
    ServicesHost host;
    window::Window w;
    for (const char* name : {"tone.wav", "TONE2.WaV", "tone.wav.mp3", "tone.wave", "tone"})
      std::ofstream(host.folder / name) << "RIFF";
    fs::create_directories(host.folder / "folder.wav");
    const Text base = host.folder.u16string() + u"\\";
    const Variant paths[] = {
        Variant::Str(base + u"tone.wav"),     Variant::Str(base + u"TONE2.WaV"),
        Variant::Str(base + u"missing.wav"),  Variant::Str(base + u"tone.wav.mp3"),
        Variant::Str(base + u"tone.wave"),    Variant::Str(base + u"tone"),
        Variant::Str(base + u"folder.wav"),   S(""),
        Variant::Null(),
    };
    for (const Variant& path : paths) {
      Variant argument = path;
      EXPECT_EQ(host.Invoke(w, u"PlaySound", dispatch::kMethod, {argument}), 0);
    }
    EXPECT_EQ(host.services.sound.played, (std::vector<Text>{base + u"tone.wav", base + u"TONE2.WaV"}));
    EXPECT_EQ(host.services.file_system.live_objects, 0);
  });
}

}  // namespace
}  // namespace brivet::testing
