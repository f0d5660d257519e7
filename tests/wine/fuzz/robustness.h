// Shared by the dispatch fuzzer and the soak: the process's resource figures,
// a dialog answerer that runs on the caller's thread, and a seeded generator.
#pragma once

#include <windows.h>
#include <psapi.h>
#include <oleauto.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <initializer_list>
#include <fstream>
#include <string>

#include "picture_samples.h"

namespace robustness {

// splitmix64: small, fast and the same on every compiler.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  uint32_t Below(uint32_t n) { return static_cast<uint32_t>(Next() % n); }
  bool Chance(uint32_t one_in) { return Below(one_in) == 0; }

 private:
  uint64_t state_;
};

// Windows of this process, top-level and child: the user objects a dialog
// leaks first. Counted by walking, since the system's own user-object count
// may not be kept (it reads 0 under Wine).
inline BOOL CALLBACK CountChild(HWND, LPARAM count) {
  ++*reinterpret_cast<long*>(count);
  return TRUE;
}
inline BOOL CALLBACK CountTop(HWND hwnd, LPARAM count) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != GetCurrentProcessId()) return TRUE;
  ++*reinterpret_cast<long*>(count);
  EnumChildWindows(hwnd, CountChild, count);
  return TRUE;
}
inline long ProcessWindowCount() {
  long count = 0;
  EnumWindows(CountTop, reinterpret_cast<LPARAM>(&count));
  // Message-only windows are not top-level windows of the desktop.
  for (HWND w = nullptr; (w = FindWindowExW(HWND_MESSAGE, w, nullptr, nullptr)) != nullptr;) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == GetCurrentProcessId()) ++count;
  }
  return count;
}

// Live drawing objects of the process, by kind (OBJ_PEN to OBJ_COLORSPACE)
// where they can be told apart. Where the system keeps no count (Wine
// answers 0), every slot of the handle table is probed: a handle value
// without its generation word names whatever lives in that slot.
struct GdiObjects {
  long total = 0;
  long by_kind[OBJ_COLORSPACE + 1] = {};
};
inline GdiObjects GdiObjectCount() {
  GdiObjects objects;
  const DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (counted != 0) {
    objects.total = static_cast<long>(counted);
    return objects;
  }
  for (uintptr_t slot = 1; slot < 0x10000; ++slot) {
    const DWORD kind = GetObjectType(reinterpret_cast<HGDIOBJ>(slot));
    if (kind == 0) continue;
    ++objects.total;
    if (kind <= OBJ_COLORSPACE) ++objects.by_kind[kind];
  }
  return objects;
}

inline long UserObjectCount() {
  const DWORD counted = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  return counted != 0 ? static_cast<long>(counted) : ProcessWindowCount();
}

// Committed private memory, summed over the address space where the
// system's own figure is not kept (Wine answers 0).
inline long long PrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof(memory);
  if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                           sizeof(memory)) &&
      memory.PrivateUsage != 0)
    return static_cast<long long>(memory.PrivateUsage);
  long long total = 0;
  MEMORY_BASIC_INFORMATION region;
  for (const char* at = nullptr; VirtualQuery(at, &region, sizeof region) == sizeof region;) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += static_cast<long long>(region.RegionSize);
    const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    if (next <= at) break;
    at = next;
  }
  return total;
}

// Open kernel handles. Where the system gives no count (Wine answers 0),
// the low handle values are probed: handles are handed out lowest first.
inline long HandleCount() {
  DWORD counted = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &counted) && counted != 0) return static_cast<long>(counted);
  long live = 0;
  DWORD flags;
  for (uintptr_t value = 4; value < 4 * 16384; value += 4)
    if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++live;
  return live;
}

struct Figures {
  long long private_bytes = 0;
  long gdi = 0;
  GdiObjects gdi_kinds;
  long user = 0;
  long handles = 0;
};

inline Figures Measure() {
  Figures f;
  f.private_bytes = PrivateBytes();
  f.gdi_kinds = GdiObjectCount();
  f.gdi = f.gdi_kinds.total;
  f.user = UserObjectCount();
  f.handles = HandleCount();
  return f;
}

inline void Print(const char* label, const Figures& f) {
  std::printf("%s: private %lld KiB, gdi %ld, user %ld, handles %ld\n", label, f.private_bytes / 1024,
              f.gdi, f.user, f.handles);
  std::fflush(stdout);
}

// Growth allowed past the warm-up: a fixed bound, not a share of the run.
struct Bounds {
  long long private_bytes = 4 * 1024 * 1024;
  long gdi = 8;
  long user = 4;
  long handles = 8;
};

