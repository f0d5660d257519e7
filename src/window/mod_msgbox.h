// Routines shared by the dialog members and the form's handlers.
#pragma once

#include <cstdint>

#include "core/variant.h"

namespace brivet::window {

// Hides the thread's form and, unless Persist is set, replaces it with a
// fresh instance at the defaults. Never fails except in its own fallback.
void ResetForm();

// Colour text RRGGBB (six hexadecimal digits, either case) to 0x00BBGGRR;
// -1 for anything else. Never fails.
int32_t HexToColor(const Text& text) noexcept;

}  // namespace brivet::window
