// The list through the dialog's members on the headless toolkit: a text
// loaded and read back is the same text (each entry up to its first NUL),
// entries appended keep their place, and removing the selected entry removes
// that entry only.
#include "core/text.h"
#include "fuzz_input.h"
#include "toolkit_headless.h"
#include "window/window.h"

namespace brivet::fuzz {
namespace {

Text Joined(window::Window& w) { return ToText(w.GetList()); }

// What the list keeps of an entry: the text before its first NUL.
Text Kept(const Text& entry) { return Text(UpToNul(entry)); }

// A loaded text as it reads back: each comma-separated piece as kept.
Text KeptList(const Text& text) {
  Text out;
  for (size_t start = 0;;) {
    const size_t comma = text.find(u',', start);
    out += Kept(text.substr(start, comma - start));
    if (comma == Text::npos) return out;
    out += u',';
    start = comma + 1;
  }
}

}  // namespace
}  // namespace brivet::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace brivet;
  static headless::HeadlessToolkit& toolkit = headless::InstallHeadlessPlatform();
  (void)toolkit;
  // Never destroyed: the thread's dialog state goes with the main thread's
  // end, before static objects are destroyed.
  static window::Window& w = *new window::Window;
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
  const Text kept = fuzz::KeptList(text);
  if (fuzz::Joined(w) != kept) fuzz::Broken("a loaded text reads back differently");
  w.AddToList(entry);
  const Text expected = kept + u"," + fuzz::Kept(entry.text());
  if (fuzz::Joined(w) != expected) fuzz::Broken("an appended entry is not last");
  // Nothing is selected, so removing answers the empty text and keeps all.
  if (ToText(w.RemoveSelListItem()) != Text() || fuzz::Joined(w) != expected)
    fuzz::Broken("removing without a selection changed the list");
  return 0;
}
