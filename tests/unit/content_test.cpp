// The dialog's content: picture, text boxes and list, driven by name.
#include <filesystem>
#include <fstream>
#include <limits>

#include "driver.h"
#include "picture_samples.h"

namespace brivet::testing {
namespace {

namespace fs = std::filesystem;
using contract::PictureKind;
using contract::SamplePicture;
using form::ControlId;
using headless::UserAction;
using window::ThreadState;

Variant Path(const fs::path& p) { return Variant::Str(std::string_view(p.string())); }
Variant M() { return Variant::Missing(); }

// Raises `fault` and nothing else.
void ExpectFault(Fault fault, const std::function<void()>& body, const std::string& what) {
  try {
    body();
    ADD_FAILURE() << what << ": accepted";
  } catch (const Error& e) {
    EXPECT_TRUE(e.Is(fault)) << what << ": " << e.what();
  }
}

// A folder of its own for each test, removed afterwards.
class Scratch {
 public:
  Scratch()
      : dir_(fs::temp_directory_path() /
             (std::string("brivet-content-") +
              ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  ~Scratch() {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  fs::path Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
    return dir_ / name;
  }
  const fs::path& dir() const { return dir_; }

 private:
  fs::path dir_;
};

TEST(Picture, AcceptedKindsShowInAnyLetterCase) {
  OnFreshThread([] {
    ScriptHost host;
    Scratch scratch;
    const std::pair<const char*, PictureKind> files[] = {
        {"a.BMP", PictureKind::Bitmap}, {"b.Jpg", PictureKind::Jpeg},
        {"c.ico", PictureKind::Icon}, {"d.gif", PictureKind::Gif}};
    for (const auto& [name, kind] : files) {
      window::Window w;
      host.Call(w, u"Reset");
      const fs::path p = scratch.Write(name, SamplePicture(kind));
      host.Put(w, u"Picture", Path(p));
      EXPECT_EQ(host.form().picture, Path(p).text()) << name;
      EXPECT_TRUE(host.form().Visible(ControlId::FrIm)) << name;
      EXPECT_GE(host.form().picture_refreshes, 1) << name;
      EXPECT_EQ(ThreadState().HeaderHeight, 900) << name;
      EXPECT_TRUE(ThreadState().HasHeader) << name;
      EXPECT_FALSE(host.form().Visible(ControlId::FrLab)) << name;
    }
  });
}

TEST(Picture, WhatNamesNoAcceptedFileChangesNothingAndABadPictureRaises) {
  OnFreshThread([] {
    ScriptHost host;
    Scratch scratch;
    window::Window w;
    const fs::path shown = scratch.Write("shown.gif", SamplePicture(PictureKind::Gif));
    host.Put(w, u"Picture", Path(shown));
    host.Put(w, u"Caption", Variant::Str(u"one\r\ntwo\r\nthree\r\nfour"));
    const int32_t header = ThreadState().HeaderHeight;
    fs::create_directories(scratch.dir() / "folder.bmp");
    const Variant ignored[] = {
        Path(scratch.Write("e.jpeg", SamplePicture(PictureKind::Jpeg))),
        Path(scratch.Write("f.png", SamplePicture(PictureKind::Bitmap))),
        Path(scratch.Write("noextension", SamplePicture(PictureKind::Bitmap))),
        Path(scratch.dir() / "folder.bmp"), Path(scratch.dir() / "missing.gif"), S(""), Variant()};
    for (const Variant& v : ignored) {
      host.Put(w, u"Picture", v);
      EXPECT_EQ(host.form().picture, Path(shown).text()) << Narrow(ToText(v));
    }
    const fs::path bad = scratch.Write("bad.jpg", "no picture here");
    ExpectFault(Fault::InvalidPicture, [&] { host.Put(w, u"Picture", Path(bad)); }, "no picture");
    EXPECT_EQ(host.form().picture, Path(shown).text());
    EXPECT_EQ(ThreadState().HeaderHeight, header);  // the caption's, above 900
    EXPECT_THROW(host.Put(w, u"Picture", Variant::Null()), Error);
  });
}

struct TextBoxCase {
  const char* what;
  bool multi;
  Variant vw, vh, inum;
  int16_t count;
  bool ft2, t1m;
  int32_t added_height, form_width;
  float box_width, box_height;  // T1M, when multi-line
};

TEST(ShowTextBox, SectionsSizesAndBookkeeping) {
  const TextBoxCase cases[] = {
      {"one single-line", false, M(), M(), Variant::I2(1), 1, false, false, 555, 5565, 0, 0},
      {"two single-line", false, M(), M(), Variant::I2(2), 2, true, false, 1110, 5565, 0, 0},
      {"3 means two", false, M(), M(), Variant::I2(3), 2, true, false, 1110, 5565, 0, 0},
      {"-1 means two", false, M(), M(), Variant::I2(-1), 2, true, false, 1110, 5565, 0, 0},
      {"2.5 rounds to two", false, M(), M(), Variant::R8(2.5), 2, true, false, 1110, 5565, 0, 0},
      {"sizes not read when single-line", false, S("a"), S("b"), Variant::I2(1), 1, false, false,
       555, 5565, 0, 0},
      {"0.5 rounds to none", false, M(), M(), Variant::R8(0.5), 0, false, false, 0, 5565, 0, 0},
      {"default multi-line", true, M(), M(), Variant::I2(1), 1, false, true, 1620, 5505, 5025, 1350},
      {"narrow single section", true, Variant::I4(200), Variant::I4(40), Variant::I2(1), 1, false,
       true, 870, 3480, 3000, 600},
      {"narrow widened with two", true, Variant::I4(200), Variant::I4(40), Variant::I2(2), 2, true,
       true, 870 + 555, 5505, 5025, 600},
      {"default with two", true, M(), M(), Variant::I2(2), 2, true, true, 1620 + 555, 5505, 5025,
       1350},
  };
  // The method ShowTextBoxes does what the put does, its count first.
  for (const bool method : {false, true})
  for (const TextBoxCase& c : cases) {
    OnFreshThread([&] {
      ScriptHost host;
      window::Window w;
      SCOPED_TRACE(method ? "ShowTextBoxes" : "ShowTextBox");
      if (method) host.Call(w, u"ShowTextBoxes", {c.inum, Variant::Bool(c.multi), c.vw, c.vh});
      else host.Put(w, u"ShowTextBox", c.inum, {Variant::Bool(c.multi), c.vw, c.vh});
      const headless::HeadlessForm& f = host.form();
      const window::DialogState& s = ThreadState();
      EXPECT_EQ(s.TextBoxCount, c.count) << c.what;
      EXPECT_EQ(s.MultiLine, c.multi) << c.what;
      EXPECT_EQ(f.Visible(ControlId::FT1), c.count > 0) << c.what;
      EXPECT_EQ(f.Visible(ControlId::FT2), c.ft2) << c.what;
      EXPECT_EQ(s.FormHeight, c.added_height) << c.what;
      EXPECT_EQ(s.FormWidth, c.form_width) << c.what;
      if (c.count == 0) return;
      EXPECT_EQ(f.Visible(ControlId::T1M), c.t1m) << c.what;
      EXPECT_EQ(f.Visible(ControlId::T1), !c.t1m) << c.what;
      if (!c.t1m) return;
      EXPECT_FLOAT_EQ(f.Width(ControlId::T1M), c.box_width) << c.what;
      EXPECT_FLOAT_EQ(f.Height(ControlId::T1M), c.box_height) << c.what;
      EXPECT_FLOAT_EQ(f.Width(ControlId::FT1), c.box_width + 240) << c.what;
      EXPECT_FLOAT_EQ(f.Height(ControlId::FT1), c.box_height + 270) << c.what;
    });
  }
}

TEST(ShowTextBox, DefaultsGoBackIntoTheCallersVariables) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    std::vector<Variant> written;
    ASSERT_EQ(host.Invoke(w, u"ShowTextBox", dispatch::kPropertyPut,
                          {Variant::Bool(true), Variant::I4(200), Variant::R8(40.4), Variant::I2(2)},
                          nullptr, &written),
              0);
    EXPECT_EQ(written[1], Variant::I2(335));
    EXPECT_EQ(written[2], Variant::R8(40.4));  // a height given stays as given
    ASSERT_EQ(host.Invoke(w, u"ShowTextBox", dispatch::kPropertyPut,
                          {Variant::Bool(true), Variant::I4(500), Variant(), Variant::I2(1)},
                          nullptr, &written),
              0);
    EXPECT_EQ(written[1], Variant::I4(500));
    // An empty height is a height of 0, not an omitted one.
    EXPECT_FLOAT_EQ(host.form().Height(ControlId::T1M), 0);
    // The method takes values: the raised width is not written back.
    ASSERT_EQ(host.Invoke(w, u"ShowTextBoxes", dispatch::kMethod,
                          {Variant::I2(2), Variant::Bool(true), Variant::I4(200), Variant::R8(40)}, nullptr,
                          &written),
              0);
    EXPECT_EQ(written[2], Variant::I4(200));
  });
}

TEST(ShowTextBox, HeightAddsUpAndFailuresLeaveWhatWasSet) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    host.Put(w, u"ShowTextBox", Variant::I2(1), {Variant::Bool(false), M(), M()});
    host.Put(w, u"ShowTextBox", Variant::I2(1), {Variant::Bool(false), M(), M()});
    host.Put(w, u"ShowTextBox", Variant::I2(0), {Variant::Bool(true), M(), M()});
    EXPECT_EQ(ThreadState().FormHeight, 1110);
    EXPECT_TRUE(ThreadState().MultiLine);
    struct Refusal {
      const char* what;
      Variant vw, vh, inum;
      Fault fault;
    };
    const Refusal refusals[] = {
        {"count beyond 16 bits", M(), M(), Variant::I4(40000), Fault::Overflow},
        {"width beyond 32 bits in twips", Variant::I4(200000000), M(), Variant::I2(1), Fault::Overflow},
        {"negative height", M(), Variant::I4(-10), Variant::I2(1), Fault::InvalidPropertyValue},
        {"width that is no number", S("wide"), M(), Variant::I2(1), Fault::TypeMismatch},
    };
    for (const Refusal& r : refusals) {
      ExpectFault(r.fault, [&] { host.Put(w, u"ShowTextBox", r.inum, {Variant::Bool(true), r.vw, r.vh}); },
                  r.what);
      EXPECT_EQ(ThreadState().FormHeight, 1110) << r.what;
    }
    EXPECT_TRUE(host.form().Visible(ControlId::T1M));  // set before the size failed
  });
}

