// Registration of the window classes of one module.
#pragma once

#include <windows.h>

#include <memory>

#include "handles.h"

namespace brivet::win32 {

inline constexpr const wchar_t* kFormClassName = L"BrivetForm";
// Frames and the image: child windows painted by the form.
inline constexpr const wchar_t* kPaneClassName = L"BrivetPane";

LRESULT CALLBACK FormWindowProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK PaneWindowProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

// The form and pane classes of a module and the form's icon. Shared by the
// toolkit and its windows; the last owner unregisters the classes.
class WindowClasses {
 public:
  static std::shared_ptr<WindowClasses> For(HINSTANCE module);
  ~WindowClasses();
  WindowClasses(const WindowClasses&) = delete;
  WindowClasses& operator=(const WindowClasses&) = delete;

  HINSTANCE module() const noexcept { return module_; }

 private:
  explicit WindowClasses(HINSTANCE module);

  HINSTANCE module_;
  UniqueIcon icon_;
  bool form_registered_ = false;
  bool pane_registered_ = false;
};

}  // namespace brivet::win32
