// What the system says a dialog should look like: the common controls with
// visual styles, the message font, high contrast and each window's dpi.
// Functions newer than the oldest supported system are bound by name, with a
// fallback where they are missing.
#pragma once

#include <windows.h>

#include "handles.h"

namespace brivet::win32 {

// The activation context that selects the common controls with visual
// styles, made from a manifest resource of the module at the first dialog
// (never while the module loads) and released with its owner.
class VisualStyles {
 public:
  explicit VisualStyles(HINSTANCE module) noexcept : module_(module) {}
  ~VisualStyles();
  VisualStyles(const VisualStyles&) = delete;
  VisualStyles& operator=(const VisualStyles&) = delete;

  // While one exists, the system's control classes are the styled ones
  // (when the module carries the manifest and the system has them).
  class Scope {
   public:
    explicit Scope(HANDLE context) noexcept;
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
    bool active() const noexcept { return active_; }

   private:
    ULONG_PTR cookie_ = 0;
    bool active_ = false;
  };
  Scope Activate();

 private:
  HINSTANCE module_;
  SlimLock making_;  // forms of several threads may come first at once
  HANDLE context_ = INVALID_HANDLE_VALUE;
  bool tried_ = false;
};

// While one exists, windows the thread creates are per-monitor dpi aware
// (v2 where the system has it, then v1, then system aware), and the thread
// sees their coordinates unscaled; the thread's own awareness comes back
// afterwards. Does nothing on a system without per-thread awareness.
class DpiAwareScope {
 public:
  DpiAwareScope() noexcept;
  ~DpiAwareScope();
  DpiAwareScope(const DpiAwareScope&) = delete;
  DpiAwareScope& operator=(const DpiAwareScope&) = delete;

 private:
  void* previous_ = nullptr;  // DPI_AWARENESS_CONTEXT
};

// The dpi the window is drawn at; the system's where the system cannot say.
int DpiOf(HWND hwnd);
// The system's dpi, as an aware thread sees it.
int SystemDpi();
// The outer size that gives a window of `style` a client area of 0 x 0.
SIZE FrameSize(DWORD style, DWORD ex_style, int dpi);
// The system's message font at `dpi`.
LOGFONTW MessageFont(int dpi);
// Whether the system's high-contrast mode is on.
bool HighContrastOn();

}  // namespace brivet::win32
