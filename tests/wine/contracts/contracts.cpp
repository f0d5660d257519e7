// The platform contracts, met by the Win32 backend: the same suites the
// native unit tests run against the headless backend. Prints one line per
// failed case and exits non-zero when there is one.
#include <windows.h>

#include <cstdio>
#include <functional>
#include <stdexcept>

#include "file_system_contract.h"
#include "file_system_win32.h"
#include "handles.h"
#include "profile_contract.h"
#include "services_win32.h"
#include "toolkit_contract.h"
#include "toolkit_win32.h"

namespace {

class PrintingChecker final : public brivet::contract::Checker {
 public:
  void Failed(const std::string& message) override { std::printf("FAIL %s\n", message.c_str()); }
};

DWORD WINAPI RunBody(void* body) {
  (*static_cast<const std::function<void()>*>(body))();
  return 0;
}

void OnAnotherThread(const std::function<void()>& body) {
  const brivet::win32::UniqueKernelObject thread(
      CreateThread(nullptr, 0, RunBody, const_cast<std::function<void()>*>(&body), 0, nullptr));
  if (!thread) throw std::runtime_error("CreateThread failed");
  WaitForSingleObject(thread.get(), INFINITE);
}

std::filesystem::path Scratch(const char* name) {
  return std::filesystem::temp_directory_path() /
         (std::string("brivet-contract-") + name + "-" + std::to_string(GetCurrentProcessId()));
}

}  // namespace

int wmain() {
  PrintingChecker checker;
  try {
    brivet::win32::Win32FileSystemFactory file_system;
    brivet::contract::FileSystemContract(checker, file_system, Scratch("fs"));
    brivet::win32::Win32Profile profile;
    brivet::contract::ProfileContract(checker, profile, Scratch("profile"));
    brivet::contract::ProfileLockContract(checker, profile, Scratch("profile-lock"), OnAnotherThread);
    brivet::win32::ComScope com;
    const auto toolkit = brivet::MakeWin32Toolkit(GetModuleHandleW(nullptr));
    brivet::contract::ToolkitContract(checker, *toolkit, Scratch("toolkit"));
  } catch (const std::exception& e) {
    std::printf("FAIL uncaught: %s\n", e.what());
    ++checker.failures;
  }
  std::printf(checker.failures ? "%d contract case(s) failed\n" : "all contract cases passed\n",
              checker.failures);
  return checker.failures ? 1 : 0;
}
