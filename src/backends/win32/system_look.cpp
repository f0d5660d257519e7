#include "system_look.h"

#include <atomic>
#include <mutex>
#include <cmath>

namespace brivet::win32 {

namespace {

// The visual-styles manifest among the module's resources.
constexpr WORD kVisualStylesManifest = 124;

// user32 functions of later systems, bound once by name. Resolving them
// twice at once on two threads gives the same addresses, so no lock.
using SetThreadDpiAwarenessContextFn = void*(WINAPI*)(void*);
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForSystemFn = UINT(WINAPI*)();
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);

struct DpiFunctions {
  SetThreadDpiAwarenessContextFn set_thread_awareness = nullptr;
  GetDpiForWindowFn dpi_for_window = nullptr;
  GetDpiForSystemFn dpi_for_system = nullptr;
  AdjustWindowRectExForDpiFn adjust_for_dpi = nullptr;
  SystemParametersInfoForDpiFn parameters_for_dpi = nullptr;
};

std::atomic<bool> g_bound{false};
DpiFunctions g_dpi;

template <typename F>
F Bind(HMODULE module, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

const DpiFunctions& Dpi() {
  if (!g_bound.load(std::memory_order_acquire)) {
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");  // imported, so loaded
    DpiFunctions f;
    f.set_thread_awareness = Bind<SetThreadDpiAwarenessContextFn>(user32, "SetThreadDpiAwarenessContext");
    f.dpi_for_window = Bind<GetDpiForWindowFn>(user32, "GetDpiForWindow");
    f.dpi_for_system = Bind<GetDpiForSystemFn>(user32, "GetDpiForSystem");
    f.adjust_for_dpi = Bind<AdjustWindowRectExForDpiFn>(user32, "AdjustWindowRectExForDpi");
    f.parameters_for_dpi = Bind<SystemParametersInfoForDpiFn>(user32, "SystemParametersInfoForDpi");
    g_dpi = f;
    g_bound.store(true, std::memory_order_release);
  }
  return g_dpi;
}

int ScreenDcDpi() {
  WindowDc screen(nullptr);
  const int dpi = GetDeviceCaps(screen.get(), LOGPIXELSY);
  return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

}  // namespace

// ---------------------------------------------------------------------------
// Visual styles

VisualStyles::~VisualStyles() {
  if (context_ != INVALID_HANDLE_VALUE) ReleaseActCtx(context_);
}

VisualStyles::Scope VisualStyles::Activate() {
  std::lock_guard<SlimLock> lock(making_);
  if (!tried_) {
    tried_ = true;
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(module_, path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
      ACTCTXW request{};
      request.cbSize = sizeof request;
      request.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
      request.lpSource = path;
      request.hModule = module_;
      request.lpResourceName = MAKEINTRESOURCEW(kVisualStylesManifest);
      // Without the manifest or the styled controls the dialog gets the
      // plain ones: it works the same.
      context_ = CreateActCtxW(&request);
    }
  }
  return Scope(context_);
}

VisualStyles::Scope::Scope(HANDLE context) noexcept {
  if (context != INVALID_HANDLE_VALUE) active_ = ActivateActCtx(context, &cookie_) != FALSE;
}

VisualStyles::Scope::~Scope() {
  if (active_) DeactivateActCtx(0, cookie_);
}

// ---------------------------------------------------------------------------
// Dpi

DpiAwareScope::DpiAwareScope() noexcept {
  const auto set = Dpi().set_thread_awareness;
  if (!set) return;
  // Per-monitor v2, per-monitor, system aware: the first the system knows.
  for (const auto context : {reinterpret_cast<void*>(-4), reinterpret_cast<void*>(-3),
                             reinterpret_cast<void*>(-2)}) {
    if ((previous_ = set(context))) return;
  }
}

DpiAwareScope::~DpiAwareScope() {
  if (previous_) Dpi().set_thread_awareness(previous_);
}

int SystemDpi() {
  if (const auto system = Dpi().dpi_for_system) {
    DpiAwareScope aware;
    if (const UINT dpi = system()) return static_cast<int>(dpi);
  }
  return ScreenDcDpi();
}

int DpiOf(HWND hwnd) {
  if (const auto of_window = Dpi().dpi_for_window) {
    if (const UINT dpi = of_window(hwnd)) return static_cast<int>(dpi);
  }
  return ScreenDcDpi();
}

SIZE FrameSize(DWORD style, DWORD ex_style, int dpi) {
  RECT r{0, 0, 0, 0};
  const auto adjust = Dpi().adjust_for_dpi;
  if (!(adjust && adjust(&r, style, FALSE, ex_style, static_cast<UINT>(dpi)))) {
    r = {0, 0, 0, 0};
    AdjustWindowRectEx(&r, style, FALSE, ex_style);
  }
  return {r.right - r.left, r.bottom - r.top};
}

LOGFONTW MessageFont(int dpi) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  const auto for_dpi = Dpi().parameters_for_dpi;
  if (for_dpi && for_dpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, static_cast<UINT>(dpi)))
    return metrics.lfMessageFont;
  metrics = {};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    // At the dpi this thread sees; brought to the window's.
    LOGFONTW font = metrics.lfMessageFont;
    font.lfHeight = MulDiv(font.lfHeight, dpi, ScreenDcDpi());
    return font;
  }
  LOGFONTW font{};  // the dialog face of old, 9 points
  font.lfHeight = -MulDiv(9, dpi, 72);
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(font.lfFaceName, L"MS Shell Dlg", LF_FACESIZE);
  return font;
}

bool HighContrastOn() {
  HIGHCONTRASTW contrast{};
  contrast.cbSize = sizeof contrast;
  return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
         (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

}  // namespace brivet::win32
