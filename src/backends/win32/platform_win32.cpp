#include "platform_win32.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

#include "core/error.h"
#include "file_system_win32.h"
#include "handles.h"
#include "platform.h"
#include "services_win32.h"
#include "toolkit_win32.h"

namespace brivet::win32 {

namespace {

// Each thread's value in a slot of the system's thread storage. The module's
// thread-detach hook runs under the loader lock after the C++ runtime has
// dropped the thread's own storage: a system slot can still be read there,
// and neither it nor its lock allocates or waits on another thread.
// The store lists what it holds, so that an unload disposes of the values
// of threads that outlive the module.
class Win32ThreadStore final : public ThreadStore {
 public:
  Win32ThreadStore() noexcept : index_(TlsAlloc()) {}
  ~Win32ThreadStore() override {
    if (usable()) TlsFree(index_);
  }
  Win32ThreadStore(const Win32ThreadStore&) = delete;
  Win32ThreadStore& operator=(const Win32ThreadStore&) = delete;

  bool usable() const noexcept { return index_ != TLS_OUT_OF_INDEXES; }

  void* Get() const noexcept override {
    if (!usable()) return nullptr;
    const DWORD error = GetLastError();  // TlsGetValue clears it
    void* value = TlsGetValue(index_);
    SetLastError(error);
    return value;
  }

  // Reached only through an installed platform, which needs a usable slot.
  void Set(void* value, End end) override {
    {
      std::lock_guard<SlimLock> lock(guard_);
      values_.push_back(value);
      end_ = end;
    }
    TlsSetValue(index_, value);
  }

  void EndThread() noexcept {
    void* value = Get();
    if (!value) return;
    TlsSetValue(index_, nullptr);
    End end;
    {
      std::lock_guard<SlimLock> lock(guard_);
      std::erase(values_, value);
      end = end_;
    }
    end(value);
  }

  void EndAll() noexcept {
    std::vector<void*> left;
    End end;
    {
      std::lock_guard<SlimLock> lock(guard_);
      left.swap(values_);
      end = end_;
    }
    for (void* value : left) end(value);
  }

 private:
  DWORD index_;
  SlimLock guard_;
  std::vector<void*> values_;
  End end_ = nullptr;
};

// Everything the platform points to, made when the first object is created
// and released once nothing of the module is in use.
struct Win32Services {
  std::unique_ptr<form::Toolkit> toolkit;
  Win32FileSystemFactory file_system;
  Win32Choosers choosers;
  Win32Profile profile;
  Win32Sound sound;
};

SlimLock g_guard;
std::unique_ptr<Win32Services> g_services;
// For the module's whole load: a thread may end while no platform is
// installed, and its value must still be found.
Win32ThreadStore g_thread_store;

void Remove() noexcept {
  InstallPlatform(Platform{});
  g_services.reset();
}

}  // namespace

void InstallWin32Platform(HINSTANCE module) {
  std::lock_guard<SlimLock> lock(g_guard);
  if (g_services) return;
  if (!g_thread_store.usable()) throw Error::Toolkit("no thread storage slot is free");
  auto made = std::make_unique<Win32Services>();
  made->toolkit = MakeWin32Toolkit(module);
  Platform platform;
  platform.toolkit = made->toolkit.get();
  platform.file_system = &made->file_system;
  platform.choosers = &made->choosers;
  platform.profile = &made->profile;
  platform.sound = &made->sound;
  platform.thread_store = &g_thread_store;
  g_services = std::move(made);
  InstallPlatform(platform);
}

bool ReleaseWin32PlatformUnless(bool (*in_use)() noexcept) {
  std::lock_guard<SlimLock> lock(g_guard);
  if (in_use()) return false;
  Remove();
  return true;
}

void ShutdownWin32Platform() noexcept {
  g_thread_store.EndAll();
  std::lock_guard<SlimLock> lock(g_guard);
  Remove();
}

void EndWin32Thread() noexcept { g_thread_store.EndThread(); }

}  // namespace brivet::win32
