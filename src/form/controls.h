// The controls of the dialog form and its design-time template.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace brivet::form {

// Every control of the form, in the order the template declares them
// (children directly after their frame).
enum class ControlId : uint8_t {
  frlist,
  lbox,
  frbut3,
  but2,
  frbut2,
  but1,
  frbut1,
  but0,
  FrLab,
  Lab1,
  FT2,
  T2,
  FT1,
  T1M,
  T1,
  FrIm,
  im1,
};
inline constexpr int kControlCount = 17;
inline constexpr ControlId kNoContainer = static_cast<ControlId>(0xFF);  // the form itself

enum class ControlKind : uint8_t { Frame, ListBox, Button, Label, TextBox, MultiLineTextBox, Image };

struct ControlTemplate {
  ControlId id;
  const char* name;
  ControlKind kind;
  ControlId container;  // kNoContainer: the form's client area
  int left, top, width, height;  // twips, relative to the container
  int tab_index;                 // -1: takes no focus
  bool visible;                  // state at load
  int button_index;              // element of the button array, -1 otherwise
};

// The design-time template of the form, in declaration order.
const std::array<ControlTemplate, kControlCount>& Template();
const ControlTemplate& TemplateOf(ControlId id);

// Design-time geometry of the form itself (twips).
inline constexpr int kClientWidth = 5475;
inline constexpr int kClientHeight = 3090;
inline constexpr int kBorderSide = 45;   // left, right and bottom border
inline constexpr int kBorderTop = 330;   // title bar and top border
inline constexpr int kWindowWidth = kClientWidth + 2 * kBorderSide;  // 5565
inline constexpr int kWindowHeight = kClientHeight + kBorderTop + kBorderSide;
inline constexpr const char16_t* kDesignCaption = u"Form1";

// Button array element i lives in frame frbut(i + 1).
ControlId ButtonOf(int index);
ControlId ButtonFrameOf(int index);

inline constexpr int32_t kNoColor = -1;

}  // namespace brivet::form
