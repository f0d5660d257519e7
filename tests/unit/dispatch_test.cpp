// Late-bound calls: kinds, argument counts, named and omitted arguments.
#include "driver.h"

namespace brivet::testing {
namespace {

using dispatch::kMethod;
using dispatch::kPropertyGet;
using dispatch::kPropertyPut;

TEST(Dispatch, TableMatchesTheInterfaceLayout) {
  const auto members = dispatch::Members();
  EXPECT_EQ(members.size(), 46u);
  EXPECT_STREQ(members.front().name, "Window");
  EXPECT_STREQ(members[dispatch::kWindowMemberCount - 1].name, "PlaySound");
  EXPECT_STREQ(members.back().name, "ShowTextBoxes");
  for (const auto& m : members)
    if (m.kind == dispatch::MemberKind::PropertyPut) {
      EXPECT_GE(m.param_count, 1) << m.name;
    }
  EXPECT_EQ(dispatch::DispIdOfName(u"sHoWbUtToNs"), 0x68030007);
  EXPECT_EQ(dispatch::ParamIndexOfName(0x60030023, u"SLIST"), 2);
  EXPECT_EQ(dispatch::ParamIndexOfName(0x6803000E, u"inum"), 3);
  EXPECT_FALSE(dispatch::DispIdOfName(u"Nothing"));
}

TEST(Dispatch, WriteOnlyPropertiesCannotBeRead) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    Variant out;
    EXPECT_EQ(host.Invoke(w, u"Title", kPropertyGet, {}, &out), status::kMemberNotFound);
    EXPECT_EQ(host.Invoke(w, u"Title", kPropertyGet | kMethod, {}, &out), status::kMemberNotFound);
    EXPECT_EQ(host.Invoke(w, u"Title", kPropertyPut, {S("ok")}), status::kOk);
    EXPECT_EQ(host.Invoke(w, u"Show", kPropertyPut, {S("x")}), status::kMemberNotFound);
    // No member is a by-reference put: `Set w.Caption = x` is refused.
    EXPECT_EQ(host.Invoke(w, u"Caption", dispatch::kPropertyPutRef, {S("x")}),
              status::kMemberNotFound);
    EXPECT_FALSE(host.form().Visible(form::ControlId::FrLab));
    // A host that offers both kinds of put (JScript, for an object) gets the value put.
    EXPECT_EQ(host.Invoke(w, u"Title", kPropertyPut | dispatch::kPropertyPutRef, {S("both")}),
              status::kOk);
    EXPECT_EQ(host.form().title(), u"both");
    // The readers of the answer are read-only and take no argument.
    EXPECT_EQ(host.Invoke(w, u"ResponseText1", kPropertyPut, {S("x")}), status::kMemberNotFound);
    EXPECT_EQ(host.Invoke(w, u"ResponseListItem", kPropertyGet, {S("x")}, &out), status::kBadParamCount);
  });
}

TEST(Dispatch, WindowTextRoundTrips) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    Variant out;
    ASSERT_EQ(host.Invoke(w, u"Window", kPropertyGet, {}, &out), status::kOk);
    EXPECT_EQ(out, S(""));
    host.Put(w, u"Window", S("kept"));
    ASSERT_EQ(host.Invoke(w, u"Window", kPropertyGet, {}, &out), status::kOk);
    EXPECT_EQ(out, S("kept"));
    // Its value is declared a text: converted before the routine runs, and
    // refused as a mismatch, the text kept, when it cannot be.
    EXPECT_EQ(host.Invoke(w, u"Window", kPropertyPut, {Variant::Null()}), status::kTypeMismatch);
    ASSERT_EQ(host.Invoke(w, u"Window", kPropertyGet, {}, &out), status::kOk);
    EXPECT_EQ(out, S("kept"));
    host.Put(w, u"Window", Variant::I4(5));
    ASSERT_EQ(host.Invoke(w, u"Window", kPropertyGet, {}, &out), status::kOk);
    EXPECT_EQ(out, S("5"));
  });
}

TEST(Dispatch, ArgumentCountsAreCheckedBeforeTheRoutineRuns) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    Variant out;
    EXPECT_EQ(host.Invoke(w, u"Response", kMethod, {S("a"), S("b"), S("c"), S("d")}, &out),
              status::kBadParamCount);
    EXPECT_EQ(host.Invoke(w, u"Text1Select", kMethod, {Variant::I4(1)}), status::kParamNotOptional);
    EXPECT_EQ(host.Invoke(w, u"ShowButtons", kPropertyPut, {Variant::I4(1), Variant::I4(2)}),
              status::kBadParamCount);
    EXPECT_EQ(window::ThreadState().ButtonCount, 0);
    EXPECT_EQ(host.Invoke(w, u"Show", kMethod, {Variant::I4(1)}), status::kBadParamCount);
  });
}

TEST(Dispatch, NamedArgumentsReachTheirParameters) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    window::ThreadState().ResponseListItem = S("entry");
    // Response(slist:=x): only the list argument is written.
    std::vector<Variant> args = {S("x")};
    std::vector<int32_t> named = {2};
    Variant out;
    dispatch::Call call{0x60030023, kMethod, args, named, &out};
    EXPECT_EQ(dispatch::Invoke(w, call).status, status::kOk);
    EXPECT_EQ(args[0], S("entry"));
    // An unknown parameter position is refused with its argument's index.
    std::vector<int32_t> bad = {7};
    dispatch::Call wrong{0x60030023, kMethod, args, bad, &out};
    const dispatch::Refusal refusal = dispatch::Invoke(w, wrong);
    EXPECT_EQ(refusal.status, status::kParamNotFound);
    EXPECT_EQ(refusal.arg_error, 0u);

    // A put's value named by its parameter name, as well as by the put id.
    struct NamedPut {
      const char16_t* member;
      std::vector<int32_t> ids;  // of the arguments, which the call passes last-first
      std::vector<Variant> args;
    };
    const NamedPut puts[] = {
        {u"Title", {0}, {S("by name")}},
        {u"ShowTextBox", {3, 0}, {Variant::I2(2), Variant::Bool(false)}},  // inum:=2, bmulti:=False
    };
    for (const NamedPut& p : puts) {
      std::vector<Variant> put_args = p.args;
      dispatch::Call put{*dispatch::DispIdOfName(p.member), kPropertyPut, put_args, p.ids, nullptr};
      EXPECT_EQ(dispatch::Invoke(w, put).status, status::kOk) << Narrow(p.member);
    }
    EXPECT_EQ(host.form().title(), u"by name");
    EXPECT_EQ(window::ThreadState().TextBoxCount, 2);
  });
}

TEST(Dispatch, RoutineErrorsCarryTheirNumber) {
  OnFreshThread([] {
    ScriptHost host;
    window::Window w;
    try {
      host.Put(w, u"ShowButtons", Variant::I4(70000));
      ADD_FAILURE() << "no error";
    } catch (const Error& e) {
      EXPECT_EQ(e.number(), 6);
      EXPECT_STREQ(e.what(), "Overflow");
    }
  });
}

}  // namespace
}  // namespace brivet::testing
