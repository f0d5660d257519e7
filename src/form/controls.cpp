#include "form/controls.h"

namespace brivet::form {

namespace {
using K = ControlKind;
using C = ControlId;
constexpr ControlId kForm = kNoContainer;

// clang-format off
constexpr std::array<ControlTemplate, kControlCount> kTemplate = {{
  {C::frlist, "frlist", K::Frame,            kForm,    120,  900, 5235, 1515, 13, false, -1},
  {C::lbox,   "lbox",   K::ListBox,          C::frlist,  0,    0, 5235, 1425, 14, true,  -1},
  {C::frbut3, "frbut3", K::Frame,            kForm,   3660, 2460, 1695,  615, 11, false, -1},
  {C::but2,   "but(2)", K::Button,           C::frbut3, 360,  180, 1035,  315, 12, true,   2},
  {C::frbut2, "frbut2", K::Frame,            kForm,   1920, 2460, 1695,  615,  9, false, -1},
  {C::but1,   "but(1)", K::Button,           C::frbut2, 360,  180, 1035,  315, 10, true,   1},
  {C::frbut1, "frbut1", K::Frame,            kForm,    180, 2460, 1695,  615,  7, false, -1},
  {C::but0,   "but(0)", K::Button,           C::frbut1, 360,  180, 1035,  315,  8, true,   0},
  {C::FrLab,  "FrLab",  K::Frame,            kForm,   1020,   60, 4335,  735,  6, false, -1},
  {C::Lab1,   "Lab1",   K::Label,            C::FrLab,   60,   60,   45,  195, 15, true,  -1},
  {C::FT2,    "FT2",    K::Frame,            kForm,    120, 1680, 5235,  555,  5, false, -1},
  {C::T2,     "T2",     K::TextBox,          C::FT2,     60,  240, 5115,  285,  3, true,  -1},
  {C::FT1,    "FT1",    K::Frame,            kForm,    120, 1020, 5235,  555,  4, false, -1},
  {C::T1M,    "T1M",    K::MultiLineTextBox, C::FT1,     60,  240, 5115,  285,  1, false, -1},
  {C::T1,     "T1",     K::TextBox,          C::FT1,     60,  240, 5115,  285,  0, true,  -1},
  {C::FrIm,   "FrIm",   K::Frame,            kForm,    120,  120,  720,  720,  2, false, -1},
  {C::im1,    "im1",    K::Image,            C::FrIm,     0,    0,  675,  675, -1, true,  -1},
}};
// clang-format on
}  // namespace

const std::array<ControlTemplate, kControlCount>& Template() { return kTemplate; }

const ControlTemplate& TemplateOf(ControlId id) { return kTemplate[static_cast<size_t>(id)]; }

ControlId ButtonOf(int index) {
  static constexpr ControlId kButtons[] = {C::but0, C::but1, C::but2};
  return kButtons[index];
}

ControlId ButtonFrameOf(int index) {
  static constexpr ControlId kFrames[] = {C::frbut1, C::frbut2, C::frbut3};
  return kFrames[index];
}

}  // namespace brivet::form
