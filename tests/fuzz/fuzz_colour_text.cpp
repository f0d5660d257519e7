// Colour texts: exactly six hexadecimal digits are a colour, nothing else is,
// and a colour's text reads back as the same colour.
#include "fuzz_input.h"
#include "services/mod_open_save.h"
#include "window/mod_msgbox.h"

namespace brivet::fuzz {
namespace {

bool IsHexDigit(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool IsColourText(const Text& text) {
  if (text.size() != 6) return false;
  for (char16_t c : text)
    if (!IsHexDigit(c)) return false;
  return true;
}

char16_t Upper(char16_t c) { return c >= u'a' && c <= u'f' ? static_cast<char16_t>(c - 32) : c; }

}  // namespace
}  // namespace brivet::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace brivet;
  fuzz::Input in(data, size);
  const int32_t value = in.Take<int32_t>();
  const Text hex = services::ColorToHex(value);
  if ((value >= 0 && value <= 0xFFFFFF) != !hex.empty()) fuzz::Broken("a value's text, or its absence, is wrong");
  if (!hex.empty() && window::HexToColor(hex) != value) fuzz::Broken("a colour's text reads back as another colour");

  const Text text = in.Units();
  const int32_t colour = window::HexToColor(text);
  if (!fuzz::IsColourText(text)) {
    if (colour != -1) fuzz::Broken("a text that is no colour text gave a colour");
    return 0;
  }
  if (colour < 0 || colour > 0xFFFFFF) fuzz::Broken("a colour text gave a value that is no colour");
  Text upper = text;
  for (char16_t& c : upper) c = fuzz::Upper(c);
  if (services::ColorToHex(colour) != upper) fuzz::Broken("a colour text does not come back from its colour");
  return 0;
}
