#include "platform_win32.h"

#include <memory>
#include <mutex>

#include "file_system_win32.h"
#include "platform.h"
#include "services_win32.h"
#include "toolkit_win32.h"

namespace brivet::win32 {

namespace {

// Everything the platform points to, made once per load of the module.
struct Win32Services {
  std::unique_ptr<form::Toolkit> toolkit;
  Win32FileSystemFactory file_system;
  Win32Choosers choosers;
  Win32Profile profile;
  Win32Sound sound;
};

std::mutex g_guard;
std::unique_ptr<Win32Services> g_services;

}  // namespace

void InstallWin32Platform(HINSTANCE module) {
  std::lock_guard<std::mutex> lock(g_guard);
  if (g_services) return;
  auto made = std::make_unique<Win32Services>();
  made->toolkit = MakeWin32Toolkit(module);
  Platform platform;
  platform.toolkit = made->toolkit.get();
  platform.file_system = &made->file_system;
  platform.choosers = &made->choosers;
  platform.profile = &made->profile;
  platform.sound = &made->sound;
  g_services = std::move(made);
  InstallPlatform(platform);
}

void ShutdownWin32Platform() noexcept {
  std::lock_guard<std::mutex> lock(g_guard);
  InstallPlatform(Platform{});
  g_services.reset();
}

}  // namespace brivet::win32
