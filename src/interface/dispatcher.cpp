#include "interface/dispatcher.h"

#include <array>
#include <optional>

#include "core/error.h"

namespace brivet::dispatch {

namespace {

const Member* Resolve(int32_t dispid, uint16_t flags) {
  // The interface has no by-reference puts: `Set w.Caption = x` alone is
  // refused, but a host that cannot tell (JScript, for an object value)
  // offers both kinds of put at once, and the value put is taken.
  if (flags & kPropertyPut) return FindMember(dispid, MemberKind::PropertyPut);
  if (flags & kPropertyPutRef) return nullptr;
  if (flags & kMethod)
    if (const Member* m = FindMember(dispid, MemberKind::Method)) return m;
  if (flags & kPropertyGet) {
    if (const Member* m = FindMember(dispid, MemberKind::PropertyGet)) return m;
    // An expression may read a method's result.
    if (const Member* m = FindMember(dispid, MemberKind::Method); m && (flags & kMethod)) return m;
  }
  return nullptr;
}

// The routine assigns its result only once it has it, so it may write
// straight into the caller's variable.
void Run(window::Window& target, const Member& member, Variant* const* slots, Variant* result) {
  if (!member.has_result) return member.call(target, slots, nullptr);
  if (result) return member.call(target, slots, result);
  Variant discarded;
  member.call(target, slots, &discarded);
}

// Omitted optional parameters get the missing value, each its own variable.
// Kept off the common path: building the variants would be most of the cost
// of a call to a trivial member.
void RunWithOmitted(window::Window& target, const Member& member, std::array<Variant*, 4> slots,
                    Variant* result) {
  std::array<std::optional<Variant>, 4> missing;
  for (int p = 0; p < member.param_count; ++p)
    if (slots[p] == nullptr) slots[p] = &missing[p].emplace(Variant::Missing());
  Run(target, member, slots.data(), result);
}

}  // namespace

Refusal Invoke(window::Window& target, const Call& call) {
  const Member* member = Resolve(call.dispid, call.flags);
  if (member == nullptr) return {status::kMemberNotFound, 0};

  const int count = member->param_count;
  const bool is_put = member->kind == MemberKind::PropertyPut;
  // A property put's value is its last parameter; the others are indexes.
  const int value_slot = is_put ? count - 1 : -1;

  std::array<Variant*, 4> slots{};
  const size_t named = call.named.size();
  if (named > call.args.size()) return {status::kBadParamCount, 0};

  for (size_t i = 0; i < named; ++i) {
    const int32_t id = call.named[i];
    int slot;
    // A put's value may be named like any parameter, by its own name.
    if (id == kPropertyPutDispId && is_put) slot = value_slot;
    else if (id >= 0 && id < count) slot = id;
    else return {status::kParamNotFound, static_cast<uint32_t>(i)};
    if (slots[slot] != nullptr) return {status::kParamNotFound, static_cast<uint32_t>(i)};
    slots[slot] = &call.args[i];
  }

  // Positional arguments come last-first after the named ones. For a put
  // without a named value, the value is the last positional argument.
  const size_t positional = call.args.size() - named;
  size_t next = call.args.size();  // one past the first positional argument
  size_t remaining = positional;
  if (is_put && slots[value_slot] == nullptr) {
    if (remaining == 0) return {status::kBadParamCount, 0};
    slots[value_slot] = &call.args[named];
    --remaining;
  }
  const int index_params = is_put ? count - 1 : count;
  if (remaining > static_cast<size_t>(index_params)) return {status::kBadParamCount, 0};
  for (size_t p = 0; p < remaining; ++p) {
    Variant* arg = &call.args[--next];
    if (slots[p] != nullptr) return {status::kParamNotFound, static_cast<uint32_t>(next)};
    slots[p] = arg;
  }

  bool complete = true;
  for (int p = 0; p < count; ++p) {
    if (slots[p] != nullptr) continue;
    if (!member->params[p].optional) return {status::kParamNotOptional, 0};
    complete = false;
  }

  // A text parameter gets the converted value in a variable of its own: the
  // caller's variable is an input there and is never written.
  std::array<std::optional<Variant>, 4> converted;
  for (int p = 0; p < count; ++p) {
    if (!member->params[p].text || slots[p] == nullptr || slots[p]->type() == VariantType::Text) continue;
    try {
      slots[p] = &converted[p].emplace(Variant::Str(ToText(*slots[p])));
    } catch (const Error&) {
      return {status::kTypeMismatch, static_cast<uint32_t>(slots[p] - call.args.data())};
    }
  }
  if (complete) Run(target, *member, slots.data(), call.result);
  else RunWithOmitted(target, *member, slots, call.result);
  return {};
}

}  // namespace brivet::dispatch
