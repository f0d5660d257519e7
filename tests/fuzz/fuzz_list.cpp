// The list through the dialog's members on the headless toolkit: a text
// loaded and read back is the same text, entries appended keep their place,
// and removing the selected entry removes that entry only.
#include "fuzz_input.h"
#include "toolkit_headless.h"
#include "window/window.h"

namespace brivet::fuzz {
namespace {

Text Joined(window::Window& w) { return ToText(w.GetList()); }

}  // namespace
}  // namespace brivet::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace brivet;
  static headless::HeadlessToolkit& toolkit = headless::InstallHeadlessPlatform();
  (void)toolkit;
  static window::Window w;
  fuzz::Input in(data, size);
  const uint8_t split = in.Take<uint8_t>();
  Text text = in.Units();
  // The last few units become one appended entry.
  const size_t tail = text.empty() ? 0 : split % (text.size() + 1);
  Variant entry = Variant::Str(text.substr(text.size() - tail));
  text.resize(text.size() - tail);

  w.ClearList();
  Variant loaded = Variant::Str(text);
  w.LoadList(loaded);
  if (fuzz::Joined(w) != text) fuzz::Broken("a loaded text reads back differently");
  w.AddToList(entry);
  const Text expected = text + u"," + entry.text();
  if (fuzz::Joined(w) != expected) fuzz::Broken("an appended entry is not last");
  // Nothing is selected, so removing answers the empty text and keeps all.
  if (ToText(w.RemoveSelListItem()) != Text() || fuzz::Joined(w) != expected)
    fuzz::Broken("removing without a selection changed the list");
  return 0;
}
