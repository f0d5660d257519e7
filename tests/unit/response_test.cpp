// Dismissal by button or close box, and the answer Response hands back.
#include "driver.h"

namespace brivet::testing {
namespace {

using form::ControlId;
using headless::UserAction;

// Response(a, b, c) with all three arguments supplied; the readers of a
// by-value client answer what it wrote into them.
Variant AskAll(ScriptHost& host, window::Window& w, Variant& a, Variant& b, Variant& c) {
  std::vector<Variant> written;
  const Variant code = host.Call(w, u"Response", {a, b, c}, &written);
  a = written[0];
  b = written[1];
  c = written[2];
  EXPECT_EQ(host.Call(w, u"ResponseCode"), code);
  EXPECT_EQ(host.Call(w, u"ResponseText1"), a);
  EXPECT_EQ(host.Call(w, u"ResponseText2"), b);
  EXPECT_EQ(host.Call(w, u"ResponseListItem"), c);
  return code;
}

TEST(Response, BeforeAnyDialogAnswersZeroAndEmptyValues) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    Variant a = S("old"), b = Variant::I4(5), c = S("x");
    EXPECT_EQ(AskAll(host, w, a, b, c), Variant::I2(0));
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_TRUE(b.IsEmpty());
    EXPECT_TRUE(c.IsEmpty());
  });
}

TEST(Response, ThirdButtonCapturesBothTextsAndTheSelectedEntry) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    host.Put(w, u"ShowButtons", Variant::I4(3));
    host.form().SetText(ControlId::T1, u"first");
    host.form().SetText(ControlId::T2, u"second");
    host.form().AddItem(u"alpha");
    host.form().AddItem(u"beta");
    host.Queue(UserAction::Select(1));
    host.Queue(UserAction::Press(2));
    host.Call(w, u"Show");
    Variant a, b, c;
    EXPECT_EQ(AskAll(host, w, a, b, c), Variant::I2(3));
    EXPECT_EQ(a, S("first"));
    EXPECT_EQ(b, S("second"));
    EXPECT_EQ(c, S("beta"));
    // The same answer again, also after a reset.
    host.Call(w, u"Reset");
    Variant a2, b2, c2;
    EXPECT_EQ(AskAll(host, w, a2, b2, c2), Variant::I2(3));
    EXPECT_EQ(a2, a);
    EXPECT_EQ(c2, c);
  });
}

TEST(Response, CloseBoxDiscardsWhatWasTyped) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    host.Put(w, u"ShowButtons", Variant::I4(1));
    host.form().SetText(ControlId::T1, u"typed");
    host.form().AddItem(u"entry");
    host.Queue(UserAction::Select(0));
    host.Queue(UserAction::Close());
    host.Call(w, u"Show");
    Variant a, b, c;
    EXPECT_EQ(AskAll(host, w, a, b, c), Variant::I2(0));
    EXPECT_EQ(a, S(""));
    EXPECT_EQ(b, S(""));
    EXPECT_EQ(c, S(""));
    EXPECT_FALSE(host.form().Visible());
  });
}

TEST(Response, NoSelectionGivesAnEmptyEntryAndHiddenBoxesStillCount) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    host.Put(w, u"ShowButtons", Variant::I4(1));
    host.form().SetText(ControlId::T1, u"preset");
    host.form().AddItem(u"unselected");
    host.Queue(UserAction::Press(0));
    host.Call(w, u"Show");
    Variant a, b, c;
    EXPECT_EQ(AskAll(host, w, a, b, c), Variant::I2(1));
    EXPECT_EQ(a, S("preset"));
    EXPECT_EQ(c, S(""));
  });
}

TEST(Response, MultiLineTakesTheFirstTextFromTheMultiLineBox) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    host.Put(w, u"ShowButtons", Variant::I4(1));
    host.form().SetText(ControlId::T1, u"single");
    host.form().SetText(ControlId::T1M, u"line one\r\nline two");
    window::ThreadState().MultiLine = true;
    host.Queue(UserAction::Press(0));
    host.Call(w, u"Show");
    Variant a, b, c;
    AskAll(host, w, a, b, c);
    EXPECT_EQ(a, Variant::Str(u"line one\r\nline two"));
  });
}

TEST(Response, OmittedArgumentsAreNotWritten) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    host.Put(w, u"ShowButtons", Variant::I4(2));
    host.form().SetText(ControlId::T1, u"one");
    host.Queue(UserAction::Press(1));
    host.Call(w, u"Show");
    for (size_t supplied = 0; supplied <= 3; ++supplied) {
      std::vector<Variant> args(supplied, S("untouched"));
      std::vector<Variant> written;
      EXPECT_EQ(host.Call(w, u"Response", args, &written), Variant::I2(2)) << supplied;
    }
    // Response(, , c): the first two travel as the missing value.
    std::vector<Variant> written;
    host.Call(w, u"Response", {Variant::Missing(), Variant::Missing(), S("x")}, &written);
    EXPECT_TRUE(written[0].IsMissing());
    EXPECT_TRUE(written[1].IsMissing());
    EXPECT_EQ(written[2], S(""));
  });
}

TEST(Response, PersistKeepsTheDismissedContentForTheNextShow) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    host.Put(w, u"Persist", Variant::Bool(true));
    host.Put(w, u"ShowButtons", Variant::I4(2));
    host.Put(w, u"Button2Caption", S("Again"));
    host.Queue(UserAction::Press(1));
    host.Call(w, u"Show");
    const int forms = host.toolkit.forms_created;
    host.Queue(UserAction::While([&] {
      EXPECT_EQ(host.form().control(ControlId::but1).caption, u"Again");
      EXPECT_TRUE(host.form().Shown(ControlId::but1));
    }));
    host.Queue(UserAction::Press(0));
    host.Call(w, u"Show");
    EXPECT_EQ(host.toolkit.forms_created, forms);
    EXPECT_EQ(host.Call(w, u"Response"), Variant::I2(1));
  });
}

TEST(Response, EveryButtonAnswersItsNumber) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    for (int i = 0; i < 3; ++i) {
      host.Put(w, u"ShowButtons", Variant::I4(3));
      host.Queue(UserAction::Press(i));
      host.Call(w, u"Show");
      EXPECT_EQ(host.Call(w, u"Response"), Variant::I2(int16_t(i + 1)));
    }
  });
}

}  // namespace
}  // namespace brivet::testing
