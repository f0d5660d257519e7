#include "platform_win32.h"

#include <memory>
#include <mutex>

#include "platform.h"
#include "toolkit_win32.h"

namespace brivet::win32 {

namespace {
std::mutex g_guard;
std::unique_ptr<form::Toolkit> g_toolkit;
}  // namespace

void InstallWin32Platform(HINSTANCE module) {
  std::lock_guard<std::mutex> lock(g_guard);
  if (g_toolkit) return;
  g_toolkit = MakeWin32Toolkit(module);
  Platform platform;
  platform.toolkit = g_toolkit.get();
  InstallPlatform(platform);
}

void ShutdownWin32Platform() noexcept {
  std::lock_guard<std::mutex> lock(g_guard);
  InstallPlatform(Platform{});
  g_toolkit.reset();
}

}  // namespace brivet::win32
