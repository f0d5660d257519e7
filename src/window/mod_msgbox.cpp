#include "window/mod_msgbox.h"

#include "platform.h"
#include "window/dialog_state.h"

namespace brivet::window {

namespace {

// Drops the thread's current form; its window may still be running the very
// handler that got here, so the instance is only retired, not destroyed.
void RetireForm(DialogState& state) {
  if (!state.form) return;
  state.form->Discard();
  state.retired.push_back(std::move(state.form));
}

}  // namespace

void ResetForm() {
  DialogState& state = ThreadState();
  try {
    form::Fbox& current = ThreadForm();
    if (current.has_window() && current.ui().Visible()) current.ui().Hide();
    if (state.PersistFlag) return;
    RetireForm(state);
    CurrentToolkit().PumpEvents();
    LoadFreshForm();
  } catch (const std::exception&) {
    // Fall back to a fresh form; an error here reaches the caller.
    RetireForm(state);
    state.spare.reset();
    ThreadForm().Load();
  }
}

int32_t HexToColor(const Text& text) noexcept {
  if (text.size() != 6) return -1;
  int32_t digits[6];
  for (size_t i = 0; i < 6; ++i) {
    const char16_t c = text[i];
    if (c >= u'0' && c <= u'9') digits[i] = c - u'0';
    else if (c >= u'A' && c <= u'F') digits[i] = c - u'A' + 10;
    else if (c >= u'a' && c <= u'f') digits[i] = c - u'a' + 10;
    else return -1;
  }
  const int32_t red = digits[0] * 16 + digits[1];
  const int32_t green = digits[2] * 16 + digits[3];
  const int32_t blue = digits[4] * 16 + digits[5];
  return red + green * 256 + blue * 65536;
}

}  // namespace brivet::window
