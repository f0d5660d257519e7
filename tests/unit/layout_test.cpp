// The resize handler: window size, vertical centring and the section stack.
#include <climits>

#include "driver.h"
#include "form/layout.h"

namespace brivet::testing {
namespace {

using form::ControlId;
using headless::UserAction;
using window::ThreadState;

// Shows the dialog, runs `check` while it is on screen, then closes it.
void WhileShown(ScriptHost& host, window::Window& w, std::function<void()> check) {
  host.Queue(UserAction::While(std::move(check)));
  host.Queue(UserAction::Close());
  host.Call(w, u"Show");
}

// A single-line text box as the text-box routine sets it up.
void OneSingleLineBox(ScriptHost& host) {
  host.form().SetVisible(ControlId::FT1, true);
  ThreadState().TextBoxCount = 1;
  ThreadState().FormHeight += 555;
}

TEST(LayoutPass, CaptionTextBoxAndTwoButtons) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    // 32 characters of 90 twips: a label 2880 wide, a frame 3000 wide.
    host.Put(w, u"Caption", S("A caption of thirty-two letters."));
    ASSERT_EQ(ThreadState().CaptionWidth, 3000);
    ASSERT_EQ(ThreadState().HeaderHeight, 900);
    OneSingleLineBox(host);
    host.Put(w, u"ShowButtons", Variant::I4(2));
    ASSERT_EQ(ThreadState().FormHeight, 1170);
    WhileShown(host, w, [&] {
      headless::HeadlessForm& f = host.form();
      EXPECT_EQ(ThreadState().FormHeight, 2410);
      EXPECT_FLOAT_EQ(f.Height(), 2410);
      EXPECT_FLOAT_EQ(f.Width(), 5565);
      EXPECT_FLOAT_EQ(f.Left(ControlId::FT1), 135);
      EXPECT_FLOAT_EQ(f.Left(ControlId::FrLab), 1252.5f);
      EXPECT_FLOAT_EQ(f.Top(ControlId::FT1), 900);
      EXPECT_FLOAT_EQ(f.Top(ControlId::frbut1), 1455);
      EXPECT_FLOAT_EQ(f.Top(ControlId::frbut2), 1455);
      EXPECT_FLOAT_EQ(f.Left(ControlId::frbut1), 1087.5f);
      EXPECT_FLOAT_EQ(f.Left(ControlId::frbut2), 2782.5f);
      EXPECT_FALSE(f.Visible(ControlId::frbut3));
      EXPECT_FLOAT_EQ(f.Top(), (headless::HeadlessToolkit::kScreenHeight - 2410) / 2);
    });
  });
}

TEST(LayoutPass, PictureListAndThreeButtons) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    host.form().SetVisible(ControlId::FrIm, true);
    ThreadState().HeaderHeight = 900;
    ThreadState().HasHeader = true;
    host.form().SetVisible(ControlId::frlist, true);
    ThreadState().FormHeight += 1635;
    host.Put(w, u"ShowButtons", Variant::I4(3));
    WhileShown(host, w, [&] {
      headless::HeadlessForm& f = host.form();
      EXPECT_FLOAT_EQ(f.Height(), 3490);
      EXPECT_FLOAT_EQ(f.Top(ControlId::frlist), 900);
      EXPECT_FLOAT_EQ(f.Left(ControlId::frlist), 135);
      EXPECT_FLOAT_EQ(f.Top(ControlId::frbut1), 2535);
      EXPECT_FLOAT_EQ(f.Top(ControlId::frbut3), 2535);
      EXPECT_FLOAT_EQ(f.Left(ControlId::frbut1), 240);
      EXPECT_FLOAT_EQ(f.Left(ControlId::frbut2), 1935);
      EXPECT_FLOAT_EQ(f.Left(ControlId::frbut3), 3630);
      EXPECT_FLOAT_EQ(f.Left(ControlId::FrIm), 120);
    });
  });
}

TEST(LayoutPass, CaptionBesideAPictureStartsAt960) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    host.Put(w, u"Caption", S("Short"));
    host.form().SetVisible(ControlId::FrIm, true);
    WhileShown(host, w, [&] { EXPECT_FLOAT_EQ(host.form().Left(ControlId::FrLab), 960); });
  });
}

TEST(LayoutPass, WideCaptionWidensTheWindowForLaterPasses) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    host.Put(w, u"Caption", S(std::string(56, 'w').c_str()));  // 5040 + 120
    ASSERT_EQ(ThreadState().CaptionWidth, 5160);
    ThreadState().CaptionWidth = 5120;
    WhileShown(host, w, [&] {
      EXPECT_EQ(ThreadState().FormWidth, 6720);
      EXPECT_FLOAT_EQ(host.form().Width(), 6720);
    });
    EXPECT_EQ(ThreadState().FormWidth, 5565);  // the fresh form after the dismissal
  });
}

