// Error traps for routines that do not report every failure to the script.
#pragma once

#include <exception>
#include <utility>

namespace brivet::window {

// Runs one step of a routine that skips what fails and goes on.
template <typename Step>
void Skippable(Step&& step) noexcept {
  try {
    step();
  } catch (const std::exception&) {
  }
}

// Runs a routine whose failure the script never sees; `fallback` is its
// answer when it fails.
template <typename Result, typename Routine>
Result Trapped(Result fallback, Routine&& routine) noexcept {
  try {
    return routine();
  } catch (const std::exception&) {
    return fallback;
  }
}

}  // namespace brivet::window
