#include "services/mod_open_save.h"

#include "core/text.h"
#include "core/traps.h"

namespace brivet::services {

namespace {

Choosers::FileRequest FileRequestTitled(const char* title, std::optional<Text> default_extension) {
  Choosers::FileRequest request;
  request.title = T(title);
  request.filter_name = u"All Files";
  request.filter_pattern = u"*.*";
  request.default_extension = std::move(default_extension);
  request.max_path = static_cast<int>(kMaxChosenPath) + 1;
  return request;
}

// A path handed back by a platform chooser, as the script gets it: up to its
// first NUL, and nothing at all when it is longer than a chooser may return.
Text Delivered(const std::optional<Text>& path) {
  if (!path) return Text();
  const Text text(UpToNul(*path));
  return text.size() <= kMaxChosenPath ? text : Text();
}

// Runs one chooser; any error is the empty text.
template <typename Show>
Text Chosen(Show&& show) {
  return Trapped(Text(), [&] { return Delivered(show()); });
}

}  // namespace

Text ShowOpenDialog(Choosers& choosers) {
  const Choosers::FileRequest request = FileRequestTitled("Open File", std::nullopt);
  return Chosen([&] { return choosers.OpenFile(request); });
}

Text ShowSaveDialog(Choosers& choosers) {
  const Choosers::FileRequest request = FileRequestTitled("Save As", Text(u"txt"));
  return Chosen([&] { return choosers.SaveFile(request); });
}

Text BrowseFolder(Choosers& choosers, const std::optional<Text>& title) {
  return Chosen([&] { return choosers.BrowseFolder(title); });
}

int32_t ShowColorDialog(Choosers& choosers) {
  return Trapped(int32_t{-1}, [&] {
    const std::optional<int32_t> color = choosers.PickColor();
    return color && *color >= 0 && *color <= 0xFFFFFF ? *color : -1;
  });
}

Text ColorToHex(int32_t color) {
  if (color < 0 || color > 0xFFFFFF) return Text();
  static constexpr char kDigits[] = "0123456789ABCDEF";
  Text hex;
  for (int shift : {0, 8, 16}) {  // red, green, blue
    const int component = (color >> shift) & 0xFF;
    hex += static_cast<char16_t>(kDigits[component >> 4]);
    hex += static_cast<char16_t>(kDigits[component & 0xF]);
  }
  return hex;
}

}  // namespace brivet::services
