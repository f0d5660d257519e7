// Takes the settings file's lock, as a script's call does, says "held" and
// keeps it until it is killed: the stand-in for a host that dies, or hangs,
// in the middle of a settings call.
#include <windows.h>

#include <cstdio>

#include "services_win32.h"

int wmain() {
  brivet::win32::Win32Profile profile;
  const auto held = profile.Lock(u"", 5000);
  std::printf(held ? "held\n" : "not held\n");
  std::fflush(stdout);
  if (!held) return 1;
  Sleep(INFINITE);
  return 0;
}
