// The window toolkit the dialog logic runs on. Backends (Win32, headless)
// implement these interfaces; no platform type appears here.
//
// Units: positions and sizes are single-precision twips. The form's Top,
// Width and Height are those of its outer frame; a control's Left and Top
// are relative to its container. Colours are 0x00BBGGRR values.
// Every failing operation throws brivet::Error; on bad input every backend
// throws the same error, as stated beside each operation:
//   - a position that is not finite, or a size that is negative or not
//     finite: InvalidPropertyValue (380); nothing changes;
//   - an operation on a control of the wrong kind (a text on a frame, a
//     caption on a text box): InvalidCall (5).
// Backends may round what they keep (to whole pixels, say) and limit huge
// values to what the platform can hold.
#pragma once

#include <cmath>
#include <cstdint>
#include <memory>
#include <span>

#include "core/error.h"
#include "core/variant.h"
#include "form/controls.h"

namespace brivet::form {

// The most entries the list box holds: its counts and positions are 16-bit.
inline constexpr int kMaxListEntries = 32767;

// The checks every backend applies to requested geometry and fonts.
inline float CheckedPosition(float twips) {
  if (!std::isfinite(twips)) throw Error(Fault::InvalidPropertyValue);
  return twips;
}
inline float CheckedSize(float twips) {
  if (!(CheckedPosition(twips) >= 0)) throw Error(Fault::InvalidPropertyValue);
  return twips;
}
inline float CheckedFontSize(float points) {
  if (!(points > 0 && points <= 2048)) throw Error(Fault::InvalidPropertyValue);
  return points;
}

// The colour a control is drawn in for the colour a script set: the
// system's (kNoColor) while its high-contrast mode is on.
inline int32_t ShownColor(int32_t set, bool high_contrast) noexcept { return high_contrast ? kNoColor : set; }

// Events a form window raises; implemented by the form instance that owns it.
// Handlers run on the form's thread, possibly nested inside a toolkit call
// (a size change raises OnResize before the assignment returns).
class FormEventSink {
 public:
  virtual ~FormEventSink() = default;
  virtual void OnResize() = 0;
  virtual void OnButtonClick(int index) = 0;
  // The user asked to close the window (close box, Alt+F4, system menu).
  virtual void OnCloseRequest() = 0;
  // A modal display has handled every pending event, its window painted, and
  // has waited a moment with nothing to do; raised at most once per display.
  // Work done here costs the user nothing.
  virtual void OnIdle() = 0;
};

// One live window built from the form template. Created hidden, with every
// control at its template state.
class FormWindow {
 public:
  virtual ~FormWindow() = default;  // destroys the window without any event

  // Shows the window modally with no owner and dispatches its events on the
  // calling thread until the window is hidden. The first display raises
  // OnResize before the window appears.
  virtual void ShowModal() = 0;
  virtual void Hide() = 0;
  virtual bool Visible() const = 0;

  virtual void SetCaption(const Text& title) = 0;
  virtual float Top() const = 0;
  virtual float Width() const = 0;
  virtual float Height() const = 0;
  virtual void SetTop(float twips) = 0;
  virtual void SetWidth(float twips) = 0;   // raises OnResize when the size changes
  virtual void SetHeight(float twips) = 0;  // raises OnResize when the size changes
  virtual void SetBackColor(int32_t color) = 0;

  // Any control.
  virtual float Left(ControlId c) const = 0;
  virtual float Top(ControlId c) const = 0;
  virtual float Width(ControlId c) const = 0;
  virtual float Height(ControlId c) const = 0;
  virtual void SetLeft(ControlId c, float twips) = 0;
  virtual void SetTop(ControlId c, float twips) = 0;
  virtual void SetWidth(ControlId c, float twips) = 0;
  virtual void SetHeight(ControlId c, float twips) = 0;
  // The control's own visibility setting (not whether it is on screen).
  virtual bool Visible(ControlId c) const = 0;
  virtual void SetVisible(ControlId c, bool visible) = 0;
  virtual void SetBackColor(ControlId c, int32_t color) = 0;
  virtual void SetForeColor(ControlId c, int32_t color) = 0;
  // The background colour the control is drawn in (see ShownColor).
  virtual int32_t ShownBackColor(ControlId c) const = 0;

  // Frames (drawn heading), labels (measure themselves: width of the longest
  // line, height of all lines, no word wrap) and buttons; InvalidCall for
  // any other control. A caption, like the window's title, ends at its first
  // NUL.
  virtual void SetCaption(ControlId c, const Text& caption) = 0;

  // Fonts, on any control; a size outside (0, 2048] points is refused (380).
  virtual float FontSize(ControlId c) const = 0;
  virtual bool FontBold(ControlId c) const = 0;
  virtual void SetFontSize(ControlId c, float points) = 0;
  virtual void SetFontBold(ControlId c, bool bold) = 0;

  // Text boxes (T1, T1M, T2); InvalidCall for any other control. Texts keep
  // every character up to the first NUL, line breaks and characters outside
  // any code page included. The selection counts characters: a negative
  // start or length is refused (380), one beyond the text ends at its end.
  virtual Text GetText(ControlId c) const = 0;
  virtual void SetText(ControlId c, const Text& text) = 0;
  virtual int32_t SelStart(ControlId c) const = 0;
  virtual int32_t SelLength(ControlId c) const = 0;
  virtual void SetSelStart(ControlId c, int32_t start) = 0;    // keeps no selection length
  virtual void SetSelLength(ControlId c, int32_t length) = 0;  // from the current start

  // The list box (lbox): entries in the order appended, each up to its first
  // NUL as a text box's text is. Positions are 0-based; -1 means no
  // selection. A position with no entry is refused (InvalidCall). Appending
  // to a full list (kMaxListEntries) raises OutOfMemory and appends nothing
  // more; the entries before stay.
  virtual void AddItem(const Text& entry) = 0;
  // Appends the entries first to last, without repainting per entry.
  virtual void AddItems(std::span<const Text> entries) = 0;
  virtual void ClearList() = 0;
  virtual int16_t ListCount() const = 0;
  virtual Text ListEntry(int16_t index) const = 0;
  virtual int16_t ListIndex() const = 0;
  virtual void RemoveItem(int16_t index) = 0;

  // The image control (im1). LoadPicture reads a BMP, JPG, ICO or GIF file,
  // whatever its name; the empty path removes the picture. A missing file
  // raises FileNotFound (53), one that cannot be read PathFileAccess (75),
  // one that holds no readable picture InvalidPicture (481); on any error
  // the previous picture stays.
  virtual void LoadPicture(const Text& path) = 0;
  virtual bool HasPicture() const = 0;
  virtual void RefreshPicture() = 0;
};

class Toolkit {
 public:
  virtual ~Toolkit() = default;
  virtual std::unique_ptr<FormWindow> CreateForm(FormEventSink& sink) = 0;
  virtual float ScreenHeight() const = 0;  // twips
  virtual float TwipsPerPixelX() const = 0;
  virtual float TwipsPerPixelY() const = 0;
  // Whether the system's high-contrast mode is on, so that its colours
  // replace the script's.
  virtual bool HighContrast() const = 0;
  // Processes the pending window events of this thread once and returns.
  virtual void PumpEvents() = 0;
};

}  // namespace brivet::form
