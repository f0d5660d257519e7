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
// The store lists what it holds, so that an unload frees the values of
// threads that outlive the module.
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

  // At the thread's end, under the loader lock: the value is only set
  // aside, with a handle that tells when the thread is gone. What it holds
  // of the system (a persisted form's fonts, brushes and picture) is let go
  // by CollectEnded, outside the loader lock; the thread's windows end with
  // the thread.
  void EndThread() noexcept {
    void* value = Get();
    if (!value) return;
    TlsSetValue(index_, nullptr);
    HANDLE thread = nullptr;
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &thread, SYNCHRONIZE, FALSE, 0);
    std::lock_guard<SlimLock> lock(guard_);
    std::erase(values_, value);
    try {
      ended_.push_back({value, thread});
    } catch (...) {
      // Kept for good rather than freed here.
      if (thread) CloseHandle(thread);
    }
  }

  // Disposes of the values of threads that have ended completely.
  void CollectEnded() noexcept {
    std::vector<Ended> gone;
    End end;
    {
      std::lock_guard<SlimLock> lock(guard_);
      if (ended_.empty()) return;
      auto still_running = [](const Ended& e) {
        return e.thread && WaitForSingleObject(e.thread, 0) == WAIT_TIMEOUT;
      };
      const auto split = std::stable_partition(ended_.begin(), ended_.end(), still_running);
      gone.assign(split, ended_.end());
      ended_.erase(split, ended_.end());
      end = end_;
    }
    for (const Ended& e : gone) {
      end(e.value);
      if (e.thread) CloseHandle(e.thread);
    }
  }

  // At the module's unload, under the loader lock. Nothing left holds a
  // window (each keeps the module loaded), so this frees memory only.
  void EndAll() noexcept {
    std::vector<void*> left;
    std::vector<Ended> ended;
    End end;
    {
      std::lock_guard<SlimLock> lock(guard_);
      left.swap(values_);
      ended.swap(ended_);
      end = end_;
    }
    for (void* value : left) end(value);
    for (const Ended& e : ended) {
      end(e.value);
      if (e.thread) CloseHandle(e.thread);
    }
  }

 private:
  struct Ended {
    void* value;
    HANDLE thread;  // signalled once the thread is gone; null if unknown
  };
  DWORD index_;
  SlimLock guard_;
  std::vector<void*> values_;
  std::vector<Ended> ended_;
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

}  // namespace

void InstallWin32Platform(HINSTANCE module) {
  g_thread_store.CollectEnded();
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
  g_thread_store.CollectEnded();
  std::unique_ptr<Win32Services> released;
  {
    std::lock_guard<SlimLock> lock(g_guard);
    if (in_use()) return false;
    InstallPlatform(Platform{});
    released = std::move(g_services);
  }
  // Here, outside the loader lock, is where everything the services bound or
  // opened (the system's libraries among them) is let go.
  released.reset();
  return true;
}

void AbandonWin32Platform() noexcept {
  g_thread_store.EndAll();
  std::lock_guard<SlimLock> lock(g_guard);
  InstallPlatform(Platform{});
  // Releasing the services would free libraries under the loader lock: they
  // stay as they are, a few bytes and library references for an unload
  // nobody asked about.
  (void)g_services.release();
}

void EndWin32Thread() noexcept { g_thread_store.EndThread(); }

}  // namespace brivet::win32
