// Finds a push button of a visible top-level window, for the benchmark's
// clicks; works for any dialog, whatever its control ids.
//   bench_probe button <title> <caption> <timeout-ms>
// Prints "window L T R B" and "button X Y" (the button's centre), in screen
// pixels, once the window is visible and the button is laid out.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>

namespace {

// InternalGetWindowText sends no message, so a busy window cannot block us.
std::wstring TextOf(HWND hwnd) {
  std::wstring text(512, L'\0');
  text.resize(static_cast<size_t>(std::max(InternalGetWindowText(hwnd, text.data(), 512), 0)));
  return text;
}

struct Search {
  const wchar_t* text;
  bool top_level;
  HWND found = nullptr;
};

BOOL CALLBACK Match(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  if (!IsWindowVisible(hwnd) || TextOf(hwnd) != search->text) return TRUE;
  if (!search->top_level) {
    RECT r;
    GetWindowRect(hwnd, &r);
    if (r.right <= r.left || r.bottom <= r.top) return TRUE;
  }
  search->found = hwnd;
  return FALSE;
}

HWND FindButton(const wchar_t* title, const wchar_t* caption, HWND* window) {
  Search top{title, true};
  EnumWindows(Match, reinterpret_cast<LPARAM>(&top));
  if (!top.found) return nullptr;
  Search child{caption, false};
  EnumChildWindows(top.found, Match, reinterpret_cast<LPARAM>(&child));
  *window = top.found;
  return child.found;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 5 || std::wstring(argv[1]) != L"button") {
    std::fprintf(stderr, "usage: bench_probe button <title> <caption> <timeout-ms>\n");
    return 2;
  }
  const ULONGLONG deadline = GetTickCount64() + std::wcstoul(argv[4], nullptr, 10);
  for (;;) {
    HWND window = nullptr;
    if (HWND button = FindButton(argv[2], argv[3], &window)) {
      RECT r;
      GetWindowRect(window, &r);
      std::printf("window %ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
      GetWindowRect(button, &r);
      std::printf("button %ld %ld\n", (r.left + r.right) / 2, (r.top + r.bottom) / 2);
      return 0;
    }
    if (GetTickCount64() >= deadline) break;
    Sleep(20);
  }
  std::fprintf(stderr, "timeout\n");
  return 1;
}
