#include "interface/member_table.h"

namespace brivet::dispatch {

namespace {

using K = MemberKind;
using window::Window;

constexpr Param P(const char* name) { return {name, false}; }
constexpr Param Opt(const char* name) { return {name, true}; }

// One thunk per routine shape; the member function is a template argument,
// so the table stays data and each entry names its routine once.
template <void (Window::*F)(Variant&)>
void Put1(Window& w, Variant* const* a, Variant*) { (w.*F)(*a[0]); }
template <void (Window::*F)()>
void Call0(Window& w, Variant* const*, Variant*) { (w.*F)(); }
template <Variant (Window::*F)()>
void Get0(Window& w, Variant* const*, Variant* r) { *r = (w.*F)(); }
template <void (Window::*F)(Variant&)>
void Call1(Window& w, Variant* const* a, Variant*) { (w.*F)(*a[0]); }
template <void (Window::*F)(Variant&, Variant&)>
void Call2(Window& w, Variant* const* a, Variant*) { (w.*F)(*a[0], *a[1]); }
template <Variant (Window::*F)(Variant&)>
void Get1(Window& w, Variant* const* a, Variant* r) { *r = (w.*F)(*a[0]); }
template <Variant (Window::*F)(Variant&, Variant&)>
void Get2(Window& w, Variant* const* a, Variant* r) { *r = (w.*F)(*a[0], *a[1]); }
template <Variant (Window::*F)(Variant&, Variant&, Variant&)>
void Get3(Window& w, Variant* const* a, Variant* r) { *r = (w.*F)(*a[0], *a[1], *a[2]); }

void GetWindowText(Window& w, Variant* const*, Variant* r) { *r = Variant::Str(w.window_text()); }
void PutWindowText(Window& w, Variant* const* a, Variant*) { w.set_window_text(ToText(*a[0])); }
void PutShowTextBox(Window& w, Variant* const* a, Variant*) {
  w.ShowTextBox(*a[0], *a[1], *a[2], *a[3]);
}

// clang-format off
constexpr std::array<Member, kMemberCount> kMembers = {{
  {"Window",            K::PropertyGet, 0x40030000, 0, {}, true,  GetWindowText},
  {"Window",            K::PropertyPut, 0x40030000, 1, {P("value")}, false, PutWindowText},
  {"Title",             K::PropertyPut, 0x68030011, 1, {P("bxtitle")}, false, Put1<&Window::Title>},
  {"Caption",           K::PropertyPut, 0x68030010, 1, {P("vcapt")}, false, Put1<&Window::Caption>},
  {"Picture",           K::PropertyPut, 0x6803000F, 1, {P("vpic")}, false, Put1<&Window::Picture>},
  {"ShowTextBox",       K::PropertyPut, 0x6803000E, 4, {P("bmulti"), Opt("vw"), Opt("vh"), P("inum")}, false, PutShowTextBox},
  {"Text1Caption",      K::PropertyPut, 0x6803000D, 1, {P("v1cap")}, false, Put1<&Window::Text1Caption>},
  {"Text2Caption",      K::PropertyPut, 0x6803000C, 1, {P("v2cap")}, false, Put1<&Window::Text2Caption>},
  {"Text1Text",         K::PropertyPut, 0x6803000B, 1, {P("v1stext")}, false, Put1<&Window::Text1Text>},
  {"Text2Text",         K::PropertyPut, 0x6803000A, 1, {P("v2stext")}, false, Put1<&Window::Text2Text>},
  {"TextFontLarge",     K::PropertyPut, 0x68030009, 1, {P("vsiz")}, false, Put1<&Window::TextFontLarge>},
  {"TextFontBold",      K::PropertyPut, 0x68030008, 1, {P("vbold")}, false, Put1<&Window::TextFontBold>},
  {"Text1Select",       K::Method,      0x60030012, 2, {P("vst"), P("vl")}, false, Call2<&Window::Text1Select>},
  {"ShowButtons",       K::PropertyPut, 0x68030007, 1, {P("inum")}, false, Put1<&Window::ShowButtons>},
  {"Button1Caption",    K::PropertyPut, 0x68030006, 1, {P("vcap0")}, false, Put1<&Window::Button1Caption>},
  {"Button2Caption",    K::PropertyPut, 0x68030005, 1, {P("vcap1")}, false, Put1<&Window::Button2Caption>},
  {"Button3Caption",    K::PropertyPut, 0x68030004, 1, {P("vcap2")}, false, Put1<&Window::Button3Caption>},
  {"ButtonColor",       K::PropertyPut, 0x68030003, 1, {P("vcolb")}, false, Put1<&Window::ButtonColor>},
  {"WindowColor",       K::PropertyPut, 0x68030002, 1, {P("vcolw")}, false, Put1<&Window::WindowColor>},
  {"TextColor",         K::PropertyPut, 0x68030001, 1, {P("vcolt")}, false, Put1<&Window::TextColor>},
  {"Show",              K::Method,      0x60030015, 0, {}, false, Call0<&Window::Show>},
  {"Hide",              K::Method,      0x60030016, 0, {}, false, Call0<&Window::Hide>},
  {"Persist",           K::PropertyPut, 0x68030000, 1, {P("vbool")}, false, Put1<&Window::Persist>},
  {"Reset",             K::Method,      0x60030017, 0, {}, false, Call0<&Window::Reset>},
  {"ShowList",          K::Method,      0x60030018, 0, {}, false, Call0<&Window::ShowList>},
  {"ClearList",         K::Method,      0x60030019, 0, {}, false, Call0<&Window::ClearList>},
  {"LoadList",          K::Method,      0x6003001A, 1, {P("vlist")}, false, Call1<&Window::LoadList>},
  {"GetList",           K::Method,      0x6003001B, 0, {}, true, Get0<&Window::GetList>},
  {"AddToList",         K::Method,      0x6003001C, 1, {P("vitem")}, false, Call1<&Window::AddToList>},
  {"RemoveSelListItem", K::Method,      0x6003001D, 0, {}, true, Get0<&Window::RemoveSelListItem>},
  {"ChooseFileOpen",    K::Method,      0x6003001E, 0, {}, true, Get0<&Window::ChooseFileOpen>},
  {"ChooseFileSave",    K::Method,      0x6003001F, 0, {}, true, Get0<&Window::ChooseFileSave>},
  {"ChooseFolder",      K::Method,      0x60030020, 1, {Opt("vtitle")}, true, Get1<&Window::ChooseFolder>},
  {"ChooseColorRGB",    K::Method,      0x60030021, 3, {P("vr"), P("vg"), P("vbl")}, true, Get3<&Window::ChooseColorRGB>},
  {"ChooseColorHex",    K::Method,      0x60030022, 0, {}, true, Get0<&Window::ChooseColorHex>},
  {"Response",          K::Method,      0x60030023, 3, {Opt("stext1"), Opt("stext2"), Opt("slist")}, true, Get3<&Window::Response>},
  {"GetInfo",           K::Method,      0x60030024, 3, {P("vsect"), P("vlin"), P("vval")}, true, Get3<&Window::GetInfo>},
  {"SaveInfo",          K::Method,      0x60030025, 3, {P("vsect"), P("vlin"), P("vval")}, true, Get3<&Window::SaveInfo>},
  {"DeleteInfo",        K::Method,      0x60030026, 2, {P("vsect"), P("vlin")}, true, Get2<&Window::DeleteInfo>},
  {"PlaySound",         K::Method,      0x60030027, 1, {P("vfil")}, false, Call1<&Window::PlaySound>},
}};
// clang-format on

char16_t Lower(char16_t c) noexcept { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }

}  // namespace

bool EqualsIgnoringCase(std::u16string_view a, std::string_view ascii) noexcept {
  if (a.size() != ascii.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(static_cast<char16_t>(ascii[i]))) return false;
  return true;
}

std::span<const Member, kMemberCount> Members() { return kMembers; }

const Member* FindMember(int32_t dispid, MemberKind kind) {
  for (const Member& m : kMembers)
    if (m.dispid == dispid && m.kind == kind) return &m;
  return nullptr;
}

bool HasDispId(int32_t dispid) {
  for (const Member& m : kMembers)
    if (m.dispid == dispid) return true;
  return false;
}

std::optional<int32_t> DispIdOfName(std::u16string_view name) {
  for (const Member& m : kMembers)
    if (EqualsIgnoringCase(name, m.name)) return m.dispid;
  return std::nullopt;
}

std::optional<int32_t> ParamIndexOfName(int32_t dispid, std::u16string_view name) {
  for (const Member& m : kMembers) {
    if (m.dispid != dispid) continue;
    for (int i = 0; i < m.param_count; ++i)
      if (EqualsIgnoringCase(name, m.params[i].name)) return i;
  }
  return std::nullopt;
}

}  // namespace brivet::dispatch