TEST(LayoutPass, ListSitsBelowTheHeaderAboveTheTextBoxes) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    host.form().SetVisible(ControlId::FT1, true);
    host.form().SetVisible(ControlId::FT2, true);
    host.form().SetHeight(ControlId::FT1, 1620);
    ThreadState().TextBoxCount = 2;
    host.form().SetVisible(ControlId::frlist, true);
    WhileShown(host, w, [&] {
      headless::HeadlessForm& f = host.form();
      EXPECT_FLOAT_EQ(f.Top(ControlId::frlist), 0);
      EXPECT_FLOAT_EQ(f.Top(ControlId::FT1), 1635);
      EXPECT_FLOAT_EQ(f.Top(ControlId::FT2), 1635 + 1620);
      EXPECT_FLOAT_EQ(f.Top(ControlId::frbut1), 1635 + 1620 + 555);
      EXPECT_FALSE(f.Visible(ControlId::frbut1));
    });
  });
}

TEST(LayoutPass, RunningAgainChangesNothing) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    host.Put(w, u"Caption", S("Twice"));
    host.Put(w, u"ShowButtons", Variant::I4(3));
    WhileShown(host, w, [&] {
      headless::HeadlessForm& f = host.form();
      const int32_t height = ThreadState().FormHeight;
      std::vector<float> before;
      for (const auto& t : form::Template()) before.push_back(f.Left(t.id) + 7 * f.Top(t.id));
      const int resizes = f.resize_events;
      form::RunLayoutPass(ThreadState(), *ThreadState().form, host.toolkit);
      EXPECT_EQ(ThreadState().FormHeight, height);
      EXPECT_EQ(f.resize_events, resizes);
      size_t i = 0;
      for (const auto& t : form::Template())
        EXPECT_FLOAT_EQ(f.Left(t.id) + 7 * f.Top(t.id), before[i++]) << t.name;
    });
  });
}

TEST(LayoutPass, SizeChangesRunThePassNestedAndTheTopFollowsTheFinalHeight) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    host.Put(w, u"ShowButtons", Variant::I4(1));
    WhileShown(host, w, [&] {
      headless::HeadlessForm& f = host.form();
      // The display, then one nested run for the height (the width is unchanged).
      EXPECT_EQ(f.resize_events, 2);
      EXPECT_FLOAT_EQ(f.Height(), 955);
      EXPECT_FLOAT_EQ(f.Top(), (headless::HeadlessToolkit::kScreenHeight - 955) / 2);
      EXPECT_EQ(ThreadState().FormHeight, 955);
    });
  });
}

TEST(LayoutPass, OverflowEndsThePassQuietly) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    ThreadState().FormHeight = INT_MAX - 100;
    const int pumps = host.toolkit.pumps;
    WhileShown(host, w, [&] {
      EXPECT_EQ(ThreadState().FormHeight, INT_MAX - 100);
      EXPECT_TRUE(ThreadState().form->first_resize);  // the pass ended before consuming it
    });
    EXPECT_EQ(host.toolkit.pumps, pumps + 1);  // only the reset's pump ran
  });
}

TEST(LayoutPass, PersistedFormAddsTheHeaderOnlyOnce) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    host.Put(w, u"Persist", Variant::Bool(true));
    host.Put(w, u"ShowButtons", Variant::I4(1));
    WhileShown(host, w, [] {});
    EXPECT_EQ(ThreadState().FormHeight, 955);
    host.Put(w, u"Caption", S("Late"));
    WhileShown(host, w, [&] {
      // Showing the kept form again raises no resize; a later pass (as any
      // size change would run) places the caption but adds no height.
      EXPECT_FLOAT_EQ(host.form().Left(ControlId::FrLab), 1020);
      form::RunLayoutPass(ThreadState(), *ThreadState().form, host.toolkit);
      EXPECT_EQ(ThreadState().FormHeight, 955);
      EXPECT_TRUE(host.form().Visible(ControlId::FrLab));
      EXPECT_FLOAT_EQ(host.form().Left(ControlId::FrLab), (5505 - (4 * 90 + 120)) / 2.0f);
      EXPECT_FLOAT_EQ(host.form().Top(ControlId::frbut1), 900);
    });
  });
}

}  // namespace
}  // namespace brivet::testing
