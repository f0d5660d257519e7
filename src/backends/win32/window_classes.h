// Registration of the window classes of one module.
#pragma once

#include <windows.h>

#include <memory>

#include "handles.h"
#include "module_pin.h"

namespace brivet::win32 {

inline constexpr const wchar_t* kFormClassName = L"BrivetForm";
// Frames and the image: child windows painted by the form.
inline constexpr const wchar_t* kPaneClassName = L"BrivetPane";

LRESULT CALLBACK FormWindowProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK PaneWindowProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

// The form and pane classes of a module and the form's icon, shared by the
// module's windows on every thread: the first window registers them, the
// last one's end unregisters them, and meanwhile they keep the module loaded.
class WindowClasses {
 public:
  static std::shared_ptr<WindowClasses> For(HINSTANCE module);
  ~WindowClasses();
  WindowClasses(const WindowClasses&) = delete;
  WindowClasses& operator=(const WindowClasses&) = delete;

  HINSTANCE module() const noexcept { return module_; }

 private:
  explicit WindowClasses(HINSTANCE module);

  ModulePin pin_;  // first in, last out: the unregistering runs in the module
  HINSTANCE module_;
  UniqueIcon icon_;
  bool form_registered_ = false;
  bool pane_registered_ = false;
};

}  // namespace brivet::win32
