#include "form/fbox.h"

#include "core/error.h"

namespace brivet::form {

namespace {
std::atomic<long> g_live_forms{0};
std::atomic<long> g_live_windows{0};
}

long Fbox::LiveForms() noexcept { return g_live_forms.load(); }
long Fbox::LiveWindows() noexcept { return g_live_windows.load(); }

Fbox::Fbox(Toolkit& toolkit, FboxHandlers& handlers) : toolkit_(toolkit), handlers_(handlers) {
  ++g_live_forms;
}

Fbox::~Fbox() {
  --g_live_forms;
  const long windows = (window_ ? 1 : 0) + (retired_ ? 1 : 0);
  window_.reset();
  retired_.reset();
  g_live_windows -= windows;
}

void Fbox::Prepare() {
  if (discarded_) throw Error::Toolkit("the form was discarded");
  if (window_) return;
  window_ = toolkit_.CreateForm(*this);
  ++g_live_windows;
}

void Fbox::Load() {
  if (discarded_) throw Error::Toolkit("the form was discarded");
  if (loaded_) return;
  loaded_ = true;
  handlers_.Load(*this);
}

FormWindow& Fbox::ui() {
  Load();
  Prepare();
  return *window_;
}

void Fbox::RequestUnload() {
  if (!loaded_ || discarded_) return;
  int16_t cancel = 0;
  handlers_.Unload(*this, cancel);
  if (cancel == 0 && loaded_ && !discarded_) Retire();
}

void Fbox::Discard() {
  if (discarded_) return;
  discarded_ = true;
  Retire();
}

void Fbox::Retire() noexcept {
  loaded_ = false;
  if (!window_) return;
  try {
    window_->Hide();
  } catch (const std::exception&) {
    // The window goes away all the same.
  }
  if (retired_) --g_live_windows;
  retired_ = std::move(window_);
}

void Fbox::OnResize() {
  if (!discarded_ && window_) handlers_.Resize(*this);
}

void Fbox::OnButtonClick(int index) {
  if (!discarded_ && window_) handlers_.ButtonClick(*this, index);
}

void Fbox::OnIdle() {
  if (!discarded_ && window_) handlers_.Idle(*this);
}

void Fbox::OnCloseRequest() {
  if (!discarded_) {
    RequestUnload();
    return;
  }
  // A discarded window that could not be hidden is still on screen: closing
  // it only hides it, so its modal display can end.
  if (retired_) {
    try {
      retired_->Hide();
    } catch (const std::exception&) {
    }
  }
}

}  // namespace brivet::form