TEST(TextBoxes, TextsHeadingsAndFontsReachTheirBoxes) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    host.Put(w, u"Text1Text", S("before"));  // MultiLine is still false
    host.Put(w, u"ShowTextBox", Variant::I2(1), {Variant::Bool(true), M(), M()});
    host.Put(w, u"Text1Text", Variant::Str(u"line 1\r\nGr\u00fc\u00dfe \u2713"));
    host.Put(w, u"Text2Text", Variant::I4(42));
    host.Put(w, u"Text1Caption", S("First"));
    host.Put(w, u"Text2Caption", S("Second"));
    const headless::HeadlessForm& f = host.form();
    EXPECT_EQ(f.GetText(ControlId::T1), u"before");
    EXPECT_EQ(f.GetText(ControlId::T1M), u"line 1\r\nGr\u00fc\u00dfe \u2713");
    EXPECT_EQ(f.GetText(ControlId::T2), u"42");
    EXPECT_EQ(f.control(ControlId::FT1).caption, u"First");
    EXPECT_EQ(f.control(ControlId::FT2).caption, u"Second");
    EXPECT_THROW(host.Put(w, u"Text2Text", Variant::Null()), Error);
    EXPECT_EQ(f.GetText(ControlId::T2), u"42");

    for (const auto& [large, bold] : {std::pair{true, true}, std::pair{false, false}}) {
      host.Put(w, u"TextFontLarge", Variant::Bool(large));
      host.Put(w, u"TextFontBold", Variant::I2(bold ? 1 : 0));
      for (ControlId box : {ControlId::T1, ControlId::T1M, ControlId::T2}) {
        EXPECT_FLOAT_EQ(f.FontSize(box), large ? 10 : 8);
        EXPECT_EQ(f.FontBold(box), bold);
      }
    }
    EXPECT_FLOAT_EQ(f.Height(ControlId::T1M), 1350);  // fonts leave the sizes alone
  });
}

