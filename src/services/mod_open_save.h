// The chooser routines: each builds one request, shows one chooser and
// shapes its answer. Nothing is remembered between calls.
#pragma once

#include <cstdint>
#include <optional>

#include "services/system_services.h"

namespace brivet::services {

// The longest path a chooser hands back, in characters.
inline constexpr size_t kMaxChosenPath = 254;

// The chosen path, or the empty text for cancel or any failure.
Text ShowOpenDialog(Choosers& choosers);
Text ShowSaveDialog(Choosers& choosers);
Text BrowseFolder(Choosers& choosers, const std::optional<Text>& title);

// The chosen colour 0x00BBGGRR, or -1 for cancel or any failure.
int32_t ShowColorDialog(Choosers& choosers);

// A colour value as its colour text RRGGBB in upper case; empty for a value
// that is no colour.
Text ColorToHex(int32_t color);

}  // namespace brivet::services
