// The dialog form's event handlers: load, resize (the layout pass), button
// click and unload. They work on the calling thread's DialogState.
#pragma once

#include "form/fbox.h"
#include "window/dialog_state.h"

namespace brivet::window {

// The handlers bound to the calling thread's state.
form::FboxHandlers& ThreadHandlers();

// Puts the bookkeeping of DialogState to its load-time values.
void LoadHandler(DialogState& state, form::Fbox& form);
// Records button index's answer and resets the form.
void ButtonClickHandler(DialogState& state, form::Fbox& form, int index);
// While a display waits: frees retired forms and prepares the next form.
void IdleHandler(DialogState& state, form::Fbox& form) noexcept;
// Cancels the unload and records the close-box answer.
void UnloadHandler(DialogState& state, form::Fbox& form, int16_t& cancel);

}  // namespace brivet::window
