// Installs the Win32 toolkit, file system and services as the platform of
// the process, and removes them when the module no longer needs them.
#pragma once

#include <windows.h>

namespace brivet::win32 {

void InstallWin32Platform(HINSTANCE module);
// Removes the platform unless `in_use` answers true; true when it is gone.
// `in_use` is asked under the guard that installing takes, so a creation
// that counts its object before installing either keeps the platform or
// installs it afresh.
bool ReleaseWin32PlatformUnless(bool (*in_use)() noexcept);
// At the module's unload: the platform, and the value of every thread that
// has not ended yet.
void ShutdownWin32Platform() noexcept;
// From the module's thread-detach hook: disposes of the ending thread's value.
void EndWin32Thread() noexcept;

}  // namespace brivet::win32
