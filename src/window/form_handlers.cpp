#include "window/form_handlers.h"

#include "form/layout.h"
#include "platform.h"
#include "window/mod_msgbox.h"

namespace brivet::window {

namespace {

// While a handler runs, its form may be retired under it: retired forms are
// not freed until it returns.
struct HandlerScope {
  DialogState& state;
  HandlerScope() : state(ThreadState()) { ++state.handler_depth; }
  ~HandlerScope() { --state.handler_depth; }
  HandlerScope(const HandlerScope&) = delete;
  HandlerScope& operator=(const HandlerScope&) = delete;
};

class ThreadFormHandlers final : public form::FboxHandlers {
 public:
  void Load(form::Fbox& form) override {
    HandlerScope scope;
    LoadHandler(scope.state, form);
  }
  void Resize(form::Fbox& form) override {
    HandlerScope scope;
    form::RunLayoutPass(scope.state, form, CurrentToolkit());
  }
  void ButtonClick(form::Fbox& form, int index) override {
    HandlerScope scope;
    ButtonClickHandler(scope.state, form, index);
  }
  void Unload(form::Fbox& form, int16_t& cancel) override {
    HandlerScope scope;
    UnloadHandler(scope.state, form, cancel);
  }
  void Idle(form::Fbox& form) override {
    HandlerScope scope;
    IdleHandler(scope.state, form);
  }
};

// Stateless: the state is per thread. Made when the module loads, not on
// first use, which would take the runtime's lock for local statics: on some
// runtimes that lock, or the thread record it makes, outlives an unload.
ThreadFormHandlers g_handlers;

}  // namespace

form::FboxHandlers& ThreadHandlers() { return g_handlers; }

void IdleHandler(DialogState& state, form::Fbox& form) noexcept {
  // Only the outermost display knows that no retired form is on the stack
  // but its own, which is never retired while it waits.
  if (state.modal_depth != 1) return;
  std::erase_if(state.retired, [&](const auto& f) { return f.get() != &form; });
  if (state.PersistFlag || state.spare) return;
  try {
    auto spare = std::make_unique<form::Fbox>(CurrentToolkit(), ThreadHandlers());
    spare->Prepare();
    state.spare = std::move(spare);
  } catch (const std::exception&) {
    // No spare: the next reset builds its form itself, and reports any error.
  }
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
