// One form as a user32 top-level window with the template's child controls.
#pragma once

#include <windows.h>
#include <olectl.h>
// Notification structures only: nothing of comctl32 is imported.
#include <commctrl.h>

#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "form/list_entries.h"
#include "form/toolkit.h"
#include "accessible_win32.h"
#include "handles.h"
#include "system_look.h"
#include "window_classes.h"

namespace brivet::win32 {

// Resolution twips are converted with: the screen's, then each window's own.
struct Metrics {
  int dpi_x = 96;
  int dpi_y = 96;
  float twips_per_pixel_x = 15;
  float twips_per_pixel_y = 15;
  static Metrics At(int dpi) {
    const float tpp = 1440.0f / static_cast<float>(dpi);
    return {dpi, dpi, tpp, tpp};
  }
};

// Hands one retrieved message to its window, giving the form it belongs to
// the first look at keyboard input (Tab, Esc, Enter, access keys).
void DispatchWindowMessage(MSG& msg);

class Win32FormWindow final : public form::FormWindow {
 public:
  Win32FormWindow(std::shared_ptr<WindowClasses> classes, std::shared_ptr<VisualStyles> styles,
                  form::FormEventSink& sink);
  ~Win32FormWindow() override;

  void ShowModal() override;
  void Hide() override;
  bool Visible() const override;

  void SetCaption(const Text& title) override;
  float Top() const override;
  float Width() const override;
  float Height() const override;
  void SetTop(float twips) override;
  void SetWidth(float twips) override;
  void SetHeight(float twips) override;
  void SetBackColor(int32_t color) override;

  float Left(form::ControlId c) const override;
  float Top(form::ControlId c) const override;
  float Width(form::ControlId c) const override;
  float Height(form::ControlId c) const override;
  void SetLeft(form::ControlId c, float twips) override;
  void SetTop(form::ControlId c, float twips) override;
  void SetWidth(form::ControlId c, float twips) override;
  void SetHeight(form::ControlId c, float twips) override;
  bool Visible(form::ControlId c) const override;
  void SetVisible(form::ControlId c, bool visible) override;
  void SetBackColor(form::ControlId c, int32_t color) override;
  void SetForeColor(form::ControlId c, int32_t color) override;
  int32_t ShownBackColor(form::ControlId c) const override { return Shown(Ctl(c).back); }
  void SetCaption(form::ControlId c, const Text& caption) override;

  float FontSize(form::ControlId c) const override;
  bool FontBold(form::ControlId c) const override;
  void SetFontSize(form::ControlId c, float points) override;
  void SetFontBold(form::ControlId c, bool bold) override;
  Text GetText(form::ControlId c) const override;
  void SetText(form::ControlId c, const Text& text) override;
  int32_t SelStart(form::ControlId c) const override;
  int32_t SelLength(form::ControlId c) const override;
  void SetSelStart(form::ControlId c, int32_t start) override;
  void SetSelLength(form::ControlId c, int32_t length) override;

  void AddItem(const Text& entry) override;
  void AddItems(std::span<const Text> entries) override;
  void ClearList() override;
  int16_t ListCount() const override;
  Text ListEntry(int16_t index) const override;
  int16_t ListIndex() const override;
  void RemoveItem(int16_t index) override;

  void LoadPicture(const Text& path) override;
  bool HasPicture() const override;
  void RefreshPicture() override;

