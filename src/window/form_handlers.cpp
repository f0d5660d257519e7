#include "window/form_handlers.h"

#include "form/layout.h"
#include "platform.h"
#include "window/mod_msgbox.h"

namespace brivet::window {

namespace {

class ThreadFormHandlers final : public form::FboxHandlers {
 public:
  void Load(form::Fbox& form) override { LoadHandler(ThreadState(), form); }
  void Resize(form::Fbox& form) override {
    form::RunLayoutPass(ThreadState(), form, CurrentToolkit());
  }
  void ButtonClick(form::Fbox& form, int index) override {
    ButtonClickHandler(ThreadState(), form, index);
  }
  void Unload(form::Fbox& form, int16_t& cancel) override {
    UnloadHandler(ThreadState(), form, cancel);
  }
};

}  // namespace

form::FboxHandlers& ThreadHandlers() {
  static ThreadFormHandlers handlers;  // stateless: the state is per thread
  return handlers;
}

void LoadHandler(DialogState& state, form::Fbox& form) {
  form.first_resize = true;
  state.HasHeader = false;
  state.TextBoxWidth = 0;
  state.TextBoxHeight = 0;
  state.HeaderHeight = 0;
  state.FormHeight = 0;
  state.CaptionWidth = 0;
  state.ButtonCount = 0;
  state.TextBoxCount = 0;
  state.FormWidth = 5565;
  state.MultiLine = false;
}

}  // namespace brivet::window
