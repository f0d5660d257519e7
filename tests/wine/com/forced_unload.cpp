// A host that lets go of the library while another of its threads keeps a
// persisted form and pumps its messages, and one that holds the class
// factory across an unload check.
//
//   forced_unload <rounds>
//
// First the factory: held through CoFreeUnusedLibrariesEx, it must keep the
// library and still create objects. Then each round, once through COM and
// once with the library loaded by the host itself: a keeper thread leaves a
// persisted form behind and pumps; the main thread releases its own object
// and lets go of the library (CoFreeUnusedLibrariesEx, or FreeLibrary),
// broadcasts WM_SETTINGCHANGE, then creates a new object whose dialog must
// come up and answer. Once the keeper has ended, the library must unload.
// Every line that starts with FAIL is a fault; the last line is "END".
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "robustness.h"

namespace {

constexpr const wchar_t* kLibrary = L"brivet.dll";
// A hang check for a whole round, nothing more.
constexpr DWORD kRoundTimeoutMs = 120000;

CLSID g_clsid;
std::wstring g_path;  // the library's file, for the host's own loads
std::atomic<long> g_failures{0};
std::atomic<ULONGLONG> g_round_deadline{0};

void Fail(const std::string& what) {
  std::printf("FAIL %s\n", what.c_str());
  std::fflush(stdout);
  ++g_failures;
}

// A round that hangs most likely holds the loader lock: report and go.
DWORD WINAPI Watchdog(void*) {
  for (;;) {
    Sleep(1000);
    const ULONGLONG deadline = g_round_deadline.load();
    if (deadline != 0 && GetTickCount64() > deadline) {
      Fail("a round did not end within two minutes");
      std::printf("END\n");
      std::fflush(stdout);
      TerminateProcess(GetCurrentProcess(), 2);
    }
  }
}

using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using CanUnloadNow = HRESULT(STDAPICALLTYPE*)();

// The host's own load of the library, as a host without COM makes it.
struct OwnLoad {
  explicit OwnLoad(bool load = true) : module(load ? LoadLibraryW(g_path.c_str()) : nullptr) {}
  HMODULE module;
  template <typename F>
  F Entry(const char* name) const {
    return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
  }
  IClassFactory* Factory() const {
    IClassFactory* factory = nullptr;
    auto get = Entry<GetClassObject>("DllGetClassObject");
    if (!get || FAILED(get(g_clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)))) return nullptr;
    return factory;
  }
  HRESULT CanUnload() const {
    auto can = Entry<CanUnloadNow>("DllCanUnloadNow");
    return can ? can() : E_FAIL;
  }
  void Free() {
    if (module) FreeLibrary(module);
    module = nullptr;
  }
};

IDispatch* Create(IClassFactory* factory) {
  IDispatch* object = nullptr;
  const HRESULT hr = factory ? factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&object))
                             : CoCreateInstance(g_clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                                reinterpret_cast<void**>(&object));
  return SUCCEEDED(hr) ? object : nullptr;
}

// The factory: held across an unload check it keeps the library, and
// creates objects after it.
void FactorySequence() {
  IClassFactory* factory = nullptr;
  if (FAILED(CoGetClassObject(g_clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                              reinterpret_cast<void**>(&factory)))) {
    Fail("factory: CoGetClassObject failed");
    return;
  }
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(GetModuleHandleW(kLibrary), path, MAX_PATH);
  g_path = path;
  CoFreeUnusedLibrariesEx(0, 0);
  if (!GetModuleHandleW(kLibrary)) {
    Fail("factory: the library was unloaded while the host held its factory");
    TerminateProcess(GetCurrentProcess(), 1);  // the next call would be into freed code
  }
  IDispatch* object = Create(factory);
  if (!object) Fail("factory: the held factory created nothing after the unload check");
  VARIANT title = robustness::Text(L"factory");
  if (object && !robustness::Client(object).Call(L"Title", DISPATCH_PROPERTYPUT, {title}))
    Fail("factory: the object it made does not work");
  VariantClear(&title);
  if (object) object->Release();
  factory->Release();
  CoFreeUnusedLibrariesEx(0, 0);
  if (!robustness::WaitLibraryGone(kLibrary)) Fail("factory: the library stayed once the factory was released");
}

struct Keeper {
  std::wstring title;
  IClassFactory* factory = nullptr;  // the host's own load; COM when null
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE thread = nullptr;
};

// Leaves a persisted form behind, without any object, and pumps messages
// until told to stop; its end takes the form along.
DWORD WINAPI RunKeeper(void* param) {
  Keeper& k = *static_cast<Keeper*>(param);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (IDispatch* object = Create(k.factory)) {
    robustness::Client client(object);
    VARIANT title = robustness::Text(k.title.c_str());
    VARIANT persist = robustness::Flag(true);
    if (!client.Call(L"Persist", DISPATCH_PROPERTYPUT, {persist}) ||
        !client.Call(L"Title", DISPATCH_PROPERTYPUT, {title}))
      Fail("keeper: its form was not set up");
    VariantClear(&title);
    object->Release();
  } else {
    Fail("keeper: no object");
  }
  SetEvent(k.ready);
  robustness::WaitPumping(k.stop, INFINITE);
  CoUninitialize();
  return 0;
}

