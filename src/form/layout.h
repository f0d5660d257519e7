// The form's resize handler: sizes the window from the dialog's bookkeeping,
// centres it vertically and stacks the sections top to bottom.
#pragma once

#include "form/fbox.h"
#include "form/toolkit.h"

namespace brivet::window {
struct DialogState;
}

namespace brivet::form {

// Never fails: an error ends the pass where it occurred.
void RunLayoutPass(window::DialogState& state, Fbox& form, Toolkit& toolkit) noexcept;

// Layout constants, twips.
inline constexpr int32_t kFrameAllowance = 340;
inline constexpr int32_t kCaptionMargin = 1600;
inline constexpr int32_t kWidthAllowance = 60;
inline constexpr int32_t kCaptionBesidePicture = 960;
inline constexpr int32_t kListSectionHeight = 1635;

}  // namespace brivet::form
