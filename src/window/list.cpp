// The list section: filled from and read back as comma-separated texts.
#include <vector>

#include "core/checked.h"
#include "core/traps.h"
#include "window/dialog_state.h"
#include "window/window.h"

namespace brivet::window {

using form::ControlId;

namespace {

constexpr int32_t kListSectionHeight = 1635;  // twips
constexpr char16_t kSeparator = u',';
// A text splits into at most this many pieces: the piece counter is 16-bit.
constexpr size_t kMaxPieces = 32768;

}  // namespace

void Window::ShowList() {
  DialogState& state = ThreadState();
  ThreadUi().SetVisible(ControlId::frlist, true);
  state.FormHeight = CheckedAdd(state.FormHeight, kListSectionHeight);
}

void Window::ClearList() { ThreadUi().ClearList(); }

// Appends the pieces between commas, empty ones and blanks included; a text
// of too many pieces appends nothing. Never raises anything.
void Window::LoadList(Variant& vlist) {
  Skippable([&] {
    const Text text = ToText(vlist);
    size_t commas = 0;
    for (char16_t c : text) commas += c == kSeparator;
    if (commas + 1 > kMaxPieces) throw Error::Overflow();
    std::vector<Text> pieces;
    pieces.reserve(commas + 1);
    size_t begin = 0;
    for (size_t comma; (comma = text.find(kSeparator, begin)) != Text::npos; begin = comma + 1)
      pieces.push_back(text.substr(begin, comma - begin));
    pieces.push_back(text.substr(begin));
    ThreadUi().AddItems(pieces);
  });
}

void Window::AddToList(Variant& vitem) {
  Skippable([&] {
    const Text entry = ToText(vitem);
    ThreadUi().AddItem(entry);
  });
}

Variant Window::GetList() {
  return Trapped(Variant::Str(Text()), [] {
    const form::FormWindow& ui = ThreadUi();
    const int16_t count = ui.ListCount();
    Text joined;
    for (int16_t i = 0; i < count; ++i) {
      if (i > 0) joined += kSeparator;
      joined += ui.ListEntry(i);
    }
    return Variant::Str(std::move(joined));
  });
}

// Answers the removed entry, the empty text without a selection, and the
// empty value when anything fails.
Variant Window::RemoveSelListItem() {
  return Trapped(Variant(), [] {
    form::FormWindow& ui = ThreadUi();
    const int16_t selected = ui.ListIndex();
    if (selected == -1) return Variant::Str(Text());
    Text entry = ui.ListEntry(selected);
    ui.RemoveItem(selected);
    return Variant::Str(std::move(entry));
  });
}

}  // namespace brivet::window
