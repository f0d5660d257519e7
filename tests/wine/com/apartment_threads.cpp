// A host that uses the component on apartment threads of its own, as many at
// once, with and without an object held by its main thread; after each set of
// threads the library must be unloadable, gone, and load again for the next.
//
//   apartment_threads <rounds>
//
// Each set starts its threads one after the other, each showing a dialog
// titled "threads-<round>-<set>-<thread>" once the one before is on screen
// (with an object on the main thread, every second one keeps its form with
// Persist), and prints "shown" with the titles; whoever runs it closes them
// by their close boxes, the last shown first. Every line that starts with FAIL is a
// fault; the last line is "END". Exit code 0 when nothing failed.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "robustness.h"

namespace {

constexpr int kThreadCounts[] = {1, 2, 8};
// Long enough for whoever answers the dialogs; a hang check, nothing more.
constexpr DWORD kOnScreenTimeoutMs = 60000;
constexpr DWORD kDismissTimeoutMs = 120000;
// From the end of a thread's work to the end of the thread.
constexpr DWORD kThreadEndTimeoutMs = 1000;

CLSID g_clsid;
std::atomic<long> g_failures{0};

void Fail(const std::string& what) {
  std::printf("FAIL %s\n", what.c_str());
  std::fflush(stdout);
  ++g_failures;
}

// A thread that hangs holds the loader lock more often than not, and then
// the process cannot even exit: report and go.
[[noreturn]] void Abandon(const std::string& what) {
  Fail(what);
  std::printf("END\n");
  std::fflush(stdout);
  TerminateProcess(GetCurrentProcess(), 2);
  std::abort();
}

HWND VisibleForm(const std::wstring& title) {
  HWND form = FindWindowW(L"BrivetForm", title.c_str());
  return form && IsWindowVisible(form) ? form : nullptr;
}

bool WaitOnScreen(const std::wstring& title, HANDLE ended) {
  const ULONGLONG deadline = GetTickCount64() + kOnScreenTimeoutMs;
  while (!VisibleForm(title)) {
    if (GetTickCount64() >= deadline) return false;
    if (robustness::WaitPumping(ended, 20)) return false;  // the thread gave up first
  }
  return true;
}

struct Worker {
  std::wstring title;
  HANDLE thread = nullptr;
  HANDLE done = nullptr;  // set when its work is over, just before it returns
  // Keeps its form past its last object, so that the thread's end must
  // take the form and its window along.
  bool persist = false;
  std::atomic<long>* dismissals = nullptr;
  long dismissed_as = -1;  // 0 for the first dialog of the set to go
  long response = -1;
};

std::string Narrow(const std::wstring& wide) { return std::string(wide.begin(), wide.end()); }

std::string Hex(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lx", static_cast<unsigned long>(hr));
  return text;
}

DWORD WINAPI RunWorker(void* param) {
  Worker& w = *static_cast<Worker*>(param);
  const std::string name = Narrow(w.title);
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
    Fail(name + ": CoInitializeEx failed");
    SetEvent(w.done);
    return 1;
  }
  IDispatch* object = nullptr;
  const HRESULT created =
      CoCreateInstance(g_clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(&object));
  if (FAILED(created)) {
    Fail(name + ": creation answered " + Hex(created));
  } else {
    // The type information is cached by the library; it must not keep it.
    ITypeInfo* info = nullptr;
    if (SUCCEEDED(object->GetTypeInfo(0, 1033, &info))) info->Release();
    else Fail(name + ": GetTypeInfo failed");
    robustness::Client client(object);
    VARIANT title = robustness::Text(w.title.c_str());
    VARIANT response;
    VariantInit(&response);
    VARIANT persist = robustness::Flag(w.persist);
    if (client.Call(L"Title", DISPATCH_PROPERTYPUT, {title}) &&
        client.Call(L"Persist", DISPATCH_PROPERTYPUT, {persist}) && client.Call(L"Show", DISPATCH_METHOD, {})) {
      w.dismissed_as = (*w.dismissals)++;
      if (client.Call(L"Response", DISPATCH_METHOD, {}, &response) && SUCCEEDED(VariantChangeType(&response, &response, 0, VT_I4)))
        w.response = V_I4(&response);
    } else {
      Fail(name + ": the dialog was not shown");
    }
    VariantClear(&title);
    VariantClear(&response);
    object->Release();
  }
  CoUninitialize();
  SetEvent(w.done);
  return 0;
}

