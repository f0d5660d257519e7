// The members of the dispatch interface: the one table that names, numbers,
// parameters, kinds and results come from. Late-bound dispatch, the
// early-bound virtual table and the type-library check all read it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "core/text.h"
#include "core/variant.h"
#include "window/window.h"

namespace brivet::dispatch {

enum class MemberKind : uint8_t { PropertyGet, PropertyPut, Method };

struct Param {
  const char* name;
  bool optional;
  // Declared as a text rather than a variant: the argument is converted
  // before the routine runs, and one that cannot be is refused.
  bool text = false;
  // Declared as a variant passed by value: nothing goes back to the caller.
  bool by_value = false;
};

// Calls the member's routine; args are in declaration order (for a property
// put the assigned value is last), result receives the member's result (null
// for a member without one).
using Thunk = void (*)(window::Window& w, Variant* const* args, Variant* result);

struct Member {
  const char* name;
  MemberKind kind;
  int32_t dispid;
  uint8_t param_count;
  std::array<Param, 4> params;
  bool has_result;
  Thunk call;
};

// The members of _Window, then those _Window2 adds after them: one virtual
// table, the second interface extending the first.
inline constexpr int kWindowMemberCount = 40;
inline constexpr int kMemberCount = 46;
// Entries of IUnknown and IDispatch before the first member's slot.
inline constexpr int kFirstMemberSlot = 7;

// Windows headers define PlaySound as a macro.
#pragma push_macro("PlaySound")
#undef PlaySound
namespace table {

using K = MemberKind;
using WindowLogic = window::Window;

constexpr Param P(const char* name) { return {name, false}; }
constexpr Param Opt(const char* name) { return {name, true}; }
constexpr Param Str(const char* name) { return {name, false, true}; }
constexpr Param In(const char* name) { return {name, false, false, true}; }
constexpr Param OptIn(const char* name) { return {name, true, false, true}; }

// One thunk per routine shape; the member function is a template argument,
// so the table stays data and each entry names its routine once.
template <void (WindowLogic::*F)(Variant&)>
void Put1(WindowLogic& w, Variant* const* a, Variant*) { (w.*F)(*a[0]); }
template <void (WindowLogic::*F)()>
void Call0(WindowLogic& w, Variant* const*, Variant*) { (w.*F)(); }
template <Variant (WindowLogic::*F)()>
void Get0(WindowLogic& w, Variant* const*, Variant* r) { *r = (w.*F)(); }
template <void (WindowLogic::*F)(Variant&)>
void Call1(WindowLogic& w, Variant* const* a, Variant*) { (w.*F)(*a[0]); }
template <void (WindowLogic::*F)(Variant&, Variant&)>
void Call2(WindowLogic& w, Variant* const* a, Variant*) { (w.*F)(*a[0], *a[1]); }
template <Variant (WindowLogic::*F)(Variant&)>
void Get1(WindowLogic& w, Variant* const* a, Variant* r) { *r = (w.*F)(*a[0]); }
template <Variant (WindowLogic::*F)(Variant&, Variant&)>
void Get2(WindowLogic& w, Variant* const* a, Variant* r) { *r = (w.*F)(*a[0], *a[1]); }
template <Variant (WindowLogic::*F)(Variant&, Variant&, Variant&)>
void Get3(WindowLogic& w, Variant* const* a, Variant* r) { *r = (w.*F)(*a[0], *a[1], *a[2]); }

inline void GetWindowText(WindowLogic& w, Variant* const*, Variant* r) { *r = Variant::Str(w.window_text()); }
inline void PutWindowText(WindowLogic& w, Variant* const* a, Variant*) { w.set_window_text(ToText(*a[0])); }
inline void PutShowTextBox(WindowLogic& w, Variant* const* a, Variant*) {
  w.ShowTextBox(*a[0], *a[1], *a[2], *a[3]);
}
// The same as a method, for clients that cannot assign to a property with
// arguments: the count first, then what the put takes as indexes. Its
// arguments are values: the sizes it would write back go to copies.
inline void CallShowTextBoxes(WindowLogic& w, Variant* const* a, Variant*) {
  Variant width = *a[2], height = *a[3];
  w.ShowTextBox(*a[1], width, height, *a[0]);
}

// clang-format off
inline constexpr std::array<Member, kMemberCount> kMembers = {{
  {"Window",            K::PropertyGet, 0x40030000, 0, {}, true,  GetWindowText},
  {"Window",            K::PropertyPut, 0x40030000, 1, {Str("value")}, false, PutWindowText},
  {"Title",             K::PropertyPut, 0x68030011, 1, {P("bxtitle")}, false, Put1<&WindowLogic::Title>},
  {"Caption",           K::PropertyPut, 0x68030010, 1, {P("vcapt")}, false, Put1<&WindowLogic::Caption>},
  {"Picture",           K::PropertyPut, 0x6803000F, 1, {P("vpic")}, false, Put1<&WindowLogic::Picture>},
  {"ShowTextBox",       K::PropertyPut, 0x6803000E, 4, {P("bmulti"), Opt("vw"), Opt("vh"), P("inum")}, false, PutShowTextBox},
  {"Text1Caption",      K::PropertyPut, 0x6803000D, 1, {P("v1cap")}, false, Put1<&WindowLogic::Text1Caption>},
  {"Text2Caption",      K::PropertyPut, 0x6803000C, 1, {P("v2cap")}, false, Put1<&WindowLogic::Text2Caption>},
  {"Text1Text",         K::PropertyPut, 0x6803000B, 1, {P("v1stext")}, false, Put1<&WindowLogic::Text1Text>},
  {"Text2Text",         K::PropertyPut, 0x6803000A, 1, {P("v2stext")}, false, Put1<&WindowLogic::Text2Text>},
  {"TextFontLarge",     K::PropertyPut, 0x68030009, 1, {P("vsiz")}, false, Put1<&WindowLogic::TextFontLarge>},
  {"TextFontBold",      K::PropertyPut, 0x68030008, 1, {P("vbold")}, false, Put1<&WindowLogic::TextFontBold>},
  {"Text1Select",       K::Method,      0x60030012, 2, {P("vst"), P("vl")}, false, Call2<&WindowLogic::Text1Select>},
  {"ShowButtons",       K::PropertyPut, 0x68030007, 1, {P("inum")}, false, Put1<&WindowLogic::ShowButtons>},
  {"Button1Caption",    K::PropertyPut, 0x68030006, 1, {P("vcap0")}, false, Put1<&WindowLogic::Button1Caption>},
  {"Button2Caption",    K::PropertyPut, 0x68030005, 1, {P("vcap1")}, false, Put1<&WindowLogic::Button2Caption>},
  {"Button3Caption",    K::PropertyPut, 0x68030004, 1, {P("vcap2")}, false, Put1<&WindowLogic::Button3Caption>},
  {"ButtonColor",       K::PropertyPut, 0x68030003, 1, {P("vcolb")}, false, Put1<&WindowLogic::ButtonColor>},
  {"WindowColor",       K::PropertyPut, 0x68030002, 1, {P("vcolw")}, false, Put1<&WindowLogic::WindowColor>},
  {"TextColor",         K::PropertyPut, 0x68030001, 1, {P("vcolt")}, false, Put1<&WindowLogic::TextColor>},
  {"Show",              K::Method,      0x60030015, 0, {}, false, Call0<&WindowLogic::Show>},
  {"Hide",              K::Method,      0x60030016, 0, {}, false, Call0<&WindowLogic::Hide>},
  {"Persist",           K::PropertyPut, 0x68030000, 1, {P("vbool")}, false, Put1<&WindowLogic::Persist>},
  {"Reset",             K::Method,      0x60030017, 0, {}, false, Call0<&WindowLogic::Reset>},
  {"ShowList",          K::Method,      0x60030018, 0, {}, false, Call0<&WindowLogic::ShowList>},
  {"ClearList",         K::Method,      0x60030019, 0, {}, false, Call0<&WindowLogic::ClearList>},
  {"LoadList",          K::Method,      0x6003001A, 1, {P("vlist")}, false, Call1<&WindowLogic::LoadList>},
  {"GetList",           K::Method,      0x6003001B, 0, {}, true, Get0<&WindowLogic::GetList>},
  {"AddToList",         K::Method,      0x6003001C, 1, {P("vitem")}, false, Call1<&WindowLogic::AddToList>},
  {"RemoveSelListItem", K::Method,      0x6003001D, 0, {}, true, Get0<&WindowLogic::RemoveSelListItem>},
  {"ChooseFileOpen",    K::Method,      0x6003001E, 0, {}, true, Get0<&WindowLogic::ChooseFileOpen>},
  {"ChooseFileSave",    K::Method,      0x6003001F, 0, {}, true, Get0<&WindowLogic::ChooseFileSave>},
  {"ChooseFolder",      K::Method,      0x60030020, 1, {Opt("vtitle")}, true, Get1<&WindowLogic::ChooseFolder>},
  {"ChooseColorRGB",    K::Method,      0x60030021, 3, {P("vr"), P("vg"), P("vbl")}, true, Get3<&WindowLogic::ChooseColorRGB>},
  {"ChooseColorHex",    K::Method,      0x60030022, 0, {}, true, Get0<&WindowLogic::ChooseColorHex>},
  {"Response",          K::Method,      0x60030023, 3, {Opt("stext1"), Opt("stext2"), Opt("slist")}, true, Get3<&WindowLogic::Response>},
  {"GetInfo",           K::Method,      0x60030024, 3, {P("vsect"), P("vlin"), P("vval")}, true, Get3<&WindowLogic::GetInfo>},
  {"SaveInfo",          K::Method,      0x60030025, 3, {P("vsect"), P("vlin"), P("vval")}, true, Get3<&WindowLogic::SaveInfo>},
  {"DeleteInfo",        K::Method,      0x60030026, 2, {P("vsect"), P("vlin")}, true, Get2<&WindowLogic::DeleteInfo>},
  {"PlaySound",         K::Method,      0x60030027, 1, {P("vfil")}, false, Call1<&WindowLogic::PlaySound>},
  {"ResponseCode",      K::PropertyGet, 0x68040000, 0, {}, true, Get0<&WindowLogic::ResponseCode>},
  {"ResponseText1",     K::PropertyGet, 0x68040001, 0, {}, true, Get0<&WindowLogic::ResponseText1>},
  {"ResponseText2",     K::PropertyGet, 0x68040002, 0, {}, true, Get0<&WindowLogic::ResponseText2>},
  {"ResponseListItem",  K::PropertyGet, 0x68040003, 0, {}, true, Get0<&WindowLogic::ResponseListItem>},
  {"GetInfoValue",      K::Method,      0x60040004, 2, {In("vsect"), In("vlin")}, true, Get2<&WindowLogic::GetInfoValue>},
  {"ShowTextBoxes",     K::Method,      0x60040005, 4, {In("inum"), In("bmulti"), OptIn("vw"), OptIn("vh")}, false, CallShowTextBoxes},
}};
// clang-format on

}  // namespace table
#pragma pop_macro("PlaySound")

// The members in virtual-table order, those of _Window first.
constexpr std::span<const Member, kMemberCount> Members() { return table::kMembers; }

// A member's name as a template argument: Put<"Title">.
template <size_t N>
struct MemberName {
  char text[N];
  consteval MemberName(const char (&name)[N]) {
    for (size_t i = 0; i < N; ++i) text[i] = name[i];
  }
  constexpr std::string_view view() const { return std::string_view(text, N - 1); }
};

// The position in the table of the member `name` of `kind`; fails to
// compile when the table has no such member.
consteval int IndexOf(std::string_view name, MemberKind kind) {
  for (int i = 0; i < kMemberCount; ++i) {
    const Member& m = table::kMembers[static_cast<size_t>(i)];
    if (m.kind == kind && std::string_view(m.name) == name) return i;
  }
  throw "no such member";
}
const Member* FindMember(int32_t dispid, MemberKind kind);
bool HasDispId(int32_t dispid);
// Case-insensitive lookups, as GetIDsOfNames needs them.
std::optional<int32_t> DispIdOfName(std::u16string_view name);
std::optional<int32_t> ParamIndexOfName(int32_t dispid, std::u16string_view name);


}  // namespace brivet::dispatch
