// Late-bound calls driven by the member table: maps positional and named
// arguments onto a member's parameters and refuses a call whose kind or
// arguments do not match before any routine runs.
#pragma once

#include <cstdint>
#include <span>

#include "core/variant.h"
#include "interface/member_table.h"

namespace brivet::dispatch {

// Invoke flags and special dispatch ids, with the platform's values.
inline constexpr uint16_t kMethod = 1;
inline constexpr uint16_t kPropertyGet = 2;
inline constexpr uint16_t kPropertyPut = 4;
inline constexpr uint16_t kPropertyPutRef = 8;
inline constexpr int32_t kPropertyPutDispId = -3;

struct Call {
  int32_t dispid = 0;
  uint16_t flags = 0;
  // The arguments as the platform passes them: last argument first, the
  // named ones at the start. Routines write into them in place.
  std::span<Variant> args;
  std::span<const int32_t> named;  // dispatch ids of args[0 .. named.size())
  Variant* result = nullptr;       // may be null
};

struct Refusal {
  int32_t status = status::kOk;  // kOk: the routine ran
  uint32_t arg_error = 0;        // index into args of the offending argument
};

// Resolves the member and its arguments, then runs the routine. A mismatch
// is answered with the standard status; errors of the routine propagate as
// brivet::Error.
Refusal Invoke(window::Window& target, const Call& call);

}  // namespace brivet::dispatch