// One set: `count` threads, each with its dialog on screen at once, closed
// in reverse order by whoever runs this; then the library must go.
void RunSet(int round, int set, int count, bool main_object) {
  IDispatch* held = nullptr;
  if (main_object &&
      FAILED(CoCreateInstance(g_clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(&held)))) {
    Fail("set " + std::to_string(set) + ": the main thread's object was not created");
    return;
  }
  std::atomic<long> dismissals{0};
  std::vector<Worker> workers(static_cast<size_t>(count));
  std::string shown = "shown";
  for (int i = 0; i < count; ++i) {
    Worker& w = workers[static_cast<size_t>(i)];
    w.title = L"threads-" + std::to_wstring(round) + L"-" + std::to_wstring(set) + L"-" + std::to_wstring(i);
    w.dismissals = &dismissals;
    w.persist = main_object && i % 2 == 1;
    w.done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    w.thread = CreateThread(nullptr, 0, RunWorker, &w, 0, nullptr);
    if (!w.done || !w.thread) Abandon(Narrow(w.title) + ": could not start its thread");
    // Shown one after the other, so the last one shown is on top.
    if (!WaitOnScreen(w.title, w.done)) Abandon(Narrow(w.title) + ": the dialog did not come on screen");
    shown += ' ';
    shown += Narrow(w.title);
  }
  std::printf("%s\n", shown.c_str());
  std::fflush(stdout);
  const HMODULE library = GetModuleHandleW(L"brivet.dll");
  WNDCLASSEXW form_class{};
  form_class.cbSize = sizeof form_class;
  if (!GetClassInfoExW(library, L"BrivetForm", &form_class))
    Fail(Narrow(workers.back().title) + ": the form's window class is not found while it is on screen");

  for (int i = count - 1; i >= 0; --i) {
    Worker& w = workers[static_cast<size_t>(i)];
    const std::string name = Narrow(w.title);
    if (!robustness::WaitPumping(w.done, kDismissTimeoutMs)) Abandon(name + ": the dialog was not dismissed");
    if (WaitForSingleObject(w.thread, kThreadEndTimeoutMs) != WAIT_OBJECT_0)
      Abandon(name + ": the thread did not end within a second of its last call");
    if (w.dismissed_as != count - 1 - i)
      Fail(name + ": dismissed as number " + std::to_string(w.dismissed_as) + ", not in reverse order");
    if (w.response != 0) Fail(name + ": Response answered " + std::to_string(w.response) + ", not 0");
    CloseHandle(w.thread);
    CloseHandle(w.done);
  }
  if (held) held->Release();
  CoFreeUnusedLibrariesEx(0, 0);
  const std::string where = "round " + std::to_string(round) + " set " + std::to_string(set);
  if (!robustness::WaitLibraryGone(L"brivet.dll"))
    Fail(where + ": the library is still loaded once nothing of it is in use");
  if (GetClassInfoExW(library, L"BrivetForm", &form_class))
    Fail(where + ": the form's window class outlived the library");
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 1;
  if (!robustness::StartComHost(g_clsid)) return 1;
  const bool flat = robustness::RoundsStayFlat("threads", rounds, [](int round) {
    int set = 0;
    for (const bool main_object : {false, true})
      for (const int count : kThreadCounts) RunSet(round, set++, count, main_object);
  });
  if (!flat) ++g_failures;
  std::printf("%d rounds, %ld failures\nEND\n", rounds, g_failures.load());
  std::fflush(stdout);
  CoUninitialize();
  return g_failures.load() == 0 ? 0 : 1;
}
