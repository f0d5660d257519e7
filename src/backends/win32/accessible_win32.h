// Accessible objects of the form's controls, for screen readers: the
// system's standard object of each control, with the role and the name a
// user reads on screen (a caption without its "&" marks, a text box named by
// its heading). The system's own objects name a box by the label before it
// and strip only the first "&"; some (Wine's) know no roles but the text box's.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace brivet::win32 {

struct AccessibleFacts {
  long role;
  HWND named_by;     // the window whose text names the control
  bool access_keys;  // that text marks access keys with "&"
};

// The answer to WM_GETOBJECT for the client object of `hwnd`, or nothing to
// leave the message to the control (oleacc missing, any failure).
std::optional<LRESULT> AnswerGetObject(HWND hwnd, WPARAM wparam, LPARAM lparam, const AccessibleFacts& facts);

// Objects handed out and still referenced: the module must stay loaded.
long LiveAccessibleObjects() noexcept;

}  // namespace brivet::win32
