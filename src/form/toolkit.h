// The window toolkit the dialog logic runs on. Backends (Win32, headless)
// implement these interfaces; no platform type appears here.
//
// Units: positions and sizes are single-precision twips. The form's Top,
// Width and Height are those of its outer frame; a control's Left and Top
// are relative to its container. Colours are 0x00BBGGRR values.
// Every failing operation throws brivet::Error.
#pragma once

#include <cstdint>
#include <memory>

#include "core/variant.h"
#include "form/controls.h"

namespace brivet::form {

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

  // Frames (drawn heading), labels (measure themselves: width of the longest
  // line, height of all lines, no word wrap) and buttons.
  virtual void SetCaption(ControlId c, const Text& caption) = 0;

  // Text boxes.
  virtual Text GetText(ControlId c) const = 0;
  virtual void SetText(ControlId c, const Text& text) = 0;
  virtual void SetFontSize(ControlId c, float points) = 0;
  virtual void SetFontBold(ControlId c, bool bold) = 0;
  virtual void SetSelStart(ControlId c, int32_t start) = 0;    // throws when refused
  virtual void SetSelLength(ControlId c, int32_t length) = 0;  // throws when refused

  // The list box (lbox). Positions are 0-based; -1 means no selection.
  virtual void AddItem(const Text& entry) = 0;
  virtual void ClearList() = 0;
  virtual int16_t ListCount() const = 0;
  virtual Text ListEntry(int16_t index) const = 0;
  virtual int16_t ListIndex() const = 0;
  virtual void RemoveItem(int16_t index) = 0;

  // The image control (im1): loads a BMP, JPG, ICO or GIF file, throws for a
  // file that is no readable picture (the previous picture stays).
  virtual void LoadPicture(const Text& path) = 0;
  virtual void RefreshPicture() = 0;
};

class Toolkit {
 public:
  virtual ~Toolkit() = default;
  virtual std::unique_ptr<FormWindow> CreateForm(FormEventSink& sink) = 0;
  virtual float ScreenHeight() const = 0;  // twips
  virtual float TwipsPerPixelX() const = 0;
  virtual float TwipsPerPixelY() const = 0;
  // Processes the pending window events of this thread once and returns.
  virtual void PumpEvents() = 0;
};

}  // namespace brivet::form
