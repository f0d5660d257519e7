#include "toolkit_win32.h"

#include "form_window.h"
#include "window_classes.h"

namespace brivet {

namespace win32 {
namespace {

class Win32Toolkit final : public form::Toolkit {
 public:
  explicit Win32Toolkit(HINSTANCE module)
      : module_(module), styles_(std::make_shared<VisualStyles>(module)) {
    // The dialog's windows are dpi aware: the screen as they see it.
    metrics_ = Metrics::At(SystemDpi());
  }

  std::unique_ptr<form::FormWindow> CreateForm(form::FormEventSink& sink) override {
    return std::make_unique<Win32FormWindow>(WindowClasses::For(module_), styles_, sink);
  }

  float ScreenHeight() const override {
    const DpiAwareScope aware;
    return static_cast<float>(GetSystemMetrics(SM_CYSCREEN)) * metrics_.twips_per_pixel_y;
  }
  float TwipsPerPixelX() const override { return metrics_.twips_per_pixel_x; }
  float TwipsPerPixelY() const override { return metrics_.twips_per_pixel_y; }
  bool HighContrast() const override { return HighContrastOn(); }

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
  // The activation context of the styled controls, made at the first form.
  std::shared_ptr<VisualStyles> styles_;
  Metrics metrics_;
};

}  // namespace
}  // namespace win32

std::unique_ptr<form::Toolkit> MakeWin32Toolkit(HINSTANCE module) {
  return std::make_unique<win32::Win32Toolkit>(module);
}

}  // namespace brivet
