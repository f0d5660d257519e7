#include "interface/member_table.h"

#include <algorithm>

namespace brivet::dispatch {


namespace {
using table::kMembers;
}  // namespace

// Every call looks its member up: by dispatch id and kind, the table sorted
// once at compile time and searched by halves.
struct Key {
  int32_t dispid;
  MemberKind kind;
  uint8_t index;
  constexpr bool operator<(const Key& other) const {
    return dispid != other.dispid ? dispid < other.dispid : kind < other.kind;
  }
};

constexpr std::array<Key, kMemberCount> SortedKeys() {
  std::array<Key, kMemberCount> keys{};
  for (size_t i = 0; i < keys.size(); ++i)
    keys[i] = {kMembers[i].dispid, kMembers[i].kind, static_cast<uint8_t>(i)};
  std::sort(keys.begin(), keys.end());
  return keys;
}

constexpr std::array<Key, kMemberCount> kSortedKeys = SortedKeys();

const Member* FindMember(int32_t dispid, MemberKind kind) {
  const Key wanted{dispid, kind, 0};
  const auto found = std::lower_bound(kSortedKeys.begin(), kSortedKeys.end(), wanted);
  if (found == kSortedKeys.end() || found->dispid != dispid || found->kind != kind) return nullptr;
  return &kMembers[found->index];
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
