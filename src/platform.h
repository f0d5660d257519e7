// The platform a process runs the component on: one backend (Win32 or
// headless) installs it before the first object is created, with every
// slot filled. The logic reaches each service through its accessor, which
// raises a clear error instead of handing out a missing slot.
#pragma once

#include "form/toolkit.h"
#include "services/file_system.h"
#include "services/system_services.h"

namespace brivet {

// Where each thread keeps its dialog state: one value per thread, and the
// routine that disposes of it when the thread ends. A library must still be
// able to read it from its own thread-end hook, after the C++ runtime has
// let go of the thread's storage, so each backend brings its own.
class ThreadStore {
 public:
  using End = void (*)(void* value) noexcept;
  virtual ~ThreadStore() = default;
  // The calling thread's value; null until one is set.
  virtual void* Get() const noexcept = 0;
  // Keeps a non-null value for the calling thread; `end` disposes of it when
  // the thread ends, or when the store goes first.
  virtual void Set(void* value, End end) = 0;
};

struct Platform {
  form::Toolkit* toolkit = nullptr;
  services::FileSystemFactory* file_system = nullptr;
  services::Choosers* choosers = nullptr;
  services::Profile* profile = nullptr;
  services::Sound* sound = nullptr;
  ThreadStore* thread_store = nullptr;

  bool complete() const noexcept {
    return toolkit && file_system && choosers && profile && sound && thread_store;
  }
};

void InstallPlatform(const Platform& platform);

// The installed services; each throws brivet::Error when its slot is empty.
form::Toolkit& CurrentToolkit();
services::FileSystemFactory& CurrentFileSystem();
services::Choosers& CurrentChoosers();
services::Profile& CurrentProfile();
services::Sound& CurrentSound();
ThreadStore& CurrentThreadStore();

}  // namespace brivet
