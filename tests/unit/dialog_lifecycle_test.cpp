// The per-thread dialog state and the life of the form across objects,
// displays, resets and destruction.
#include "driver.h"

namespace brivet::testing {
namespace {

using headless::UserAction;
using window::ThreadState;

TEST(DialogLifecycle, FreshObjectStartsAtTheDefaults) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    const window::DialogState& s = ThreadState();
    EXPECT_EQ(s.FormWidth, 5565);
    EXPECT_EQ(s.FormHeight, 0);
    EXPECT_EQ(s.HeaderHeight, 0);
    EXPECT_EQ(s.CaptionWidth, 0);
    EXPECT_EQ(s.ButtonCount, 0);
    EXPECT_EQ(s.TextBoxCount, 0);
    EXPECT_FALSE(s.MultiLine);
    EXPECT_FALSE(s.HasHeader);
    EXPECT_FALSE(s.PersistFlag);
    EXPECT_EQ(s.ResponseCode, 0);
    EXPECT_TRUE(s.ResponseText1.IsEmpty());
    EXPECT_TRUE(s.ResponseListItem.IsEmpty());
    EXPECT_EQ(s.TwipsPerPixelX, 15);
    EXPECT_TRUE(s.form->first_resize);
  });
}

TEST(DialogLifecycle, EmptyWindowShowsOnlyItsFrameAndClosesWithTheCloseBox) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    host.Queue(UserAction::While([&] {
      headless::HeadlessForm& f = host.form();
      EXPECT_TRUE(f.Visible());
      EXPECT_FLOAT_EQ(f.Height(), 340);
      EXPECT_FLOAT_EQ(f.Width(), 5565);
      for (const auto& t : form::Template())
        if (t.container == form::kNoContainer) {
          EXPECT_FALSE(f.Shown(t.id)) << t.name;
        }
    }));
    host.Queue(UserAction::Close());
    host.Call(w, u"Show");
    EXPECT_EQ(host.Call(w, u"Response"), Variant::I2(0));
    EXPECT_TRUE(host.toolkit.actions.empty());
  });
}

TEST(DialogLifecycle, ShowWhileVisibleReturnsAtOnce) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    host.Queue(UserAction::While([&] {
      const int shows = host.form().shows;
      host.Call(w, u"Show");  // nested: must not start a second display
      EXPECT_EQ(host.form().shows, shows);
      EXPECT_TRUE(host.form().Visible());
    }));
    host.Queue(UserAction::Close());
    host.Call(w, u"Show");
  });
}

TEST(DialogLifecycle, QueueRunningDryFailsInsteadOfHanging) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    EXPECT_THROW(w.Show(), headless::QueueRanDry);
  });
}

TEST(DialogLifecycle, ResetWithoutPersistGivesAFreshFormButKeepsTheAnswer) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    host.Put(w, u"ShowButtons", Variant::I4(2));
    host.Queue(UserAction::Press(1));
    host.Call(w, u"Show");
    host.Put(w, u"ShowButtons", Variant::I4(3));
    const int forms = host.toolkit.forms_created;
    host.Call(w, u"Reset");
    EXPECT_EQ(ThreadState().ButtonCount, 0);
    EXPECT_EQ(ThreadState().FormHeight, 0);
    // The fresh form's window is built when first touched.
    EXPECT_FALSE(host.form().Visible(form::ControlId::frbut1));
    EXPECT_EQ(host.toolkit.forms_created, forms + 1);
    EXPECT_EQ(host.Call(w, u"Response"), Variant::I2(2));
  });
}

TEST(DialogLifecycle, ResetWithPersistOnlyHides) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    host.Put(w, u"Persist", Variant::Bool(true));
    host.Put(w, u"ShowButtons", Variant::I4(2));
    const int forms = host.toolkit.forms_created;
    host.Call(w, u"Reset");
    EXPECT_EQ(host.toolkit.forms_created, forms);
    EXPECT_EQ(ThreadState().ButtonCount, 2);
    EXPECT_TRUE(host.form().Visible(form::ControlId::frbut2));
  });
}

