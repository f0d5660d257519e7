// The two text-box sections: which boxes show, their headings, preset
// texts, fonts and the preselected range of the multi-line box.
#include "core/checked.h"
#include "core/traps.h"
#include "window/dialog_state.h"
#include "window/window.h"

namespace brivet::window {

using form::ControlId;

namespace {

constexpr int32_t kSectionHeight = 555;     // one single-line section, twips
constexpr int32_t kSingleBoxHeight = 285;
constexpr int32_t kPlainFormWidth = 5565;
constexpr int16_t kDefaultBoxWidth = 335;   // pixels
constexpr int16_t kDefaultBoxHeight = 90;   // pixels

constexpr ControlId kTextBoxes[] = {ControlId::T1, ControlId::T1M, ControlId::T2};

}  // namespace

void Window::ShowTextBox(Variant& bmulti, Variant& vw, Variant& vh, Variant& inum) {
  const bool multi = ToBool(bmulti);
  DialogState& state = ThreadState();
  form::FormWindow& ui = ThreadUi();
  state.MultiLine = multi;
  const int16_t n = ToInt16(inum);
  if (n == 0) {
    ui.SetVisible(ControlId::FT1, false);
    ui.SetVisible(ControlId::FT2, false);
    state.TextBoxCount = 0;
    state.FormWidth = kPlainFormWidth;
    return;
  }
  // Any count but 1 shows both sections.
  const bool two = n != 1;
  ui.SetVisible(ControlId::FT1, true);
  ui.SetVisible(ControlId::FT2, two);
  state.TextBoxCount = two ? 2 : 1;

  if (!multi) {
    ui.SetVisible(ControlId::T1, true);
    ui.SetVisible(ControlId::T1M, false);
    ui.SetHeight(ControlId::FT1, kSectionHeight);
    ui.SetHeight(ControlId::T1, kSingleBoxHeight);
    state.FormHeight = CheckedAdd(state.FormHeight, two ? 2 * kSectionHeight : kSectionHeight);
    state.FormWidth = kPlainFormWidth;
    return;
  }

  ui.SetVisible(ControlId::T1M, true);
  ui.SetVisible(ControlId::T1, false);
  // The defaults go back into the caller's variables.
  if (vw.IsMissing() || (two && ToInt32(vw) < kDefaultBoxWidth)) vw = Variant::I2(kDefaultBoxWidth);
  if (vh.IsMissing()) vh = Variant::I2(kDefaultBoxHeight);
  const int32_t width_px = ToInt32(vw);
  const int32_t height_px = ToInt32(vh);
  state.TextBoxWidth = CheckedMul(state.TwipsPerPixelX, width_px);
  state.TextBoxHeight = CheckedMul(state.TwipsPerPixelY, height_px);
  const int32_t frame_width = CheckedAdd(state.TextBoxWidth, 240);
  const int32_t frame_height = CheckedAdd(state.TextBoxHeight, 270);
  ui.SetWidth(ControlId::FT1, static_cast<float>(frame_width));
  ui.SetHeight(ControlId::FT1, static_cast<float>(frame_height));
  ui.SetWidth(ControlId::T1M, static_cast<float>(state.TextBoxWidth));
  ui.SetHeight(ControlId::T1M, static_cast<float>(state.TextBoxHeight));
  state.FormHeight = RoundToInt32(double(ui.Height(ControlId::FT1)) + state.FormHeight +
                                  (two ? kSectionHeight : 0));
  state.FormWidth = CheckedAdd(state.TextBoxWidth, 480);
}

void Window::Text1Caption(Variant& v1cap) {
  const Text caption = ToText(v1cap);
  ThreadUi().SetCaption(ControlId::FT1, caption);
}

void Window::Text2Caption(Variant& v2cap) {
  const Text caption = ToText(v2cap);
  ThreadUi().SetCaption(ControlId::FT2, caption);
}

// Presets the box that is the first one now: ShowTextBox comes first for a
// multi-line box to receive the text.
void Window::Text1Text(Variant& v1stext) {
  const Text text = ToText(v1stext);
  form::FormWindow& ui = ThreadUi();
  ui.SetText(ThreadState().MultiLine ? ControlId::T1M : ControlId::T1, text);
}

void Window::Text2Text(Variant& v2stext) {
  const Text text = ToText(v2stext);
  ThreadUi().SetText(ControlId::T2, text);
}

void Window::TextFontLarge(Variant& vsiz) {
  const float points = ToBool(vsiz) ? 10.0f : 8.0f;
  form::FormWindow& ui = ThreadUi();
  for (ControlId box : kTextBoxes) ui.SetFontSize(box, points);
}

void Window::TextFontBold(Variant& vbold) {
  const bool bold = ToBool(vbold);
  form::FormWindow& ui = ThreadUi();
  for (ControlId box : kTextBoxes) ui.SetFontBold(box, bold);
}

// Selects in the multi-line box from character vst (counted from 1) for vl
// characters, when the range lies within its text; never raises anything.
void Window::Text1Select(Variant& vst, Variant& vl) {
  Skippable([&] {
    const int32_t start = CheckedSub(ToInt32(vst), 1);
    const int32_t length = ToInt32(vl);
    form::FormWindow& ui = ThreadUi();
    const auto text_length = static_cast<int32_t>(ui.GetText(ControlId::T1M).size());
    if (start < 0 || CheckedAdd(start, length) > text_length) return;
    ui.SetSelStart(ControlId::T1M, start);
    ui.SetSelLength(ControlId::T1M, length);
  });
}

}  // namespace brivet::window
