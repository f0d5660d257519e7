#include "window/window.h"

#include <atomic>

#include "platform.h"
#include "window/dialog_state.h"
#include "window/mod_msgbox.h"

namespace brivet::window {

namespace {
std::atomic<long> g_live_windows{0};
}  // namespace

long LiveWindowCount() noexcept { return g_live_windows.load(); }

Window::Window() {
  DialogState& state = ThreadState();
  CollectRetired();
  ThreadForm().Load();
  const form::Toolkit& toolkit = CurrentToolkit();
  state.TwipsPerPixelX = RoundToInt32(toolkit.TwipsPerPixelX());
  state.TwipsPerPixelY = RoundToInt32(toolkit.TwipsPerPixelY());
  state.PersistFlag = false;
  ++state.live_objects;
  ++g_live_windows;
}

Window::~Window() {
  DialogState& state = ThreadState();
  --g_live_windows;
  try {
    ThreadForm().RequestUnload();
  } catch (const std::exception&) {
    // Nothing can report an error from a release; the form is dropped below.
  }
  if (--state.live_objects == 0) ReleaseThreadState();
  else CollectRetired();
}

void Window::Show() {
  DialogState& state = ThreadState();
  form::Fbox& form = ThreadForm();
  form::FormWindow& ui = form.ui();
  if (ui.Visible()) return;
  // A handler may retire `form` during the display; it stays alive until
  // the display has ended, however it ends. Retired forms are freed later,
  // so that destroying them does not delay this display's return.
  ++state.modal_depth;
  struct DepthGuard {
    DialogState& s;
    ~DepthGuard() { --s.modal_depth; }
  } guard{state};
  ui.ShowModal();
}

void Window::Hide() {
  form::FormWindow& ui = ThreadUi();
  if (ui.Visible()) ui.Hide();
}

void Window::Persist(Variant& vbool) { ThreadState().PersistFlag = ToBool(vbool); }

void Window::Reset() {
  ResetForm();
  CollectRetired();
}

}  // namespace brivet::window
