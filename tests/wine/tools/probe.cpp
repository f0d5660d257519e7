// Looks at a running form from outside for the end-to-end harness.
//   probe wait <title> <timeout-ms>   waits for a visible top-level window
//   probe rects <title>               the window and its controls
//   probe gone <title> <timeout-ms>   waits until no such window is visible
//   probe ready <title> <timeout-ms>  waits until the window is visible, in the
//                                     foreground and laid out (two successive
//                                     looks see the same geometry)
//   probe focus <title> <id> <timeout-ms>
//                                     waits until the control with that id
//                                     has the keyboard focus; prints the id
//                                     of the focused control either way
//   probe focused <title> <timeout-ms>
//                                     waits until the window is in the
//                                     foreground and one of its controls has
//                                     the keyboard focus
//   probe texts <title>               for each visible button and label: the
//                                     room its text needs in the form's font
//                                     and the room it has, "id need-w need-h
//                                     has-w has-h" (pixels)
//   probe at <x> <y>                  what is at a screen point, and which
//                                     window has the foreground and focus:
//                                     for a report when input went astray
//   probe clipboard <text> <timeout-ms>
//                                     waits until the clipboard holds that
//                                     text: the X selection reaches Wine's
//                                     clipboard a moment after it is set
// Window line: "window L T R B client-origin-x client-origin-y" (screen pixels).
// Control line: "id visible L T R B" (pixels in the window's client area).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

struct Search {
  const wchar_t* title;
  HWND found = nullptr;
};

// InternalGetWindowText sends no message, so a window whose thread is busy
// cannot block the probe.
std::wstring TitleOf(HWND hwnd) {
  std::wstring text(512, L'\0');
  text.resize(static_cast<size_t>(std::max(InternalGetWindowText(hwnd, text.data(), 512), 0)));
  return text;
}

BOOL CALLBACK MatchTitle(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  if (!IsWindowVisible(hwnd)) return TRUE;
  if (TitleOf(hwnd) != search->title) return TRUE;
  search->found = hwnd;
  return FALSE;
}

HWND FindVisible(const wchar_t* title) {
  Search search{title};
  EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Polls until the window's presence is `want`; false on timeout.
bool WaitFor(const wchar_t* title, bool want, DWORD timeout_ms, HWND* out) {
  const ULONGLONG deadline = GetTickCount64() + timeout_ms;
  for (;;) {
    HWND hwnd = FindVisible(title);
    if ((hwnd != nullptr) == want) {
      *out = hwnd;
      return true;
    }
    if (GetTickCount64() >= deadline) return false;
    Sleep(50);
  }
}

// The window's geometry and its controls' visibility, to tell when a layout
// pass has finished.
std::vector<LONG> Geometry(HWND top);

// Polls until the window is visible, is the foreground window (so that keys
// reach it) and looks the same twice in a row; false on timeout.
bool WaitReady(const wchar_t* title, DWORD timeout_ms, HWND* out) {
  const ULONGLONG deadline = GetTickCount64() + timeout_ms;
  std::vector<LONG> last;
  for (;;) {
    HWND hwnd = FindVisible(title);
    if (hwnd && GetForegroundWindow() == hwnd) {
      std::vector<LONG> now = Geometry(hwnd);
      if (now == last) {
        *out = hwnd;
        return true;
      }
      last = std::move(now);
    } else {
      last.clear();
    }
    if (GetTickCount64() >= deadline) return false;
    Sleep(50);
  }
}

void PrintWindowLine(HWND hwnd) {
  RECT r;
  GetWindowRect(hwnd, &r);
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  std::printf("window %ld %ld %ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom, origin.x, origin.y);
}

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
  return TRUE;
}

void PrintControls(HWND top) {
  std::vector<HWND> children;  // every descendant, so controls inside frames too
  EnumChildWindows(top, CollectChild, reinterpret_cast<LPARAM>(&children));
  std::vector<std::pair<int, HWND>> controls;
  for (HWND child : children) {
    const int id = GetDlgCtrlID(child);
    if (id >= 100) controls.emplace_back(id, child);
  }
  std::sort(controls.begin(), controls.end());
  for (const auto& [id, child] : controls) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, top, reinterpret_cast<POINT*>(&r), 2);
    std::printf("%d %d %ld %ld %ld %ld\n", id, IsWindowVisible(child) ? 1 : 0, r.left, r.top, r.right,
                r.bottom);
  }
}