TEST(Text1Select, SelectsOnlyRangesWithinTheTextAndNeverRaises) {
  struct SelectCase {
    Variant vst, vl;
    int32_t start, length;  // the selection afterwards; 0, 0 is none
  };
  const SelectCase cases[] = {
      {Variant::I2(3), Variant::I2(2), 2, 2},
      {Variant::I2(1), Variant::I2(6), 0, 6},  // from the first character
      {Variant::I2(7), Variant::I2(0), 6, 0},
      {Variant::I2(5), Variant::I2(3), 0, 0},  // would end past the sixth
      {Variant::I2(0), Variant::I2(1), 0, 0},
      {S("third"), Variant::I2(1), 0, 0},
      {Variant::I4(std::numeric_limits<int32_t>::min()), Variant::I2(1), 0, 0},
      {Variant::I2(2), Variant::I4(std::numeric_limits<int32_t>::max()), 0, 0},
      {Variant::Null(), Variant::I2(1), 0, 0},
  };
  for (const SelectCase& c : cases) {
    OnFreshThread([&] {
      ScriptHost host;
      window::Window w;
      host.form().SetText(ControlId::T1M, u"abcdef");
      host.Call(w, u"Text1Select", {c.vst, c.vl});
      const std::string what = Narrow(ToText(c.vst.IsNull() ? S("null") : c.vst));
      EXPECT_EQ(host.form().SelStart(ControlId::T1M), c.start) << what;
      EXPECT_EQ(host.form().SelLength(ControlId::T1M), c.length) << what;
    });
  }
}

