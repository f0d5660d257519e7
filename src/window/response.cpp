// Recording the user's answer at a dismissal and handing it to the script.
#include "window/form_handlers.h"
#include "window/mod_msgbox.h"
#include "window/window.h"

namespace brivet::window {

using form::ControlId;

void ButtonClickHandler(DialogState& state, form::Fbox& form, int index) {
  form::FormWindow& ui = form.ui();
  state.ResponseText1 = Variant::Str(ui.GetText(state.MultiLine ? ControlId::T1M : ControlId::T1));
  state.ResponseText2 = Variant::Str(ui.GetText(ControlId::T2));
  const int16_t selected = ui.ListIndex();
  state.ResponseListItem = Variant::Str(selected != -1 ? ui.ListEntry(selected) : Text());
  state.ResponseCode = static_cast<int16_t>(index + 1);
  ResetForm();
}

void UnloadHandler(DialogState& state, form::Fbox&, int16_t& cancel) {
  cancel = 1;
  state.ResponseText1 = Variant::Str(Text());
  state.ResponseText2 = Variant::Str(Text());
  state.ResponseListItem = Variant::Str(Text());
  state.ResponseCode = 0;
  ResetForm();
}

Variant Window::Response(Variant& stext1, Variant& stext2, Variant& slist) {
  const DialogState& state = ThreadState();
  try {
    if (!stext1.IsMissing()) stext1 = state.ResponseText1;
    if (!stext2.IsMissing()) stext2 = state.ResponseText2;
    if (!slist.IsMissing()) slist = state.ResponseListItem;
    return Variant::I2(state.ResponseCode);
  } catch (const std::exception&) {
    return Variant::I2(0);
  }
}

namespace {

// Like Response, the readers trap every error: a failed copy answers empty.
Variant Recorded(Variant DialogState::*field) {
  try {
    return ThreadState().*field;
  } catch (const std::exception&) {
    return Variant();
  }
}

}  // namespace

Variant Window::ResponseCode() {
  try {
    return Variant::I2(ThreadState().ResponseCode);
  } catch (const std::exception&) {
    return Variant::I2(0);
  }
}

Variant Window::ResponseText1() { return Recorded(&DialogState::ResponseText1); }
Variant Window::ResponseText2() { return Recorded(&DialogState::ResponseText2); }
Variant Window::ResponseListItem() { return Recorded(&DialogState::ResponseListItem); }

}  // namespace brivet::window
