// One instance of the dialog form: load-on-use, the unload request with its
// cancel flag, and discarding without the unload event.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "form/toolkit.h"

namespace brivet::form {

class Fbox;

// The form's event handlers, supplied by the dialog logic.
class FboxHandlers {
 public:
  virtual ~FboxHandlers() = default;
  virtual void Load(Fbox& form) = 0;
  virtual void Resize(Fbox& form) = 0;
  virtual void ButtonClick(Fbox& form, int index) = 0;
  virtual void Unload(Fbox& form, int16_t& cancel) = 0;
  // The form's modal display waits for the user (see FormEventSink::OnIdle).
  virtual void Idle(Fbox& form) = 0;
};

class Fbox final : private FormEventSink {
 public:
  Fbox(Toolkit& toolkit, FboxHandlers& handlers);
  ~Fbox() override;
  Fbox(const Fbox&) = delete;
  Fbox& operator=(const Fbox&) = delete;

  // Creates the instance's window if it has none, without loading it. A
  // loaded instance gets its window on first use, so that loading (which a
  // dismissal does) costs only the load handler.
  void Prepare();
  bool has_window() const noexcept { return window_ != nullptr; }
  // Loads the instance if it is not loaded (running the load handler).
  void Load();
  bool loaded() const noexcept { return loaded_; }

  // The live window, loading the instance and creating its window first:
  // every use of a form that is not loaded loads it.
  FormWindow& ui();

  // Raises the unload event; unless a handler cancels, the window goes away.
  void RequestUnload();
  // Destroys the window without the unload event; the instance is dead and
  // ignores any event still pending for it.
  void Discard();
  bool discarded() const noexcept { return discarded_; }

  bool first_resize = false;

  // Form instances and their windows alive in the process, on any thread;
  // while there are any, the module holding their handlers and window
  // procedures must stay loaded.
  static long LiveForms() noexcept;
  static long LiveWindows() noexcept;

 private:
  void OnResize() override;
  void OnButtonClick(int index) override;
  void OnCloseRequest() override;
  void OnIdle() override;
  // Moves the window aside, hidden; it is destroyed with the instance, outside
  // the event that may be running for it.
  void Retire() noexcept;

  Toolkit& toolkit_;
  FboxHandlers& handlers_;
  std::unique_ptr<FormWindow> window_;
  // A window removed while one of its own events runs is kept until the
  // instance itself is destroyed, outside that event.
  std::unique_ptr<FormWindow> retired_;
  bool loaded_ = false;
  bool discarded_ = false;
};

}  // namespace brivet::form
