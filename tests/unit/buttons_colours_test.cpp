// The button row and the colour properties.
#include "driver.h"
#include "window/mod_msgbox.h"

namespace brivet::testing {
namespace {

using form::ControlId;
using window::ThreadState;

bool FramesShown(ScriptHost& host, bool a, bool b, bool c) {
  headless::HeadlessForm& f = host.form();
  return f.Visible(ControlId::frbut1) == a && f.Visible(ControlId::frbut2) == b &&
         f.Visible(ControlId::frbut3) == c;
}

TEST(ShowButtons, CountsFramesAndHeight) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    EXPECT_TRUE(FramesShown(host, false, false, false));
    host.Put(w, u"ShowButtons", Variant::I4(2));
    EXPECT_TRUE(FramesShown(host, true, true, false));
    EXPECT_EQ(ThreadState().ButtonCount, 2);
    EXPECT_EQ(ThreadState().FormHeight, 615);
    host.Put(w, u"ShowButtons", Variant::I4(3));
    EXPECT_TRUE(FramesShown(host, true, true, true));
    EXPECT_EQ(ThreadState().FormHeight, 1230);
    for (int n : {0, -1, 4}) {
      host.Put(w, u"ShowButtons", Variant::I4(n));
      EXPECT_TRUE(FramesShown(host, false, false, false)) << n;
      EXPECT_EQ(ThreadState().ButtonCount, 0);
      EXPECT_EQ(ThreadState().FormHeight, 1230);
    }
  });
}

TEST(ShowButtons, CoercesAndRoundsHalvesToEven) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    host.Put(w, u"ShowButtons", S("3"));
    EXPECT_EQ(ThreadState().ButtonCount, 3);
    host.Put(w, u"ShowButtons", Variant::R8(2.5));
    EXPECT_EQ(ThreadState().ButtonCount, 2);
    host.Put(w, u"ShowButtons", Variant::R8(3.5));
    EXPECT_EQ(ThreadState().ButtonCount, 0);
    host.Put(w, u"ShowButtons", Variant::I4(2));
    host.Put(w, u"ShowButtons", Variant());  // empty is 0: no buttons
    EXPECT_EQ(ThreadState().ButtonCount, 0);
    const int32_t height = ThreadState().FormHeight;
    host.Put(w, u"ShowButtons", Variant::I4(1));
    for (const Variant& bad : {S("many"), Variant::I4(40000), Variant::Null()}) {
      EXPECT_THROW(host.Put(w, u"ShowButtons", bad), Error);
      EXPECT_EQ(ThreadState().ButtonCount, 1);
      EXPECT_EQ(ThreadState().FormHeight, height + 615);
      EXPECT_TRUE(FramesShown(host, true, false, false));
    }
  });
}

TEST(ShowButtons, OverflowLeavesTheCountButNotTheFrames) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    ThreadState().FormHeight = 2147483647 - 100;
    try {
      host.Put(w, u"ShowButtons", Variant::I4(2));
      ADD_FAILURE() << "no overflow";
    } catch (const Error& e) {
      EXPECT_EQ(e.number(), 6);
    }
    EXPECT_TRUE(FramesShown(host, true, true, false));
    EXPECT_EQ(ThreadState().ButtonCount, 0);
    EXPECT_EQ(ThreadState().FormHeight, 2147483647 - 100);
  });
}

TEST(ButtonCaptions, LandOnTheirButtonsWhetherShownOrNot) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    host.Put(w, u"ShowButtons", Variant::I4(2));
    host.Put(w, u"Button1Caption", S("Yes"));
    host.Put(w, u"Button3Caption", Variant::I4(42));
    EXPECT_EQ(host.form().control(ControlId::but0).caption, u"Yes");
    EXPECT_EQ(host.form().control(ControlId::but1).caption, u"");
    host.Put(w, u"ShowButtons", Variant::I4(3));
    EXPECT_EQ(host.form().control(ControlId::but2).caption, u"42");
  });
}