TEST(List, LoadListSplitsAtEveryCommaAndGetListJoins) {
  struct LoadCase {
    Variant text;
    std::vector<Text> entries;
    Text joined;
  };
  const LoadCase cases[] = {
      {S("a,b,c"), {u"a", u"b", u"c"}, u"a,b,c"},
      {S("a,,b,"), {u"a", u"", u"b", u""}, u"a,,b,"},
      {S(""), {u""}, u""},
      {S("single"), {u"single"}, u"single"},
      {S(" a , b"), {u" a ", u" b"}, u" a , b"},
      {Variant::Str(u"\u65e5,\u672c"), {u"\u65e5", u"\u672c"}, u"\u65e5,\u672c"},
      {Variant::I4(12), {u"12"}, u"12"},
      {Variant::Null(), {}, u""},
  };
  for (const LoadCase& c : cases) {
    OnFreshThread([&] {
      ScriptHost host;
      window::Window w;
      host.Call(w, u"LoadList", {c.text});
      EXPECT_EQ(host.form().entries(), c.entries) << Narrow(c.joined);
      EXPECT_EQ(host.Call(w, u"GetList"), Variant::Str(c.joined));
      EXPECT_LE(host.form().list_batches, 1);  // all pieces in one batch
    });
  }
}

TEST(List, AppendsKeepWhatIsThereAndTooManyPiecesAddNothing) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    host.Call(w, u"AddToList", {S("a,b")});
    EXPECT_EQ(host.Call(w, u"GetList"), S("a,b"));
    host.Call(w, u"LoadList", {S("x,y")});
    host.Call(w, u"AddToList", {Variant::Null()});
    EXPECT_EQ(host.form().entries(), (std::vector<Text>{u"a,b", u"x", u"y"}));

    host.Call(w, u"ClearList");
    host.Call(w, u"LoadList", {Variant::Str(Text(32768, u','))});  // 32769 pieces
    EXPECT_EQ(host.form().ListCount(), 0);
    host.Call(w, u"LoadList", {Variant::Str(Text(32767, u','))});  // 32768: fills the list
    EXPECT_EQ(host.form().ListCount(), form::kMaxListEntries);
    EXPECT_EQ(host.Call(w, u"GetList"), Variant::Str(Text(form::kMaxListEntries - 1, u',')));
  });
}

TEST(List, ShowListRemoveSelectedAndTheUsersPick) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    host.Call(w, u"ShowList");
    host.Call(w, u"ShowList");
    EXPECT_EQ(ThreadState().FormHeight, 3270);
    host.Call(w, u"LoadList", {S("one,two,three,four")});
    EXPECT_EQ(host.Call(w, u"RemoveSelListItem"), S(""));
    EXPECT_EQ(host.form().ListCount(), 4);

    host.Put(w, u"Persist", Variant::Bool(true));
    host.Put(w, u"ShowButtons", Variant::I2(1));
    host.Queue(UserAction::Select(2));
    host.Queue(UserAction::Press(0));
    host.Call(w, u"Show");
    EXPECT_EQ(host.Call(w, u"RemoveSelListItem"), S("three"));
    EXPECT_EQ(host.Call(w, u"GetList"), S("one,two,four"));
    host.Call(w, u"ClearList");
    EXPECT_TRUE(host.form().Visible(ControlId::frlist));
  });
}

// What the user typed and picked comes back through Response unchanged.
TEST(Content, ResponseHandsBackTypedTextsAndThePickedEntry) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    host.Put(w, u"ShowTextBox", Variant::I2(2), {Variant::Bool(true), M(), M()});
    host.Call(w, u"LoadList", {Variant::Str(u"a,Gr\u00fc\u00dfe \u2713,c")});
    host.Call(w, u"ShowList");
    host.Put(w, u"ShowButtons", Variant::I2(2));
    const Text typed = u"two\r\nlines \u65e5\u672c\u8a9e";
    host.Queue(UserAction::TypeInto(ControlId::T1M, typed));
    host.Queue(UserAction::TypeInto(ControlId::T2, u"second"));
    host.Queue(UserAction::Select(1));
    host.Queue(UserAction::Press(1));
    host.Call(w, u"Show");
    std::vector<Variant> written;
    EXPECT_EQ(host.Call(w, u"Response", {Variant(), Variant(), Variant()}, &written),
              Variant::I2(2));
    EXPECT_EQ(written[0], Variant::Str(typed));
    EXPECT_EQ(written[1], S("second"));
    EXPECT_EQ(written[2], Variant::Str(u"Gr\u00fc\u00dfe \u2713"));
  });
}

}  // namespace
}  // namespace brivet::testing
