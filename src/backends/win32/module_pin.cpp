#include "module_pin.h"

#include <windows.h>

#include <mutex>
#include <utility>

#include "handles.h"

namespace brivet::win32 {

namespace {

SlimLock g_guard;
long g_holds = 0;
HMODULE g_self = nullptr;  // the module's reference to itself while held

// The last reference must not be dropped by code that then returns into the
// module: a thread of its own drops it and ends inside the system. It holds
// that reference, so the module stays loaded until it has started.
DWORD WINAPI LetGo(void* module) { FreeLibraryAndExitThread(static_cast<HMODULE>(module), 0); }

void Hold() noexcept {
  std::lock_guard<SlimLock> lock(g_guard);
  if (g_holds++ > 0) return;
  HMODULE self = nullptr;
  if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&LetGo), &self))
    g_self = self;
}

void Drop() noexcept {
  HMODULE self;
  {
    std::lock_guard<SlimLock> lock(g_guard);
    if (--g_holds > 0) return;
    self = std::exchange(g_self, nullptr);
  }
  if (!self) return;
  // Without a thread the reference stays: loaded for good beats unloaded
  // under a caller.
  if (HANDLE thread = CreateThread(nullptr, 0, LetGo, self, 0, nullptr)) CloseHandle(thread);
}

}  // namespace

ModulePin::ModulePin() noexcept { Hold(); }
ModulePin::ModulePin(const ModulePin&) noexcept { Hold(); }
ModulePin::~ModulePin() { Drop(); }

long ModulePinHolds() noexcept {
  std::lock_guard<SlimLock> lock(g_guard);
  return g_holds;
}

}  // namespace brivet::win32
