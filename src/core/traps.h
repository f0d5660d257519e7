// Error traps for routines that do not report every failure to their caller.
// They catch std::exception only: anything else (a test's signal that its
// simulated user ran out of answers) goes through.
#pragma once

#include <exception>
#include <utility>

namespace brivet {

// Runs one step of a routine that skips what fails and goes on.
template <typename Step>
void Skippable(Step&& step) {
  try {
    step();
  } catch (const std::exception&) {
  }
}

// Runs a routine whose failure the caller never sees; `fallback` is its
// answer when it fails.
template <typename Result, typename Routine>
Result Trapped(Result fallback, Routine&& routine) {
  try {
    return routine();
  } catch (const std::exception&) {
    return fallback;
  }
}

}  // namespace brivet
