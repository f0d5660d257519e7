// Entry points of the library: class factory, unload check and type info.
#include "module.h"

#include <atomic>
#include <mutex>

#include "backends/win32/accessible_win32.h"
#include "backends/win32/platform_win32.h"
#include "form/fbox.h"
#include "com_handles.h"
#include "window_object.h"
#include "brivet_h.h"

namespace brivet::com {

namespace {

HINSTANCE g_module = nullptr;
std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};
std::atomic<long> g_factory_refs{0};

class WindowFactory final : public IClassFactory {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IClassFactory) {
      *out = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  // One static factory whose references count like objects: a host may
  // hold it across an unload check (a cached factory) and use it later.
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++g_factory_refs) + 1; }
  STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--g_factory_refs) + 1; }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return CreateWindowObject(riid, out);
  }
  STDMETHODIMP LockServer(BOOL lock) override {
    LockModule(lock != FALSE);
    return S_OK;
  }
};

WindowFactory g_factory;

}  // namespace

HINSTANCE ModuleHandle() noexcept { return g_module; }
void ObjectCreated() noexcept { ++g_objects; }
void ObjectDestroyed() noexcept { --g_objects; }
void LockModule(bool lock) noexcept { lock ? ++g_locks : --g_locks; }
// Forms count on whatever thread they live, also a persisted one that
// outlived the thread's last object: their handlers and window procedures
// are in this module.
bool ModuleInUse() noexcept {
  return g_objects.load() > 0 || g_locks.load() > 0 || g_factory_refs.load() > 0 ||
         form::Fbox::LiveForms() > 0 || win32::LiveAccessibleObjects() > 0;
}

namespace {
SlimLock g_type_info_guard;
ComPtr<ITypeInfo> g_type_info;
}  // namespace

HRESULT WindowTypeInfo(ITypeInfo** info) {
  std::lock_guard<SlimLock> lock(g_type_info_guard);
  if (!g_type_info) {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(g_module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return HRESULT_FROM_WIN32(GetLastError());
    ComPtr<ITypeLib> library;
    HRESULT hr = LoadTypeLibEx(path, REGKIND_NONE, &library);
    if (FAILED(hr)) return hr;
    hr = library->GetTypeInfoOfGuid(IID__Window2, &g_type_info);
    if (FAILED(hr)) return hr;
  }
  *info = g_type_info.Get();
  (*info)->AddRef();
  return S_OK;
}

}  // namespace brivet::com

using namespace brivet::com;

#if defined(__GLIBCXX__)
// Frees the emergency pool for exceptions that the statically linked C++
// runtime allocates at load (some 70 KiB) and otherwise keeps after an unload.
namespace __gnu_cxx {
void __freeres() noexcept;
}
#endif

namespace {

// The C++ runtime's thread layer gives a thread a record (a duplicate of its
// handle, an event) the first time it passes a once-only initialisation or
// meets an exception: on 32-bit, the unwinder's frame registration at every
// load gives one to the loading thread. The runtime's thread-exit callback
// frees it, but the loader never calls that for a thread that outlives the
// module, so its handles stay open for good. Running the module's
// thread-exit callbacks for the calling thread frees it at once (only
// memory and handles, so also under the loader lock); a later use simply
// makes a new one.
void EndRuntimeThreadState() noexcept {
  const auto* base = reinterpret_cast<const BYTE*>(g_module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& entry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_TLS];
  if (entry.VirtualAddress == 0 || entry.Size == 0) return;
  const auto* tls = reinterpret_cast<const IMAGE_TLS_DIRECTORY*>(base + entry.VirtualAddress);
  for (auto* callback = reinterpret_cast<const PIMAGE_TLS_CALLBACK*>(tls->AddressOfCallBacks);
       callback && *callback; ++callback)
    (*callback)(g_module, DLL_THREAD_DETACH, nullptr);
}

}  // namespace

// Under the loader lock nothing may touch user32, GDI, COM or the loader,
// nor wait for another thread; only memory is freed. So:
// - A thread's end only sets its dialog state aside (memory); the system
//   ends the thread's windows, and what else the state holds is let go by
//   the next creation or unload check, outside the loader lock.
// - The window classes, and every window of any thread, keep the module
//   loaded (a reference of its own, dropped by a thread that ends in the
//   system): no window can outlive the code and data it calls.
// - An unload therefore finds no window. DllCanUnloadNow has released the
//   platform (the one place where the services' libraries and handles are
//   let go) unless the host unloads without asking; then it is left as is.
// - The loading and the unloading thread, which outlive the module, leave
//   no runtime thread record behind.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    EndRuntimeThreadState();
  } else if (reason == DLL_THREAD_DETACH) {
    brivet::win32::EndWin32Thread();
  } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
    brivet::win32::AbandonWin32Platform();
    (void)g_type_info.Detach();  // releasing it is a call into COM
#if defined(__GLIBCXX__)
    __gnu_cxx::__freeres();
#endif
    EndRuntimeThreadState();
  }
  return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (clsid != CLSID_Window) return CLASS_E_CLASSNOTAVAILABLE;
  return g_factory.QueryInterface(riid, out);
}

// Yes only once nothing of the module is left in any thread, a factory a
// host holds included; the platform and the cached type information are
// released here, outside the loader lock, before the answer.
extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  if (!brivet::win32::ReleaseWin32PlatformUnless(ModuleInUse)) return S_FALSE;
  {
    std::lock_guard<SlimLock> lock(g_type_info_guard);
    g_type_info.Reset();
  }
  // The unload may come from another thread, the pin's or a host's: this
  // one may outlive the module.
  EndRuntimeThreadState();
  return S_OK;
}
