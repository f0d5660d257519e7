#include "form/fbox.h"

#include "core/error.h"

namespace brivet::form {

Fbox::Fbox(Toolkit& toolkit, FboxHandlers& handlers) : toolkit_(toolkit), handlers_(handlers) {}

Fbox::~Fbox() = default;

void Fbox::Load() {
  if (discarded_) throw Error::Toolkit("the form was discarded");
  if (window_) return;
  window_ = toolkit_.CreateForm(*this);
  handlers_.Load(*this);
}

FormWindow& Fbox::ui() {
  Load();
  return *window_;
}

void Fbox::RequestUnload() {
  if (!window_ || discarded_) return;
  int16_t cancel = 0;
  handlers_.Unload(*this, cancel);
  if (cancel == 0 && window_ && !discarded_) {
    window_->Hide();
    retired_ = std::move(window_);
  }
}

void Fbox::Discard() {
  if (discarded_) return;
  discarded_ = true;
  if (window_) {
    window_->Hide();
    retired_ = std::move(window_);
  }
}

void Fbox::OnResize() {
  if (!discarded_ && window_) handlers_.Resize(*this);
}

void Fbox::OnButtonClick(int index) {
  if (!discarded_ && window_) handlers_.ButtonClick(*this, index);
}

void Fbox::OnCloseRequest() { RequestUnload(); }

}  // namespace brivet::form
