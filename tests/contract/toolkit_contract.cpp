#include "toolkit_contract.h"

#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "picture_samples.h"

namespace brivet::contract {

namespace fs = std::filesystem;
using form::ControlId;
using form::FormWindow;

namespace {

struct QuietSink final : form::FormEventSink {
  void OnResize() override {}
  void OnButtonClick(int) override {}
  void OnCloseRequest() override {}
  void OnIdle() override {}
};

Text Ascii(const std::string& s) { return Text(s.begin(), s.end()); }

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();

struct BadInputCase {
  const char* what;
  void (*operation)(FormWindow&);
  Fault fault;
};

// Each operation is refused with its error and leaves the form as it was.
constexpr BadInputCase kBadInput[] = {
    {"form top NaN", [](FormWindow& f) { f.SetTop(kNaN); }, Fault::InvalidPropertyValue},
    {"form width -1", [](FormWindow& f) { f.SetWidth(-1); }, Fault::InvalidPropertyValue},
    {"form width NaN", [](FormWindow& f) { f.SetWidth(kNaN); }, Fault::InvalidPropertyValue},
    {"form height infinite", [](FormWindow& f) { f.SetHeight(kInfinity); }, Fault::InvalidPropertyValue},
    {"control left infinite", [](FormWindow& f) { f.SetLeft(ControlId::T1, -kInfinity); }, Fault::InvalidPropertyValue},
    {"control top NaN", [](FormWindow& f) { f.SetTop(ControlId::FT1, kNaN); }, Fault::InvalidPropertyValue},
    {"control width -50", [](FormWindow& f) { f.SetWidth(ControlId::lbox, -50); }, Fault::InvalidPropertyValue},
    {"control height -1", [](FormWindow& f) { f.SetHeight(ControlId::FT1, -1); }, Fault::InvalidPropertyValue},
    {"caption of a text box", [](FormWindow& f) { f.SetCaption(ControlId::T1, u"x"); }, Fault::InvalidCall},
    {"caption of the list", [](FormWindow& f) { f.SetCaption(ControlId::lbox, u"x"); }, Fault::InvalidCall},
    {"caption of the image", [](FormWindow& f) { f.SetCaption(ControlId::im1, u"x"); }, Fault::InvalidCall},
    {"text of the list", [](FormWindow& f) { f.GetText(ControlId::lbox); }, Fault::InvalidCall},
    {"text of a frame", [](FormWindow& f) { f.SetText(ControlId::FT1, u"x"); }, Fault::InvalidCall},
    {"selection of a label", [](FormWindow& f) { f.SelStart(ControlId::Lab1); }, Fault::InvalidCall},
    {"selection start of a button", [](FormWindow& f) { f.SetSelStart(ControlId::but0, 0); }, Fault::InvalidCall},
    {"selection length of a frame", [](FormWindow& f) { f.SetSelLength(ControlId::FrIm, 0); }, Fault::InvalidCall},
    {"selection start -1", [](FormWindow& f) { f.SetSelStart(ControlId::T1M, -1); }, Fault::InvalidPropertyValue},
    {"selection length -1", [](FormWindow& f) { f.SetSelLength(ControlId::T1M, -1); }, Fault::InvalidPropertyValue},
    {"font size 0", [](FormWindow& f) { f.SetFontSize(ControlId::T1, 0); }, Fault::InvalidPropertyValue},
    {"font size -8", [](FormWindow& f) { f.SetFontSize(ControlId::T2, -8); }, Fault::InvalidPropertyValue},
    {"font size NaN", [](FormWindow& f) { f.SetFontSize(ControlId::T2, kNaN); }, Fault::InvalidPropertyValue},
    {"font size 2049", [](FormWindow& f) { f.SetFontSize(ControlId::T1M, 2049); }, Fault::InvalidPropertyValue},
    {"entry -1", [](FormWindow& f) { f.ListEntry(-1); }, Fault::InvalidCall},
    {"entry past the end", [](FormWindow& f) { f.ListEntry(0); }, Fault::InvalidCall},
    {"removing entry -1", [](FormWindow& f) { f.RemoveItem(-1); }, Fault::InvalidCall},
    {"removing past the end", [](FormWindow& f) { f.RemoveItem(0); }, Fault::InvalidCall},
};

void BadInput(Checker& c, FormWindow& f) {
  const float width = f.Width(), height = f.Height(), top = f.Top();
  const float list_width = f.Width(ControlId::lbox), frame_height = f.Height(ControlId::FT1);
  for (const BadInputCase& k : kBadInput) ExpectError(c, k.what, k.fault, [&] { k.operation(f); });
  ExpectEqual(c, "form width after refusals", width, f.Width());
  ExpectEqual(c, "form height after refusals", height, f.Height());
  ExpectEqual(c, "form top after refusals", top, f.Top());
  ExpectEqual(c, "list width after refusals", list_width, f.Width(ControlId::lbox));
  ExpectEqual(c, "frame height after refusals", frame_height, f.Height(ControlId::FT1));
  ExpectEqual(c, "font size after refusals", 8.0f, f.FontSize(ControlId::T1));
  ExpectSuccess(c, "font size 2048", [&] { f.SetFontSize(ControlId::T1, 2048); });
  ExpectSuccess(c, "zero width", [&] { f.SetWidth(ControlId::T2, 0); });
}

void Texts(Checker& c, FormWindow& f) {
  // Wine's multi-line edit control takes time quadratic in the length of a
  // text it is given, so the long text there is shorter.
  Text many_lines;
  while (many_lines.size() < 8000) many_lines += u"a line of words\r\n";
  const Text texts[] = {u"", u"one\r\ntwo\r\n", u"Gr\u00fc\u00dfe \u2713 \u65e5\u672c\u8a9e \U0001F600",
                        Text(100000, u'x'), many_lines};
  for (const ControlId box : {ControlId::T1, ControlId::T1M, ControlId::T2})
    for (const Text& text : texts) {
      const bool multi_line = box == ControlId::T1M;
      if (!multi_line && text.find(u'\n') != Text::npos) continue;
      if (multi_line && text.size() > many_lines.size()) continue;
      f.SetText(box, text);
      ExpectEqual(c, "text read back (" + std::to_string(text.size()) + " characters)", text,
                  f.GetText(box));
    }

  // Like the platform's own controls, a box keeps a text up to its first NUL.
  f.SetText(ControlId::T1, Text(u"left\0right", 10));
  ExpectEqual(c, "a text with a NUL inside", Text(u"left"), f.GetText(ControlId::T1));

  struct SelectionCase {
    int32_t start, length, want_start, want_length;
  };
  // On "abcdefgh": what lies beyond the text ends at its end.
  constexpr SelectionCase kSelections[] = {
      {2, 3, 2, 3}, {0, 0, 0, 0}, {8, 0, 8, 0}, {20, 0, 8, 0}, {2, 100, 2, 6}, {7, 1, 7, 1},
  };
  f.SetText(ControlId::T1M, u"abcdefgh");
  for (const SelectionCase& s : kSelections) {
    f.SetSelStart(ControlId::T1M, s.start);
    f.SetSelLength(ControlId::T1M, s.length);
    const std::string what = "selection " + std::to_string(s.start) + ", " + std::to_string(s.length);
    ExpectEqual(c, what + ": start", s.want_start, f.SelStart(ControlId::T1M));
    ExpectEqual(c, what + ": length", s.want_length, f.SelLength(ControlId::T1M));
  }
  f.SetSelStart(ControlId::T1M, 4);
  ExpectEqual(c, "a new start selects nothing", 0, f.SelLength(ControlId::T1M));

  for (const ControlId box : {ControlId::T1, ControlId::T1M, ControlId::T2}) {
    ExpectEqual(c, "default font size", 8.0f, f.FontSize(box));
    ExpectEqual(c, "default weight", false, f.FontBold(box));
  }
  f.SetFontSize(ControlId::T2, 10);
  f.SetFontBold(ControlId::T2, true);
  ExpectEqual(c, "font size set", 10.0f, f.FontSize(ControlId::T2));
  ExpectEqual(c, "bold set", true, f.FontBold(ControlId::T2));
  ExpectEqual(c, "the other boxes keep their font", false, f.FontBold(ControlId::T1));
}

void Captions(Checker& c, FormWindow& f) {
  // A label measures its caption, which ends at its first NUL.
  f.SetCaption(ControlId::Lab1, u"ab");
  const float width = f.Width(ControlId::Lab1), height = f.Height(ControlId::Lab1);
  f.SetCaption(ControlId::Lab1, u"ab\r\nab");
  ExpectEqual(c, "two equal lines: width", width, f.Width(ControlId::Lab1));
  ExpectEqual(c, "two lines are higher than one", true, f.Height(ControlId::Lab1) > height);
  f.SetCaption(ControlId::Lab1, Text(u"ab\0\r\ncd", 6));
  ExpectEqual(c, "a caption with a NUL inside: width", width, f.Width(ControlId::Lab1));
  ExpectEqual(c, "a caption with a NUL inside: height", height, f.Height(ControlId::Lab1));
}

void List(Checker& c, FormWindow& f) {
  const Text entries[] = {u"beta", u"", u"a,b", u" alpha ", u"\u65e5\u672c"};
  for (const Text& e : entries) f.AddItem(e);
  ExpectEqual(c, "count", 5, f.ListCount());
  for (int16_t i = 0; i < 5; ++i)
    ExpectEqual(c, "entry " + std::to_string(i) + " in the order appended", entries[i], f.ListEntry(i));
  ExpectEqual(c, "no selection", -1, f.ListIndex());
  f.RemoveItem(0);
  ExpectEqual(c, "after removing the first", Text(u""), f.ListEntry(0));
  f.ClearList();
  ExpectEqual(c, "after clearing", 0, f.ListCount());
  f.AddItem(Text(u"left\0right", 10));
  ExpectEqual(c, "an entry with a NUL inside", Text(u"left"), f.ListEntry(0));
  f.ClearList();

  std::vector<Text> many;
  for (int i = 0; i <= form::kMaxListEntries; ++i) many.push_back(Ascii("e" + std::to_string(i)));
  ExpectError(c, "appending past the largest count", Fault::OutOfMemory, [&] { f.AddItems(many); });
  ExpectEqual(c, "a full list", form::kMaxListEntries, f.ListCount());
  ExpectEqual(c, "its last entry", many[form::kMaxListEntries - 1], f.ListEntry(form::kMaxListEntries - 1));
  ExpectError(c, "one more", Fault::OutOfMemory, [&] { f.AddItem(u"x"); });
  f.ClearList();
  f.AddItems(std::span(many).first(3));
  ExpectEqual(c, "a batch in order", many[2], f.ListEntry(2));
  f.ClearList();
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

void Pictures(Checker& c, FormWindow& f, const fs::path& scratch) {
  const auto path = [&](const char* name) { return (scratch / name).u16string(); };
  struct Sample {
    const char* name;
    PictureKind kind;
  };
  // Named against their kind: the content decides.
  constexpr Sample kSamples[] = {
      {"bitmap.gif", PictureKind::Bitmap}, {"jpeg.ico", PictureKind::Jpeg},
      {"gif.bmp", PictureKind::Gif},       {"icon.jpg", PictureKind::Icon},
  };
  for (const Sample& s : kSamples) {
    WriteFile(scratch / s.name, SamplePicture(s.kind));
    ExpectSuccess(c, std::string("loading ") + s.name, [&] { f.LoadPicture(path(s.name)); });
    ExpectEqual(c, std::string("a picture from ") + s.name, true, f.HasPicture());
  }
  WriteFile(scratch / "text.jpg", "no picture here");
  WriteFile(scratch / "empty.bmp", "");
  fs::create_directories(scratch / "folder.gif");
  struct FailureCase {
    const char* name;
    Fault fault;
  };
  constexpr FailureCase kFailures[] = {
      {"text.jpg", Fault::InvalidPicture},
      {"empty.bmp", Fault::InvalidPicture},
      {"missing.bmp", Fault::FileNotFound},
      {"folder.gif", Fault::PathFileAccess},
  };
  for (const FailureCase& k : kFailures) {
    ExpectError(c, std::string("loading ") + k.name, k.fault, [&] { f.LoadPicture(path(k.name)); });
    ExpectEqual(c, std::string("the picture stays after ") + k.name, true, f.HasPicture());
  }
  f.LoadPicture(u"");
  ExpectEqual(c, "the empty path removes the picture", false, f.HasPicture());
  f.RefreshPicture();
}

}  // namespace

// The script's colours are drawn unless the system's high-contrast mode is on.
void Colours(Checker& c, form::Toolkit& toolkit, FormWindow& f) {
  const int32_t blue = 0xFF0000;
  ExpectEqual(c, "no colour set: the system's", form::kNoColor, f.ShownBackColor(ControlId::but0));
  for (ControlId id : {ControlId::but0, ControlId::frbut1, ControlId::T1}) {
    f.SetBackColor(id, blue);
    ExpectEqual(c, std::string("colour shown on ") + form::TemplateOf(id).name,
                toolkit.HighContrast() ? form::kNoColor : blue, f.ShownBackColor(id));
  }
}

void ToolkitContract(Checker& c, form::Toolkit& toolkit, const fs::path& scratch) {
  c.suite = "toolkit";
  std::error_code ec;
  fs::remove_all(scratch, ec);
  fs::create_directories(scratch);
  QuietSink sink;
  BadInput(c, *toolkit.CreateForm(sink));  // each part on a fresh form
  Texts(c, *toolkit.CreateForm(sink));
  Captions(c, *toolkit.CreateForm(sink));
  List(c, *toolkit.CreateForm(sink));
  Colours(c, toolkit, *toolkit.CreateForm(sink));
  Pictures(c, *toolkit.CreateForm(sink), scratch);
  fs::remove_all(scratch, ec);
}

}  // namespace brivet::contract
