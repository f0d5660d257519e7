#include "window_classes.h"

#include <array>
#include <cstdint>
#include <map>

namespace brivet::win32 {

namespace {

constexpr int kIconSize = 32;

// A 32x32 picture of a small dialog: dark border, blue title bar, light
// body with two text lines and a button.
HICON MakeFormIcon() {
  std::array<uint32_t, kIconSize * kIconSize> pixels{};  // 0xAARRGGBB, top row first
  auto fill = [&](int left, int top, int right, int bottom, uint32_t argb) {
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x) pixels[y * kIconSize + x] = argb;
  };
  fill(0, 2, 32, 30, 0xFF1A2A5Au);   // border
  fill(1, 3, 31, 10, 0xFF2D6BD6u);   // title bar
  fill(1, 10, 31, 29, 0xFFF2F2F2u);  // body
  fill(25, 5, 29, 8, 0xFFE8E8E8u);   // close box
  fill(4, 13, 24, 15, 0xFF5A5A5Au);  // text lines
  fill(4, 17, 18, 19, 0xFF5A5A5Au);
  fill(16, 21, 29, 27, 0xFF404040u);  // button edge
  fill(17, 22, 28, 26, 0xFFD4D0C8u);  // button face
  // Rows outside the picture stay fully transparent.

  std::array<uint8_t, kIconSize * kIconSize / 8> mask{};
  for (int y = 0; y < kIconSize; ++y)
    for (int x = 0; x < kIconSize; ++x)
      if ((pixels[y * kIconSize + x] >> 24) == 0) mask[(y * kIconSize + x) / 8] |= 0x80 >> (x % 8);

  UniqueBitmap color(CreateBitmap(kIconSize, kIconSize, 1, 32, pixels.data()));
  UniqueBitmap mono(CreateBitmap(kIconSize, kIconSize, 1, 1, mask.data()));
  if (!color || !mono) ThrowLastError("CreateBitmap");
  ICONINFO info{};
  info.fIcon = TRUE;
  info.hbmMask = mono.get();
  info.hbmColor = color.get();
  HICON icon = CreateIconIndirect(&info);  // copies both bitmaps
  if (!icon) ThrowLastError("CreateIconIndirect");
  return icon;
}

// Registers a class, replacing a stale registration a previous load of the
// same module may have left behind.
void Register(const WNDCLASSEXW& wc) {
  if (RegisterClassExW(&wc)) return;
  if (GetLastError() == ERROR_CLASS_ALREADY_EXISTS && UnregisterClassW(wc.lpszClassName, wc.hInstance) &&
      RegisterClassExW(&wc))
    return;
  ThrowLastError("RegisterClassEx");
}

SlimLock registry_lock;
std::map<HINSTANCE, std::weak_ptr<WindowClasses>> registry;

}  // namespace

std::shared_ptr<WindowClasses> WindowClasses::For(HINSTANCE module) {
  std::lock_guard<SlimLock> lock(registry_lock);
  if (auto existing = registry[module].lock()) return existing;
  std::shared_ptr<WindowClasses> made(new WindowClasses(module));
  registry[module] = made;
  return made;
}

WindowClasses::WindowClasses(HINSTANCE module) : module_(module), icon_(MakeFormIcon()) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = FormWindowProc;
  wc.hInstance = module;
  wc.hIcon = icon_.get();
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kFormClassName;
  Register(wc);
  form_registered_ = true;

  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = PaneWindowProc;
  wc.hIcon = nullptr;
  wc.lpszClassName = kPaneClassName;
  try {
    Register(wc);
  } catch (...) {
    UnregisterClassW(kFormClassName, module_);
    throw;
  }
  pane_registered_ = true;
}

WindowClasses::~WindowClasses() {
  std::lock_guard<SlimLock> lock(registry_lock);
  // A registration made for the module meanwhile owns the classes now.
  auto it = registry.find(module_);
  if (it != registry.end() && !it->second.expired()) return;
  if (it != registry.end()) registry.erase(it);
  if (pane_registered_) UnregisterClassW(kPaneClassName, module_);
  if (form_registered_) UnregisterClassW(kFormClassName, module_);
}

}  // namespace brivet::win32
