#include "interface/member_table.h"

namespace brivet::dispatch {


namespace {
using table::kMembers;
}  // namespace

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
