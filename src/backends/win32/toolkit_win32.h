// The Win32 window toolkit: forms are user32 windows with child controls.
#pragma once

#include <windows.h>

#include <memory>

#include "form/toolkit.h"

namespace brivet {

// The toolkit for windows of `module` (the DLL or EXE that owns the window
// classes). The classes are registered while any window made by it exists
// and unregistered after the last one goes.
std::unique_ptr<form::Toolkit> MakeWin32Toolkit(HINSTANCE module);

namespace win32 {

// Control ID of a control's child window (test tools look children up by it).
inline constexpr int kControlIdBase = 100;
inline int ControlWindowId(form::ControlId c) { return kControlIdBase + static_cast<int>(c); }
// Control ID of the label that shows a frame's caption.
inline constexpr int kHeadingIdBase = 200;
inline int HeadingWindowId(form::ControlId frame) { return kHeadingIdBase + static_cast<int>(frame); }

}  // namespace win32
}  // namespace brivet