// Prints a line per figure that grew beyond its bound; true when none did.
inline bool WithinBounds(const char* what, const Figures& start, const Figures& end,
                         const Bounds& bounds = Bounds()) {
  bool ok = true;
  auto check = [&](const char* name, long long a, long long b, long long bound) {
    if (b - a <= bound) return true;
    std::printf("FAIL %s: %s grew from %lld to %lld (bound %lld)\n", what, name, a, b, bound);
    ok = false;
    return false;
  };
  check("private bytes", start.private_bytes, end.private_bytes, bounds.private_bytes);
  if (!check("gdi objects", start.gdi, end.gdi, bounds.gdi)) {
    static const char* const kKinds[] = {"",       "pen",    "brush",    "dc",    "metadc",
                                         "palette", "font", "bitmap", "region", "metafile",
                                         "memdc",  "extpen", "enhmetadc", "enhmetafile", "colorspace"};
    for (int k = 1; k <= OBJ_COLORSPACE; ++k)
      if (start.gdi_kinds.by_kind[k] != end.gdi_kinds.by_kind[k])
        std::printf("gdi %s: %ld to %ld\n", kKinds[k], start.gdi_kinds.by_kind[k], end.gdi_kinds.by_kind[k]);
  }
  check("user objects", start.user, end.user, bounds.user);
  check("handles", start.handles, end.handles, bounds.handles);
  return ok;
}

// Wine keeps the drawing contexts it lends to windows (a DC and its region
// each) and grows that cache to the most ever lent at once; with several
// threads painting together that most creeps up over many rounds. Hosts with
// threads leave those two kinds out of their judgement; every other counts.
inline Figures WithoutLentContexts(Figures figures) {
  long& contexts = figures.gdi_kinds.by_kind[OBJ_DC];
  long& regions = figures.gdi_kinds.by_kind[OBJ_REGION];
  figures.gdi -= contexts + regions;
  contexts = regions = 0;
  return figures;
}

// The rounds of a host that loads and unloads the library: each round, then
// its figures. The system keeps some things for good (fonts, classes, cached
// drawing contexts that grow to the most ever in use at once), so growth is
// judged over the second half of the run. False when it went beyond bounds.
template <typename Round>
bool RoundsStayFlat(const char* what, int rounds, Round&& round) {
  Figures warm{};
  for (int r = 1; r <= rounds; ++r) {
    round(r);
    const Figures now = Measure();
    Print(("after round " + std::to_string(r)).c_str(), now);
    if (r == (rounds + 1) / 2) warm = now;
  }
  return rounds <= 1 || WithinBounds(what, WithoutLentContexts(warm), WithoutLentContexts(Measure()));
}

// A host's start: its apartment and the registered class; prints the lines
// a run that cannot start ends with.
inline bool StartComHost(CLSID& clsid) {
  if (SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) &&
      SUCCEEDED(CLSIDFromProgID(L"Brivet.Window", &clsid)))
    return true;
  std::printf("FAIL Brivet.Window is not registered\nEND\n");
  return false;
}

