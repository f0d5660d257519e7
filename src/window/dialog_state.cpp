#include "window/dialog_state.h"

#include "platform.h"
#include "window/form_handlers.h"

namespace brivet::window {

namespace {
// The record goes with its thread, or with the module if that goes first.
void EndOfThread(void* state) noexcept { delete static_cast<DialogState*>(state); }
}  // namespace

// Kept by the platform, not in a thread_local: the C++ runtime's thread-exit
// destructors pin a library until the thread ends and then unload it from
// inside its own thread-exit callback, under the loader lock.
DialogState& ThreadState() {
  ThreadStore& store = CurrentThreadStore();
  if (void* kept = store.Get()) return *static_cast<DialogState*>(kept);
  auto made = std::make_unique<DialogState>();
  store.Set(made.get(), EndOfThread);
  return *made.release();
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