  // Window procedure bodies; `self` may be destroyed by an event handler,
  // so nothing touches the object after an event was raised.
  LRESULT FormMessage(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  LRESULT PaneMessage(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  // Keyboard handling ahead of translation; true when it consumed the message.
  bool PreTranslate(const MSG& msg);
  // What screen readers are told about one of the form's controls.
  AccessibleFacts AccessibleFactsOf(HWND hwnd) const;
  // The form a top-level window of ours belongs to, or nullptr.
  static Win32FormWindow* FromFormWindow(HWND hwnd);

 private:
  struct Control {
    form::ControlId id{};
    form::ControlKind kind{};
    HWND hwnd = nullptr;  // child window, destroyed with the form window
    // Frames: the label showing the caption, once one was set. A real label
    // before the frame's controls is what names a text box for screen readers.
    HWND heading = nullptr;
    int32_t back = form::kNoColor;
    int32_t fore = form::kNoColor;
    UniqueBrush back_brush;  // set while `back` is
    UniqueFont font;         // its own font, once size or weight was set
    float font_points = 0;
    bool font_bold = false;
  };
  // What outlives the object for code still on the stack when it goes.
  struct Life {
    bool alive = true;
    bool live = false;        // events are raised
    bool modal_end = false;   // Hide was called since ShowModal began
  };

  void CreateControls(form::ControlId container, HWND parent);
  void CreateControl(const form::ControlTemplate& t, HWND parent);

  // Raises an event of the sink while the window is live; a handler's error
  // must not cross the window procedure.
  template <typename F>
  void Raise(F&& event) {
    if (!life_->live) return;
    try {
      event(sink_);
    } catch (...) {
    }
  }
  std::optional<LRESULT> ChildNotification(UINT msg, WPARAM wparam, LPARAM lparam);
  std::optional<LRESULT> ChildColors(HDC dc, HWND child) const;
  bool KeyDown(const MSG& msg);
  void KeepListJump(HWND target) const;
  bool AccessKey(char16_t typed, bool repeat);
  void Click(HWND button);
  HWND DefaultButton() const;
  bool DrawnAsDefault(HWND button) const;
  void RedrawButtons();
  void SetHeading(Control& frame, const Text& caption);
  // Lets the control answer screen readers with its own role and name.
  void MakeAccessible(HWND control);
  void PlaceHeading(const Control& frame);
  void PaintPane(HWND hwnd, const Control& c);
  struct ButtonState {
    bool pressed, hot, focused, disabled, is_default;
  };
  void DrawButton(HDC dc, HWND button, const RECT& rect, const Control& c, ButtonState state);
  std::optional<LRESULT> ButtonCustomDraw(const NMCUSTOMDRAW& draw);
  // The colour a control is drawn in: the script's unless high contrast is on.
  int32_t Shown(int32_t color) const { return form::ShownColor(color, high_contrast_); }
  void PaintPicture(HDC dc, const RECT& client);
  void FitLabel(const Control& c);
  void ApplyFont(Control& c);
  // The message font at the window's dpi, for every control without a size
  // of its own, and the face of all of them.
  void TakeSystemFonts();
  void DpiChanged(int dpi, const RECT& suggested);

  Control& Ctl(form::ControlId c) { return controls_[static_cast<size_t>(c)]; }
  const Control& Ctl(form::ControlId c) const { return controls_[static_cast<size_t>(c)]; }
  const Control* ControlOfWindow(HWND hwnd) const;
  HWND TextBox(form::ControlId c) const;
  struct Selection {
    int32_t start, length;
  };
  Selection SelectionOf(form::ControlId c) const;
  HWND List() const { return Ctl(form::ControlId::lbox).hwnd; }
  HBRUSH BackBrush(const Control& c) const;
  HBRUSH FormBrush() const;
  HFONT FontOf(const Control& c) const;
  UniqueFont MakeFont(float points, bool bold) const;

  int PixelsX(float twips) const;
  int PixelsY(float twips) const;
  struct TwipsRect {
    float left, top, width, height;
  };
  RECT RectInParent(HWND hwnd) const;
  TwipsRect TwipsOf(HWND hwnd) const;
  void Place(HWND hwnd, const RECT& r);
  void SetFormSize(int width, int height);
  // Outer height in pixels for a height in twips, and back: the client area
  // holds the height less the layout's frame allowance, the real frame at
  // the window's dpi comes on top.
  int OuterHeightPixels(float twips) const;
  float HeightTwips(int outer_pixels) const;
  int FramePixels() const;

  bool Focusable(HWND hwnd) const;
  HWND FirstFocusable() const;
  void MoveFocus(bool backwards);

  std::shared_ptr<WindowClasses> classes_;
  std::shared_ptr<VisualStyles> styles_;
  Metrics metrics_;
  LOGFONTW message_font_{};
  bool themed_buttons_ = false;  // styled push buttons, not owner-drawn ones
  bool high_contrast_ = false;
  form::FormEventSink& sink_;
  std::shared_ptr<Life> life_ = std::make_shared<Life>();
  UniqueFont default_font_;
  UniqueBrush form_brush_;
  std::array<Control, form::kControlCount> controls_;
  std::vector<form::ControlId> tab_order_;  // the focusable controls
  ComPtr<IPicture> picture_;
  // The list box's entries as it holds them, kept beside it: reading a long
  // list back costs two messages an entry otherwise. Only this class changes
  // the list box's entries.
  form::ListEntries list_entries_;
  SIZE last_size_{};           // outer size that was last reported
  HWND saved_focus_ = nullptr;  // focus while the form was inactive
  bool shown_once_ = false;
  // Last member: destroyed first, while the state its messages use exists.
  UniqueWindow window_;
};

}  // namespace brivet::win32