// Waits for a kernel object while the calling thread's messages keep flowing.
inline bool WaitPumping(HANDLE handle, DWORD timeout_ms) {
  const ULONGLONG deadline = GetTickCount64() + timeout_ms;
  for (;;) {
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return false;
    const DWORD waited =
        MsgWaitForMultipleObjects(1, &handle, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
    if (waited == WAIT_OBJECT_0) return true;
    if (waited != WAIT_OBJECT_0 + 1) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

// Waits until the process has let go of a library; a library's last
// reference may be dropped by a thread of its own a moment after the call
// that let go of the host's. False once `timeout_ms` passed first.
inline bool WaitLibraryGone(const wchar_t* name, DWORD timeout_ms = 10000) {
  const ULONGLONG deadline = GetTickCount64() + timeout_ms;
  while (GetModuleHandleW(name)) {
    if (GetTickCount64() >= deadline) return false;
    Sleep(1);
  }
  return true;
}

// Answers whatever modal window the thread shows: the dialog form by one of
// its buttons or by its close box, in turn; a standard chooser (a dialog of
// the system's dialog class) by its cancel command. A thread timer does the
// polling; it fires inside whichever modal loop runs.
class Answerer {
 public:
  Answerer() {
    instance_ = this;
    timer_ = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, &Answerer::Tick);
  }
  ~Answerer() {
    if (timer_) KillTimer(nullptr, timer_);
    instance_ = nullptr;
  }
  Answerer(const Answerer&) = delete;
  Answerer& operator=(const Answerer&) = delete;

  long forms_answered() const { return forms_; }
  long choosers_cancelled() const { return choosers_; }
  // The next form is answered by its close box (true) or by a button.
  void set_close_next(bool close) { close_next_ = close; }

 private:
  struct Search {
    HWND form = nullptr;
    HWND chooser = nullptr;
  };
  static BOOL CALLBACK FindShown(HWND hwnd, LPARAM param) {
    if (!IsWindowVisible(hwnd)) return TRUE;
    auto* search = reinterpret_cast<Search*>(param);
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    if (wcscmp(name, L"BrivetForm") == 0) search->form = hwnd;
    else if (wcscmp(name, L"#32770") == 0) search->chooser = hwnd;
    return TRUE;
  }
  struct ButtonSearch {
    HWND button = nullptr;
  };
  static BOOL CALLBACK FindButton(HWND hwnd, LPARAM param) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    if (_wcsicmp(name, L"Button") == 0 && IsWindowVisible(hwnd)) {
      reinterpret_cast<ButtonSearch*>(param)->button = hwnd;
      return FALSE;
    }
    return TRUE;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    Answerer* self = instance_;
    if (!self) return;
    Search search;
    EnumThreadWindows(GetCurrentThreadId(), FindShown, reinterpret_cast<LPARAM>(&search));
    if (search.chooser) {
      if (search.chooser != self->last_) {
        self->last_ = search.chooser;
        ++self->choosers_;
      }
      PostMessageW(search.chooser, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      return;
    }
    if (!search.form) return;
    ButtonSearch button;
    if (!self->close_next_) EnumChildWindows(search.form, FindButton, reinterpret_cast<LPARAM>(&button));
    if (button.button) {
      // What a click on the button reports to the control's parent.
      PostMessageW(GetParent(button.button), WM_COMMAND,
                   MAKEWPARAM(GetDlgCtrlID(button.button), BN_CLICKED),
                   reinterpret_cast<LPARAM>(button.button));
    } else {
      PostMessageW(search.form, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    ++self->forms_;
  }

  static inline Answerer* instance_ = nullptr;
  UINT_PTR timer_ = 0;
  HWND last_ = nullptr;
  long forms_ = 0;
  long choosers_ = 0;
  bool close_next_ = false;
};

// A small bitmap in the temporary folder, so that Picture has one to load.
inline std::wstring WriteScratchPicture(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  const std::wstring path = std::wstring(folder) + name;
  std::ofstream(std::filesystem::path(path), std::ios::binary | std::ios::trunc)
      << brivet::contract::SamplePicture(brivet::contract::PictureKind::Bitmap);
  return path;
}

// Calls by name through IDispatch, as a script host makes them.
class Client {
 public:
  explicit Client(IDispatch* object) : object_(object) {}

  // A named call through GetIDsOfNames and Invoke; false on any failure.
  bool Call(const wchar_t* name, WORD flags, std::initializer_list<VARIANT> args, VARIANT* result = nullptr) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id;
    if (FAILED(object_->GetIDsOfNames(IID_NULL, names, 1, 1033, &id))) return Failed(name, E_FAIL);
    VARIANT list[4];
    UINT count = 0;
    for (const VARIANT& a : args) list[args.size() - 1 - count++] = a;  // last argument first
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params{list, flags == DISPATCH_PROPERTYPUT ? &put : nullptr, count,
                      flags == DISPATCH_PROPERTYPUT ? 1u : 0u};
    EXCEPINFO exception{};
    const HRESULT hr = object_->Invoke(id, IID_NULL, 1033, flags, &params, result, &exception, nullptr);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    return SUCCEEDED(hr) || Failed(name, hr);
  }

 private:
  static bool Failed(const wchar_t* name, HRESULT hr) {
    std::printf("FAIL %ls: 0x%08lx\n", name, static_cast<unsigned long>(hr));
    return false;
  }
  IDispatch* object_;
};

inline VARIANT Text(const wchar_t* text) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = SysAllocString(text);
  return v;
}
inline VARIANT Number(LONG n) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_I4;
  V_I4(&v) = n;
  return v;
}
inline VARIANT Flag(bool b) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BOOL;
  V_BOOL(&v) = b ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}
inline VARIANT Ref(VARIANT* variable) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BYREF | VT_VARIANT;
  V_VARIANTREF(&v) = variable;
  return v;
}

// One cycle; `close` dismisses by the close box instead of a button.
}  // namespace robustness
