// Installs the Win32 toolkit, file system and services as the platform of
// the process, and removes them when the module no longer needs them.
#pragma once

#include <windows.h>

namespace brivet::win32 {

// Also disposes of the values of threads that have ended.
void InstallWin32Platform(HINSTANCE module);
// Removes the platform unless `in_use` answers true; true when it is gone.
// `in_use` is asked under the guard that installing takes, so a creation
// that counts its object before installing either keeps the platform or
// installs it afresh. Disposes of ended threads' values first. Outside the
// loader lock: the one place where the services are released.
bool ReleaseWin32PlatformUnless(bool (*in_use)() noexcept);
// At an unload that nobody asked about, under the loader lock: frees the
// values of every thread and leaves the services unreleased.
void AbandonWin32Platform() noexcept;
// From the module's thread-detach hook: sets the ending thread's value aside.
void EndWin32Thread() noexcept;

}  // namespace brivet::win32
