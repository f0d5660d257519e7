// Helpers shared by the source files of the Win32 form window.
#pragma once

#include <windows.h>

#include <algorithm>
#include <climits>
#include <optional>
#include <string>

#include "form/controls.h"
#include "handles.h"
#include "toolkit_win32.h"

namespace brivet::win32::detail {

inline constexpr float kDefaultPoints = 8;
// Label text as the label control draws it (SS_LEFTNOWORDWRAP | SS_NOPREFIX):
// no prefix characters, no wrapping; CR LF, LF and CR break lines.
inline constexpr UINT kLabelFormat = DT_LEFT | DT_TOP | DT_NOPREFIX | DT_EXPANDTABS;
inline constexpr int kHeadingLeftTwips = 60;
inline constexpr int kHeadingHeightTwips = 240;

// Colour values: 0x00BBGGRR, a system colour index with the top bit set, or
// kNoColor for the control's default.
inline COLORREF Resolve(int32_t value, int default_sys_color) {
  if (value == form::kNoColor) return GetSysColor(default_sys_color);
  const auto u = static_cast<uint32_t>(value);
  if (u & 0x80000000u) return GetSysColor(static_cast<int>(u & 0xFFu));
  return u & 0x00FFFFFFu;
}

// A solid brush of the colour, or none for the default colour.
inline UniqueBrush BrushFor(int32_t color) {
  UniqueBrush brush;
  if (color == form::kNoColor) return brush;
  brush.reset(CreateSolidBrush(Resolve(color, COLOR_BTNFACE)));
  if (!brush) ThrowLastError("CreateSolidBrush");
  return brush;
}

inline Text WindowText(HWND hwnd) {
  const int length = GetWindowTextLengthW(hwnd);
  if (length <= 0) return {};
  std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(hwnd, buffer.data(), length + 1);
  return FromWide(buffer.data(), static_cast<size_t>(std::max(got, 0)));
}

inline void SetWindowTextOrThrow(HWND hwnd, const Text& text) {
  if (!SetWindowTextW(hwnd, Wide(text))) ThrowLastError("SetWindowText");
}

inline bool IsTextBox(form::ControlKind k) {
  return k == form::ControlKind::TextBox || k == form::ControlKind::MultiLineTextBox;
}

inline bool TakesFocus(form::ControlKind k) {
  return IsTextBox(k) || k == form::ControlKind::Button || k == form::ControlKind::ListBox;
}

// Tab order: by tab index, controls without one last.
inline int SortKey(const form::ControlTemplate& t) { return t.tab_index < 0 ? INT_MAX : t.tab_index; }

inline std::optional<form::ControlId> ControlOfId(int id) {
  const int index = id - kControlIdBase;
  if (index < 0 || index >= form::kControlCount) return std::nullopt;
  return static_cast<form::ControlId>(index);
}

}  // namespace brivet::win32::detail
