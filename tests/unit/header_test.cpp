// The window title and the message caption.
#include "driver.h"

namespace brivet::testing {
namespace {

using form::ControlId;
using window::ThreadState;

constexpr float kLine = headless::HeadlessToolkit::kLineHeight;
constexpr float kChar = headless::HeadlessToolkit::kCharWidth;

TEST(Title, SetsTheWindowCaptionAndKeepsTheTemplateOtherwise) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    EXPECT_EQ(host.form().title(), u"Form1");
    host.Put(w, u"Title", Variant::I4(7));
    EXPECT_EQ(host.form().title(), u"7");
    EXPECT_THROW(host.Put(w, u"Title", Variant::Null()), Error);
    EXPECT_EQ(host.form().title(), u"7");
  });
}

TEST(Caption, ShortTextGivesTheMinimumFrame) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    host.Put(w, u"Caption", S("Hello"));
    const headless::HeadlessForm& f = host.form();
    EXPECT_TRUE(f.Visible(ControlId::FrLab));
    EXPECT_FLOAT_EQ(f.Height(ControlId::FrLab), 840);
    EXPECT_FLOAT_EQ(f.Height(ControlId::Lab1), 840);
    EXPECT_FLOAT_EQ(f.Top(ControlId::Lab1), 60);
    EXPECT_FLOAT_EQ(f.Top(ControlId::FrLab), 60);
    EXPECT_EQ(ThreadState().CaptionWidth, int(5 * kChar + 120));
    EXPECT_EQ(ThreadState().HeaderHeight, 900);
    EXPECT_TRUE(ThreadState().HasHeader);
  });
}

TEST(Caption, TallTextGrowsTheHeaderAndAShorterOneShrinksIt) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    // Four lines: the label is 4 x 195 = 780 twips tall (at least 680).
    host.Put(w, u"Caption", Variant::Str(u"one\r\ntwo\nthree\rfour, the longest"));
    const float h = 4 * kLine;
    EXPECT_FLOAT_EQ(host.form().Height(ControlId::FrLab), h + 160);
    EXPECT_EQ(ThreadState().HeaderHeight, int(h + 220));
    EXPECT_EQ(ThreadState().CaptionWidth, int(17 * kChar + 120));
    host.Put(w, u"Caption", S("x"));
    EXPECT_EQ(ThreadState().HeaderHeight, 900);
    EXPECT_EQ(ThreadState().CaptionWidth, int(kChar + 120));
    EXPECT_FLOAT_EQ(host.form().Height(ControlId::FrLab), 840);
  });
}

TEST(Caption, EmptyNumberAndNull) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    EXPECT_THROW(host.Put(w, u"Caption", Variant::Null()), Error);
    EXPECT_FALSE(host.form().Visible(ControlId::FrLab));
    EXPECT_FALSE(ThreadState().HasHeader);
    host.Put(w, u"Caption", S(""));
    EXPECT_TRUE(host.form().Visible(ControlId::FrLab));
    EXPECT_EQ(ThreadState().HeaderHeight, 900);
    host.Put(w, u"Caption", Variant::I4(42));
    EXPECT_EQ(host.form().control(ControlId::Lab1).caption, u"42");
  });
}

}  // namespace
}  // namespace brivet::testing
