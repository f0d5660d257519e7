#include "toolkit_win32.h"

#include "form_window.h"
#include "window_classes.h"

namespace brivet {

namespace win32 {
namespace {

class Win32Toolkit final : public form::Toolkit {
 public:
  explicit Win32Toolkit(HINSTANCE module) : module_(module) {
    WindowDc screen(nullptr);
    metrics_.dpi_x = GetDeviceCaps(screen.get(), LOGPIXELSX);
    metrics_.dpi_y = GetDeviceCaps(screen.get(), LOGPIXELSY);
    if (metrics_.dpi_x <= 0 || metrics_.dpi_y <= 0) throw Error::Toolkit("the screen has no resolution");
    metrics_.twips_per_pixel_x = 1440.0f / static_cast<float>(metrics_.dpi_x);
    metrics_.twips_per_pixel_y = 1440.0f / static_cast<float>(metrics_.dpi_y);
  }

  std::unique_ptr<form::FormWindow> CreateForm(form::FormEventSink& sink) override {
    return std::make_unique<Win32FormWindow>(WindowClasses::For(module_), metrics_, sink);
  }

  float ScreenHeight() const override {
    return static_cast<float>(GetSystemMetrics(SM_CYSCREEN)) * metrics_.twips_per_pixel_y;
  }
  float TwipsPerPixelX() const override { return metrics_.twips_per_pixel_x; }
  float TwipsPerPixelY() const override { return metrics_.twips_per_pixel_y; }

  void PumpEvents() override {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop that owns it
        return;
      }
      DispatchWindowMessage(msg);
    }
  }

 private:
  // The window classes go with the module's last window, not with the
  // toolkit: releasing the toolkit then needs no user32 call.
  HINSTANCE module_;
  Metrics metrics_;
};

}  // namespace
}  // namespace win32

std::unique_ptr<form::Toolkit> MakeWin32Toolkit(HINSTANCE module) {
  return std::make_unique<win32::Win32Toolkit>(module);
}

}  // namespace brivet
