// The form's resize handler: sizes the window from the dialog's bookkeeping,
// centres it vertically and stacks the sections top to bottom.
#pragma once

#include <cstdint>

#include "form/fbox.h"
#include "form/toolkit.h"

namespace brivet::form {

// The bookkeeping the content routines leave for the pass: what it reads,
// and the two sizes it writes back. The dialog's per-thread record holds it,
// so a nested run of the pass sees what the outer run wrote.
struct LayoutRecord {
  int16_t ButtonCount = 0;
  int16_t TextBoxCount = 0;
  int32_t FormWidth = 0;
  int32_t FormHeight = 0;
  int32_t HeaderHeight = 0;
  int32_t CaptionWidth = 0;
  bool HasHeader = false;
};

// Never fails: an error ends the pass where it occurred.
void RunLayoutPass(LayoutRecord& state, Fbox& form, Toolkit& toolkit) noexcept;

// Layout constants, twips.
inline constexpr int32_t kFrameAllowance = 340;
inline constexpr int32_t kCaptionMargin = 1600;
inline constexpr int32_t kWidthAllowance = 60;
inline constexpr int32_t kCaptionBesidePicture = 960;
inline constexpr int32_t kListSectionHeight = 1635;

}  // namespace brivet::form