// A new object's dialog, answered by its first button.
void ShowFresh(IClassFactory* factory, const std::string& where) {
  IDispatch* object = Create(factory);
  if (!object) {
    Fail(where + ": no new object after the library was let go");
    return;
  }
  robustness::Client client(object);
  VARIANT title = robustness::Text(L"fresh");
  VARIANT one = robustness::Number(1);
  VARIANT response;
  VariantInit(&response);
  robustness::Answerer answerer;
  if (!client.Call(L"Title", DISPATCH_PROPERTYPUT, {title}) ||
      !client.Call(L"ShowButtons", DISPATCH_PROPERTYPUT, {one}) || !client.Call(L"Show", DISPATCH_METHOD, {}) ||
      !client.Call(L"Response", DISPATCH_METHOD, {}, &response) ||
      FAILED(VariantChangeType(&response, &response, 0, VT_I4)) || V_I4(&response) != 1)
    Fail(where + ": the new dialog did not answer with its button");
  VariantClear(&title);
  VariantClear(&response);
  object->Release();
}

void Broadcast(const std::wstring& keeper_title, const std::string& where) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"intl"),
                      SMTO_ABORTIFHUNG, 10000, &result);
  // And straight to the kept form, which must still answer.
  HWND kept = FindWindowW(L"BrivetForm", keeper_title.c_str());
  if (!kept) Fail(where + ": the kept form is gone while its thread runs");
  else if (!SendMessageTimeoutW(kept, WM_SETTINGCHANGE, 0, 0, SMTO_ABORTIFHUNG, 10000, &result))
    Fail(where + ": the kept form does not answer");
}

void RunRound(int round, bool own_load) {
  const std::string where = "round " + std::to_string(round) + (own_load ? " (own load)" : " (COM)");
  g_round_deadline = GetTickCount64() + kRoundTimeoutMs;
  OwnLoad first(own_load);  // COM loads it for itself otherwise
  if (own_load && !first.module) {
    Fail(where + ": LoadLibrary failed");
    return;
  }
  Keeper keeper;
  keeper.title = L"keeper-" + std::to_wstring(round);
  keeper.factory = own_load ? first.Factory() : nullptr;
  keeper.thread = CreateThread(nullptr, 0, RunKeeper, &keeper, 0, nullptr);
  if (!keeper.thread || !robustness::WaitPumping(keeper.ready, INFINITE)) Fail(where + ": the keeper did not start");

  // The main thread's own use, then it lets go of the library.
  IDispatch* own = Create(own_load ? keeper.factory : nullptr);
  if (!own) Fail(where + ": no object on the main thread");
  else own->Release();
  if (own_load) {
    if (keeper.factory) keeper.factory->Release();
    first.Free();
  } else {
    CoFreeUnusedLibrariesEx(0, 0);
  }
  if (!GetModuleHandleW(kLibrary)) Fail(where + ": unloaded under the kept form");

  Broadcast(keeper.title, where);
  if (own_load) {
    OwnLoad again;
    IClassFactory* factory = again.Factory();
    if (!factory) Fail(where + ": no factory from a new load");
    ShowFresh(factory, where);
    if (factory) factory->Release();
    if (again.CanUnload() != S_FALSE) Fail(where + ": the unload check said yes while the form was kept");
    again.Free();
  } else {
    ShowFresh(nullptr, where);
  }

  SetEvent(keeper.stop);
  if (keeper.thread) WaitForSingleObject(keeper.thread, INFINITE);
  // The keeper's end took its form along; the next check lets go of the rest.
  if (own_load) {
    OwnLoad last;
    if (last.CanUnload() != S_OK) Fail(where + ": the unload check said no once the keeper had ended");
    last.Free();
  } else {
    CoFreeUnusedLibrariesEx(0, 0);
  }
  if (!robustness::WaitLibraryGone(kLibrary)) Fail(where + ": the library stayed once nothing used it");
  if (keeper.thread) CloseHandle(keeper.thread);
  CloseHandle(keeper.ready);
  CloseHandle(keeper.stop);
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 1;
  if (!robustness::StartComHost(g_clsid)) return 1;
  if (HANDLE watchdog = CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr)) CloseHandle(watchdog);
  FactorySequence();
  const bool flat = robustness::RoundsStayFlat("forced unload", rounds, [](int round) {
    RunRound(round, false);
    RunRound(round, true);
  });
  g_round_deadline = 0;
  if (!flat) ++g_failures;
  std::printf("%d rounds, %ld failures\nEND\n", rounds, g_failures.load());
  std::fflush(stdout);
  CoUninitialize();
  return g_failures.load() == 0 ? 0 : 1;
}
