#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

#include <vector>

#include "handles.h"
#include "services_win32.h"

namespace brivet::win32 {

namespace {

struct ItemIdListTraits {
  using Handle = PIDLIST_ABSOLUTE;
  static Handle Empty() noexcept { return nullptr; }
  static void Close(Handle h) noexcept { CoTaskMemFree(h); }
};
using UniqueItemIdList = Unique<ItemIdListTraits>;

// "All Files", NUL, "*.*", NUL and the NUL that ends the list.
Text FilterText(const services::Choosers::FileRequest& request) {
  Text filter = request.filter_name;
  filter += u'\0';
  filter += request.filter_pattern;
  filter += u'\0';
  filter += u'\0';
  return filter;
}

Text UpToNul(const wchar_t* buffer, size_t capacity) {
  size_t length = 0;
  while (length < capacity && buffer[length] != L'\0') ++length;
  return FromWide(buffer, length);
}

using FileChooser = BOOL(WINAPI*)(LPOPENFILENAMEW);
using FolderChooser = PIDLIST_ABSOLUTE(WINAPI*)(LPBROWSEINFOW);
using PathOfItem = BOOL(WINAPI*)(PCIDLIST_ABSOLUTE, LPWSTR);
using ColorChooser = BOOL(WINAPI*)(LPCHOOSECOLORW);

std::optional<Text> ShowFileChooser(FileChooser chooser, const services::Choosers::FileRequest& request) {
  const Text filter = FilterText(request);
  const size_t capacity = static_cast<size_t>(request.max_path);
  std::vector<wchar_t> buffer(capacity + 1, L'\0');
  OPENFILENAMEW ofn{};
  // The record without the fields added for the places bar.
  ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
  ofn.hwndOwner = nullptr;
  ofn.lpstrFilter = Wide(filter);
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(capacity);
  ofn.lpstrTitle = Wide(request.title);
  ofn.Flags = 0;
  ofn.lpstrDefExt = request.default_extension ? Wide(*request.default_extension) : nullptr;
  if (!chooser(&ofn)) return std::nullopt;
  return UpToNul(buffer.data(), capacity);
}

}  // namespace

std::optional<Text> Win32Choosers::OpenFile(const FileRequest& request) {
  return ShowFileChooser(comdlg32_.Bind<FileChooser>("GetOpenFileNameW"), request);
}

std::optional<Text> Win32Choosers::SaveFile(const FileRequest& request) {
  return ShowFileChooser(comdlg32_.Bind<FileChooser>("GetSaveFileNameW"), request);
}

std::optional<Text> Win32Choosers::BrowseFolder(const std::optional<Text>& title) {
  const auto browse = shell32_.Bind<FolderChooser>("SHBrowseForFolderW");
  const auto path_of = shell32_.Bind<PathOfItem>("SHGetPathFromIDListW");
  ComScope com;
  BROWSEINFOW info{};
  info.hwndOwner = nullptr;
  info.pidlRoot = nullptr;
  info.pszDisplayName = nullptr;
  info.lpszTitle = title ? Wide(*title) : nullptr;
  info.ulFlags = 0;
  const UniqueItemIdList item(browse(&info));
  if (!item) return std::nullopt;
  // The path function writes up to a full path; the buffer takes it all.
  std::vector<wchar_t> path(MAX_PATH + 1, L'\0');
  if (!path_of(item.get(), path.data())) return std::nullopt;
  return UpToNul(path.data(), MAX_PATH);
}

std::optional<int32_t> Win32Choosers::PickColor() {
  const auto choose = comdlg32_.Bind<ColorChooser>("ChooseColorW");
  COLORREF custom[16];
  for (COLORREF& c : custom) c = RGB(255, 255, 255);
  CHOOSECOLORW request{};
  request.lStructSize = sizeof(request);
  request.hwndOwner = nullptr;
  request.rgbResult = 0;
  request.lpCustColors = custom;
  request.Flags = CC_FULLOPEN;
  if (!choose(&request)) return std::nullopt;
  return static_cast<int32_t>(request.rgbResult & 0xFFFFFF);
}

}  // namespace brivet::win32