TEST(DialogLifecycle, PersistCoercesLikeABoolean) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    host.Put(w, u"Persist", Variant::I4(1));
    EXPECT_TRUE(ThreadState().PersistFlag);
    host.Put(w, u"Persist", Variant::I4(0));
    EXPECT_FALSE(ThreadState().PersistFlag);
    host.Put(w, u"Persist", Variant::I2(-1));
    EXPECT_TRUE(ThreadState().PersistFlag);
    host.Put(w, u"Persist", S("False"));
    EXPECT_FALSE(ThreadState().PersistFlag);
    host.Put(w, u"Persist", Variant::Bool(true));
    try {
      host.Put(w, u"Persist", S("maybe"));
      ADD_FAILURE() << "a word that is no boolean was accepted";
    } catch (const Error& e) {
      EXPECT_EQ(e.number(), 13);
    }
    EXPECT_TRUE(ThreadState().PersistFlag);
  });
}

TEST(DialogLifecycle, SecondObjectSharesTheFormAndClearsPersist) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window first;
    host.Put(first, u"Persist", Variant::Bool(true));
    host.Put(first, u"ShowButtons", Variant::I4(1));
    host.Put(first, u"Title", S("shared"));
    const int forms = host.toolkit.forms_created;
    window::Window second;
    EXPECT_EQ(host.toolkit.forms_created, forms);
    EXPECT_FALSE(ThreadState().PersistFlag);
    EXPECT_EQ(ThreadState().ButtonCount, 1);
    host.Queue(UserAction::While([&] { EXPECT_EQ(host.form().title(), u"shared"); }));
    host.Queue(UserAction::Press(0));
    host.Call(second, u"Show");
    EXPECT_EQ(host.Call(first, u"Response"), Variant::I2(1));
  });
}

TEST(DialogLifecycle, DestroyingOneObjectTakesTheCloseBoxPath) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window survivor;
    {
      window::Window doomed;
      host.Put(doomed, u"ShowButtons", Variant::I4(1));
      host.form().SetText(form::ControlId::T1, u"typed");
      host.Queue(UserAction::Press(0));
      host.Call(doomed, u"Show");
      EXPECT_EQ(ThreadState().ResponseCode, 1);
      host.Put(doomed, u"ShowButtons", Variant::I4(3));
    }
    const window::DialogState& s = ThreadState();
    EXPECT_EQ(s.ResponseCode, 0);
    EXPECT_EQ(s.ResponseText1, S(""));
    EXPECT_EQ(s.ResponseText2, S(""));
    EXPECT_EQ(s.ResponseListItem, S(""));
    EXPECT_EQ(s.ButtonCount, 0);
    EXPECT_TRUE(s.form->loaded());
    EXPECT_FALSE(host.form().Visible(form::ControlId::frbut1));
    EXPECT_EQ(host.form().GetText(form::ControlId::T1), u"");
  });
}

TEST(DialogLifecycle, DestroyingAnObjectUnloadsAFormWhoseWindowIsNotBuiltYet) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window survivor;
    {
      window::Window doomed;
      host.Put(doomed, u"ShowButtons", Variant::I4(1));
      host.Queue(UserAction::Press(0));
      host.Call(doomed, u"Show");
      host.Call(doomed, u"Reset");
      ASSERT_FALSE(ThreadState().form->has_window());
      EXPECT_EQ(ThreadState().ResponseCode, 1);
    }
    EXPECT_EQ(ThreadState().ResponseCode, 0);
  });
}

TEST(DialogLifecycle, LastObjectTakesItsWindowsAlong) {
  OnFreshThread([] {
    ScriptHost host;
    { window::Window only; }
    EXPECT_TRUE(host.toolkit.forms.empty());
    EXPECT_EQ(window::LiveWindowCount(), 0);
    EXPECT_EQ(form::Fbox::LiveWindows(), 0);
  });
}