TEST(HexToColor, ReadsExactlySixHexDigitsRedFirst) {
  using window::HexToColor;
  EXPECT_EQ(HexToColor(u"FF0000"), 255);
  EXPECT_EQ(HexToColor(u"00FF00"), 65280);
  EXPECT_EQ(HexToColor(u"0000FF"), 16711680);
  EXPECT_EQ(HexToColor(u"FFFFFF"), 16777215);
  EXPECT_EQ(HexToColor(u"ff8000"), 33023);
  EXPECT_EQ(HexToColor(u"123456"), 0x563412);
  for (const char16_t* bad : {u"#FF8000", u"&HFF80", u"FF80", u"FF80000", u" FF800", u"", u"GG0000",
                              u"FF 000"})
    EXPECT_EQ(HexToColor(bad), -1) << Narrow(bad);
}

TEST(Colours, WindowColourPaintsTheFormFramesAndLabelOnly) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    host.Put(w, u"WindowColor", S("ff8000"));
    headless::HeadlessForm& f = host.form();
    EXPECT_EQ(f.back_color(), 33023);
    for (ControlId c : {ControlId::frbut1, ControlId::frbut2, ControlId::frbut3, ControlId::FT1,
                        ControlId::FT2, ControlId::FrIm, ControlId::FrLab, ControlId::frlist,
                        ControlId::Lab1})
      EXPECT_EQ(f.control(c).back_color, 33023) << form::TemplateOf(c).name;
    for (ControlId c : {ControlId::T1, ControlId::T1M, ControlId::T2, ControlId::lbox,
                        ControlId::but0, ControlId::but1, ControlId::but2})
      EXPECT_EQ(f.control(c).back_color, -1) << form::TemplateOf(c).name;
  });
}

TEST(Colours, TextsThatAreNoColourChangeNothing) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    for (const Variant& v : {S("#FF8000"), S("&HFF80"), S("FF80"), S(""), Variant::I4(255),
                             Variant()})
      host.Put(w, u"WindowColor", v);
    EXPECT_EQ(host.form().back_color(), -1);
    host.Put(w, u"ButtonColor", S("12345G"));
    host.Put(w, u"TextColor", S("0000FF "));
    EXPECT_EQ(host.form().control(ControlId::but0).back_color, -1);
    EXPECT_EQ(host.form().control(ControlId::Lab1).fore_color, -1);
    host.Put(w, u"WindowColor", Variant::I4(123456));
    EXPECT_EQ(host.form().back_color(), 0x563412);
    try {
      host.Put(w, u"WindowColor", Variant::Null());
      ADD_FAILURE() << "null accepted";
    } catch (const Error& e) {
      EXPECT_EQ(e.number(), 13);
    }
  });
}

TEST(Colours, TextColourAndButtonColourReachTheirControls) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    host.Put(w, u"TextColor", S("0000FF"));
    host.Put(w, u"ButtonColor", S("00FF00"));
    headless::HeadlessForm& f = host.form();
    for (ControlId c : {ControlId::FT1, ControlId::FT2, ControlId::Lab1, ControlId::frlist})
      EXPECT_EQ(f.control(c).fore_color, 16711680) << form::TemplateOf(c).name;
    for (ControlId c : {ControlId::T1, ControlId::T2, ControlId::lbox, ControlId::but0})
      EXPECT_EQ(f.control(c).fore_color, -1) << form::TemplateOf(c).name;
    for (ControlId c : {ControlId::but0, ControlId::but1, ControlId::but2})
      EXPECT_EQ(f.control(c).back_color, 65280);
  });
}

TEST(Colours, GiveWayToTheSystemsInHighContrast) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    host.Put(w, u"ButtonColor", S("00FF00"));
    host.Put(w, u"WindowColor", S("0000FF"));
    headless::HeadlessForm& f = host.form();
    for (bool high_contrast : {false, true}) {
      host.toolkit.high_contrast = high_contrast;
      EXPECT_EQ(f.ShownBackColor(ControlId::but0), high_contrast ? form::kNoColor : 65280);
      EXPECT_EQ(f.ShownBackColor(ControlId::FT1), high_contrast ? form::kNoColor : 16711680);
      EXPECT_EQ(f.control(ControlId::but0).back_color, 65280);  // the script's colour is kept
    }
  });
}

}  // namespace
}  // namespace brivet::testing
