#include "window/dialog_state.h"

#include "platform.h"
#include "window/form_handlers.h"

namespace brivet::window {

namespace {
thread_local std::unique_ptr<DialogState> t_state;
}

DialogState& ThreadState() {
  if (!t_state) t_state = std::make_unique<DialogState>();
  return *t_state;
}

form::Fbox& ThreadForm() {
  DialogState& state = ThreadState();
  if (!state.retired.empty()) CollectRetired();
  if (!state.form)
    state.form = std::make_unique<form::Fbox>(CurrentToolkit(), ThreadHandlers());
  return *state.form;
}

form::FormWindow& ThreadUi() { return ThreadForm().ui(); }

void CollectRetired() {
  DialogState& state = ThreadState();
  if (state.modal_depth == 0 && state.handler_depth == 0) state.retired.clear();
}

void LoadFreshForm() {
  DialogState& state = ThreadState();
  if (!state.form && state.spare) state.form = std::move(state.spare);
  ThreadForm().Load();
}

void ReleaseThreadState() {
  DialogState& state = ThreadState();
  if (state.modal_depth != 0 || state.handler_depth != 0) return;
  CollectRetired();
  state.spare.reset();
  // A persisted form keeps its content for the thread's next object; any
  // other form goes with the last object, so the module can be unloaded.
  // The recorded answer stays either way.
  if (!state.PersistFlag) state.form.reset();
}

}  // namespace brivet::window