std::vector<LONG> Geometry(HWND top) {
  std::vector<LONG> values;
  RECT r;
  GetWindowRect(top, &r);
  values.insert(values.end(), {r.left, r.top, r.right, r.bottom});
  std::vector<HWND> children;
  EnumChildWindows(top, CollectChild, reinterpret_cast<LPARAM>(&children));
  for (HWND child : children) {
    GetWindowRect(child, &r);
    values.insert(values.end(), {GetDlgCtrlID(child), IsWindowVisible(child) ? 1L : 0L, r.left, r.top,
                                 r.right, r.bottom});
  }
  return values;
}

// The id of the control that has the focus on the window's thread; 0 for none.
int FocusedId(HWND top) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info) || !info.hwndFocus) return 0;
  return GetDlgCtrlID(info.hwndFocus);
}

int WaitFocus(const wchar_t* title, int id, DWORD timeout_ms) {
  const ULONGLONG deadline = GetTickCount64() + timeout_ms;
  int seen = 0;
  for (;;) {
    if (HWND hwnd = FindVisible(title)) seen = FocusedId(hwnd);
    if (seen == id || GetTickCount64() >= deadline) break;
    Sleep(50);
  }
  std::printf("focus %d\n", seen);
  return seen == id ? 0 : 1;
}

// Polls until a control inside the window holds its thread's keyboard
// focus; false on timeout.
bool WaitControlFocus(const wchar_t* title, DWORD timeout_ms) {
  const ULONGLONG deadline = GetTickCount64() + timeout_ms;
  for (;;) {
    HWND hwnd = FindVisible(title);
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (hwnd && GetForegroundWindow() == hwnd &&
        GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &info) && info.hwndFocus &&
        IsChild(hwnd, info.hwndFocus))
      return true;
    if (GetTickCount64() >= deadline) return false;
    Sleep(50);
  }
}

// The room each caption needs, measured in the font the form uses (8-point
// MS Shell Dlg at the screen's resolution): a font handle of another process
// cannot be used here.
int PrintTexts(HWND top) {
  std::vector<HWND> children;
  EnumChildWindows(top, CollectChild, reinterpret_cast<LPARAM>(&children));
  HDC dc = GetDC(nullptr);
  const int height = -MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72);
  HFONT font = CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"MS Shell Dlg");
  HGDIOBJ old = SelectObject(dc, font);
  for (HWND child : children) {
    const int id = GetDlgCtrlID(child);
    wchar_t class_name[32] = L"";
    GetClassNameW(child, class_name, 32);
    const bool button = lstrcmpiW(class_name, L"Button") == 0;
    const bool label = lstrcmpiW(class_name, L"Static") == 0;
    if (id < 100 || !IsWindowVisible(child) || !(button || label)) continue;
    const std::wstring text = TitleOf(child);
    if (text.empty()) continue;
    // Labels without prefixes hold whole lines; the others one line with
    // an access key.
    const bool lines = label && (GetWindowLongW(child, GWL_STYLE) & SS_NOPREFIX);
    RECT need{0, 0, 0, 0};
    DrawTextW(dc, text.c_str(), -1, &need,
              DT_CALCRECT | (lines ? DT_NOPREFIX | DT_EXPANDTABS : DT_SINGLELINE));
    RECT has;
    GetClientRect(child, &has);
    std::printf("%d %ld %ld %ld %ld\n", id, need.right, need.bottom, has.right, has.bottom);
  }
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(nullptr, dc);
  return 0;
}