// A dismissal neither builds the next form nor destroys the old one: the
// next form is built while the display waits, the old one freed by the next
// call that uses the form.
TEST(DialogLifecycle, DismissalReusesTheFormBuiltWhileTheDisplayWaited) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    host.Put(w, u"ShowButtons", Variant::I4(1));
    const window::DialogState& s = ThreadState();
    int forms_while_shown = 0;
    const form::Fbox* spare = nullptr;
    host.Queue(UserAction::While([&] {
      forms_while_shown = host.toolkit.forms_created;
      spare = s.spare.get();
    }));
    host.Queue(UserAction::Press(0));
    host.Call(w, u"Show");
    ASSERT_NE(spare, nullptr);
    EXPECT_EQ(s.form.get(), spare);
    EXPECT_EQ(host.toolkit.forms_created, forms_while_shown);
    EXPECT_EQ(s.ButtonCount, 0);  // the spare was loaded at the dismissal
    EXPECT_EQ(s.retired.size(), 1u);
    host.Put(w, u"Title", S("next"));
    EXPECT_TRUE(s.retired.empty());
    host.Queue(UserAction::Close());
    host.Call(w, u"Show");
    EXPECT_EQ(host.Call(w, u"Response"), Variant::I2(0));
  });
}

TEST(DialogLifecycle, LastObjectTakesAnUnusedSpareAlong) {
  OnFreshThread([] {
    ScriptHost host;
    {
      window::Window w;
      host.Queue(UserAction::While([&] { host.Call(w, u"Hide"); }));
      host.Call(w, u"Show");
      EXPECT_NE(ThreadState().spare, nullptr);
    }
    EXPECT_EQ(form::Fbox::LiveWindows(), 0);
    EXPECT_TRUE(host.toolkit.forms.empty());
  });
}

TEST(DialogLifecycle, PersistedFormOutlivesTheLastObject) {
  OnFreshThread([] {
    ScriptHost host;
    {
      window::Window first;
      host.Put(first, u"Persist", Variant::Bool(true));
      host.Put(first, u"ShowButtons", Variant::I4(2));
      host.Put(first, u"Title", S("kept"));
    }
    EXPECT_EQ(ThreadState().ResponseCode, 0);
    EXPECT_EQ(form::Fbox::LiveWindows(), 1);  // keeps the module loaded
    window::Window next;
    EXPECT_FALSE(ThreadState().PersistFlag);
    EXPECT_EQ(ThreadState().ButtonCount, 2);
    EXPECT_EQ(host.form().title(), u"kept");
    EXPECT_TRUE(host.form().Visible(form::ControlId::frbut2));
  });
}

// What a thread leaves behind goes when it ends, so the library can go too.
TEST(DialogLifecycle, PersistedFormGoesWithItsThread) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    host.Put(w, u"Persist", Variant::Bool(true));
    host.Put(w, u"ShowButtons", Variant::I4(1));
    host.Queue(UserAction::Press(0));
    host.Call(w, u"Show");
  });
  EXPECT_EQ(form::Fbox::LiveForms(), 0);
  EXPECT_EQ(form::Fbox::LiveWindows(), 0);
}

TEST(DialogLifecycle, ResetFormFallsBackToAFreshFormWhenHidingFails) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    host.Put(w, u"ShowButtons", Variant::I4(1));
    headless::HeadlessForm* shown = nullptr;
    host.Queue(UserAction::While([&] {
      shown = &host.form();
      shown->fail_hide = true;
    }));
    host.Queue(UserAction::Press(0));
    host.Queue(UserAction::While([&] {
      // The fallback gave the thread a fresh form at the defaults; the old
      // window could not be hidden and is still on screen.
      EXPECT_NE(&host.form(), shown);
      EXPECT_FALSE(host.form().Visible());
      EXPECT_EQ(ThreadState().ButtonCount, 0);
      EXPECT_TRUE(shown->Visible());
      shown->fail_hide = false;
    }));
    host.Queue(UserAction::Close());  // closing the stranded window ends the display
    host.Call(w, u"Show");
    EXPECT_EQ(ThreadState().ResponseCode, 1);
  });
}

}  // namespace
}  // namespace brivet::testing

namespace brivet::testing {
namespace {

TEST(DialogLifecycle, ThreadsNeverShareTheDialog) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window here;
    host.Put(here, u"ShowButtons", Variant::I4(3));
    OnFreshThread([] {
      ScriptHost other;
      window::Window there;
      EXPECT_EQ(window::ThreadState().ButtonCount, 0);
      other.Put(there, u"ShowButtons", Variant::I4(1));
    });
    EXPECT_EQ(window::ThreadState().ButtonCount, 3);
    EXPECT_EQ(window::ThreadState().FormHeight, 615);
  });
}

}  // namespace
}  // namespace brivet::testing
