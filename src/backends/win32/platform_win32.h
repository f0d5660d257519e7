// Installs the Win32 toolkit, file system and services as the platform of
// the process, once, and removes them when the module goes.
#pragma once

#include <windows.h>

namespace brivet::win32 {

void InstallWin32Platform(HINSTANCE module);
void ShutdownWin32Platform() noexcept;

}  // namespace brivet::win32