int DescribePoint(LONG x, LONG y) {
  const HWND at = WindowFromPoint(POINT{x, y});
  const HWND top = at ? GetAncestor(at, GA_ROOT) : nullptr;
  const HWND foreground = GetForegroundWindow();
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (foreground) GetGUIThreadInfo(GetWindowThreadProcessId(foreground, nullptr), &info);
  std::printf("at (%ld,%ld): window '%ls' control %d%s; foreground '%ls'; focus control %d; capture %s\n", x, y,
              top ? TitleOf(top).c_str() : L"", at && at != top ? GetDlgCtrlID(at) : 0,
              at && !IsWindowEnabled(top) ? " (disabled)" : "", foreground ? TitleOf(foreground).c_str() : L"",
              info.hwndFocus ? GetDlgCtrlID(info.hwndFocus) : 0, info.hwndCapture ? "held" : "none");
  return 0;
}

int Usage() {
  std::fprintf(stderr,
               "usage: probe wait <title> <timeout-ms>\n"
               "       probe rects <title>\n"
               "       probe gone <title> <timeout-ms>\n"
               "       probe ready <title> <timeout-ms>\n"
               "       probe focus <title> <id> <timeout-ms>\n"
               "       probe focused <title> <timeout-ms>\n"
               "       probe texts <title>\n"
               "       probe at <x> <y>\n"
               "       probe clipboard <text> <timeout-ms>\n");
  return 2;
}

bool ClipboardHolds(const wchar_t* text) {
  if (!OpenClipboard(nullptr)) return false;
  bool same = false;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* held = static_cast<const wchar_t*>(GlobalLock(data))) {
      same = std::wcscmp(held, text) == 0;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return same;
}

int WaitClipboard(const wchar_t* text, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  while (!ClipboardHolds(text)) {
    if (GetTickCount() - start > timeout_ms) {
      std::fprintf(stderr, "timeout\n");
      return 1;
    }
    Sleep(20);
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return Usage();
  const std::wstring command = argv[1];
  if (command == L"at" && argc == 4)
    return DescribePoint(std::wcstol(argv[2], nullptr, 10), std::wcstol(argv[3], nullptr, 10));
  if (command == L"clipboard" && argc == 4)
    return WaitClipboard(argv[2], static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10)));
  const wchar_t* title = argv[2];
  HWND hwnd = nullptr;
  if (command == L"rects" && argc == 3) {
    hwnd = FindVisible(title);
    if (!hwnd) {
      std::fprintf(stderr, "no visible window with that title\n");
      return 1;
    }
    PrintWindowLine(hwnd);
    PrintControls(hwnd);
    return 0;
  }
  if (command == L"texts" && argc == 3) {
    hwnd = FindVisible(title);
    if (!hwnd) {
      std::fprintf(stderr, "no visible window with that title\n");
      return 1;
    }
    return PrintTexts(hwnd);
  }
  if (command == L"focus" && argc == 5)
    return WaitFocus(title, static_cast<int>(std::wcstol(argv[3], nullptr, 10)),
                     static_cast<DWORD>(std::wcstoul(argv[4], nullptr, 10)));
  if ((command == L"wait" || command == L"gone" || command == L"ready") && argc == 4) {
    const DWORD timeout = static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10));
    const bool want = command != L"gone";
    const bool found = command == L"ready" ? WaitReady(title, timeout, &hwnd)
                                           : WaitFor(title, want, timeout, &hwnd);
    if (!found) {
      std::fprintf(stderr, "timeout\n");
      return 1;
    }
    if (want)
      PrintWindowLine(hwnd);
    else
      std::printf("gone\n");
    return 0;
  }
  if (command == L"focused" && argc == 4) {
    if (WaitControlFocus(title, static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10)))) return 0;
    std::fprintf(stderr, "timeout\n");
    return 1;
  }
  return Usage();
}
