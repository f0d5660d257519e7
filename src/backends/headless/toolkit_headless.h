// Headless window toolkit: forms and controls held in memory, for the native
// build. A modal display plays a queue of user actions that a test prepares
// and fails, never hangs, when the queue runs dry with the form on screen.
#pragma once

#include <array>
#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/error.h"
#include "form/list_entries.h"
#include "form/toolkit.h"

namespace brivet::headless {

// What a simulated user does while a form is shown.
struct UserAction {
  enum class Kind { PressButton, CloseBox, Type, SelectEntry, Inspect };
  Kind kind;
  int index = 0;  // button index or list position
  form::ControlId control = form::ControlId::T1;
  Text text;
  std::function<void()> inspect;  // Kind::Inspect: runs while the form is on screen

  static UserAction Press(int button) { return {Kind::PressButton, button, form::ControlId::T1, {}, {}}; }
  static UserAction Close() { return {Kind::CloseBox, 0, form::ControlId::T1, {}, {}}; }
  static UserAction TypeInto(form::ControlId c, Text t) {
    return {Kind::Type, 0, c, std::move(t), {}};
  }
  static UserAction Select(int position) {
    return {Kind::SelectEntry, position, form::ControlId::T1, {}, {}};
  }
  static UserAction While(std::function<void()> f) {
    return {Kind::Inspect, 0, form::ControlId::T1, {}, std::move(f)};
  }
};

// Raised when a modal display has no action left while its form is on screen.
class QueueRanDry : public std::logic_error {
 public:
  QueueRanDry() : std::logic_error("the form is on screen and no user action is queued") {}
};

struct ControlState {
  float left = 0, top = 0, width = 0, height = 0;
  bool visible = true;
  int32_t back_color = -1;  // -1: the default colour
  int32_t fore_color = -1;
  Text caption;
  Text text;
  float font_size = 8;
  bool font_bold = false;
  int32_t sel_start = 0, sel_length = 0;
};

class HeadlessForm;

class HeadlessToolkit final : public form::Toolkit {
 public:
  // Metrics of the simulated screen and of the label font.
  static constexpr float kTwipsPerPixel = 15;
  static constexpr float kScreenHeight = 768 * kTwipsPerPixel;
  static constexpr float kCharWidth = 90;    // twips per character of a label
  static constexpr float kLineHeight = 195;  // twips per line of a label

  std::unique_ptr<form::FormWindow> CreateForm(form::FormEventSink& sink) override;
  float ScreenHeight() const override { return kScreenHeight; }
  float TwipsPerPixelX() const override { return kTwipsPerPixel; }
  float TwipsPerPixelY() const override { return kTwipsPerPixel; }
  void PumpEvents() override { ++pumps; }
  bool HighContrast() const override { return high_contrast; }

  std::deque<UserAction> actions;  // played by the next modal displays
  int pumps = 0;
  int forms_created = 0;
  bool high_contrast = false;  // the simulated system's mode
  // The live forms, newest last.
  std::vector<HeadlessForm*> forms;
};

class HeadlessForm final : public form::FormWindow {
 public:
  HeadlessForm(HeadlessToolkit& toolkit, form::FormEventSink& sink);
  ~HeadlessForm() override;

  void ShowModal() override;
  void Hide() override {
    if (fail_hide) throw Error::Toolkit("hiding refused");
    visible_ = false;
  }
  bool Visible() const override { return visible_; }
  void SetCaption(const Text& title) override;
  float Top() const override { return top_; }
  float Width() const override { return width_; }
  float Height() const override { return height_; }
  void SetTop(float twips) override;
  void SetWidth(float twips) override;
  void SetHeight(float twips) override;
  void SetBackColor(int32_t color) override { back_color_ = color; }

  float Left(form::ControlId c) const override { return at(c).left; }
  float Top(form::ControlId c) const override { return at(c).top; }
  float Width(form::ControlId c) const override { return at(c).width; }
  float Height(form::ControlId c) const override { return at(c).height; }
  void SetLeft(form::ControlId c, float twips) override;
  void SetTop(form::ControlId c, float twips) override;
  void SetWidth(form::ControlId c, float twips) override;
  void SetHeight(form::ControlId c, float twips) override;
  bool Visible(form::ControlId c) const override { return at(c).visible; }
  void SetVisible(form::ControlId c, bool visible) override { at(c).visible = visible; }
  void SetBackColor(form::ControlId c, int32_t color) override { at(c).back_color = color; }
  int32_t ShownBackColor(form::ControlId c) const override;
  void SetForeColor(form::ControlId c, int32_t color) override { at(c).fore_color = color; }
  void SetCaption(form::ControlId c, const Text& caption) override;
  float FontSize(form::ControlId c) const override { return at(c).font_size; }
  bool FontBold(form::ControlId c) const override { return at(c).font_bold; }
  void SetFontSize(form::ControlId c, float points) override {
    at(c).font_size = form::CheckedFontSize(points);
  }
  void SetFontBold(form::ControlId c, bool bold) override { at(c).font_bold = bold; }
  Text GetText(form::ControlId c) const override { return box(c).text; }
  void SetText(form::ControlId c, const Text& text) override;
  int32_t SelStart(form::ControlId c) const override { return box(c).sel_start; }
  int32_t SelLength(form::ControlId c) const override { return box(c).sel_length; }
  void SetSelStart(form::ControlId c, int32_t start) override;
  void SetSelLength(form::ControlId c, int32_t length) override;
  void AddItem(const Text& entry) override;
  void AddItems(std::span<const Text> entries) override;
  void ClearList() override;
  int16_t ListCount() const override { return entries_.Count(); }
  Text ListEntry(int16_t index) const override;
  int16_t ListIndex() const override { return list_index_; }
  void RemoveItem(int16_t index) override;
  void LoadPicture(const Text& path) override;
  bool HasPicture() const override { return !picture.empty(); }
  void RefreshPicture() override { ++picture_refreshes; }

  // Inspection for tests.
  const ControlState& control(form::ControlId c) const { return at(c); }
  const Text& title() const { return title_; }
  int32_t back_color() const { return back_color_; }
  const std::vector<Text>& entries() const { return entries_.all(); }
  void SelectEntry(int16_t index) { list_index_ = index; }
  // Whether the control is on screen: its own setting and its container's.
  bool Shown(form::ControlId c) const;

  bool fail_hide = false;  // makes Hide fail, for the error paths
  int resize_events = 0;
  int shows = 0;
  int picture_refreshes = 0;
  int list_batches = 0;  // AddItems calls
  Text picture;  // path of the picture shown, empty for none

 private:
  ControlState& at(form::ControlId c) { return controls_[static_cast<size_t>(c)]; }
  const ControlState& at(form::ControlId c) const { return controls_[static_cast<size_t>(c)]; }
  // A text box's state; InvalidCall for any other control.
  ControlState& box(form::ControlId c);
  const ControlState& box(form::ControlId c) const;
  void Resized();
  void Play(const UserAction& action);

  HeadlessToolkit& toolkit_;
  form::FormEventSink& sink_;
  std::array<ControlState, form::kControlCount> controls_;
  form::ListEntries entries_;
  int16_t list_index_ = -1;
  bool visible_ = false;
  Text title_ = form::kDesignCaption;
  float top_ = 0;
  float width_ = form::kWindowWidth;
  float height_ = form::kWindowHeight;
  int32_t back_color_ = -1;
  bool shown_before_ = false;
};

// Installs the headless toolkit, file system and services as the platform.
HeadlessToolkit& InstallHeadlessPlatform();

}  // namespace brivet::headless
