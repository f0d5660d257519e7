// The members of the dispatch interface: the one table that names, numbers,
// parameters, kinds and results come from. Late-bound dispatch, the
// early-bound virtual table and the type-library check all read it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "core/variant.h"
#include "window/window.h"

namespace brivet::dispatch {

enum class MemberKind : uint8_t { PropertyGet, PropertyPut, Method };

struct Param {
  const char* name;
  bool optional;
};

// Calls the member's routine; args are in declaration order (for a property
// put the assigned value is last), result receives the member's result.
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

inline constexpr int kMemberCount = 40;
// Entries of IUnknown and IDispatch before the first member's slot.
inline constexpr int kFirstMemberSlot = 7;

// The members in virtual-table order.
std::span<const Member, kMemberCount> Members();
const Member* FindMember(int32_t dispid, MemberKind kind);
bool HasDispId(int32_t dispid);
// Case-insensitive lookups, as GetIDsOfNames needs them.
std::optional<int32_t> DispIdOfName(std::u16string_view name);
std::optional<int32_t> ParamIndexOfName(int32_t dispid, std::u16string_view name);

bool EqualsIgnoringCase(std::u16string_view a, std::string_view ascii) noexcept;

}  // namespace brivet::dispatch
