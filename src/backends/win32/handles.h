// Small owners for Win32 handles and COM pointers: each releases what it
// holds exactly once, on destruction or reset.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <mutex>
#include <string>
#include <utility>

#include "core/error.h"

namespace brivet::win32 {

// A movable owner; Traits gives the handle type, its empty value and Close.
template <typename Traits>
class Unique {
 public:
  using Handle = typename Traits::Handle;

  Unique() noexcept = default;
  explicit Unique(Handle h) noexcept : h_(h) {}
  ~Unique() { reset(); }
  Unique(Unique&& other) noexcept : h_(other.release()) {}
  Unique& operator=(Unique&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  Unique(const Unique&) = delete;
  Unique& operator=(const Unique&) = delete;

  Handle get() const noexcept { return h_; }
  explicit operator bool() const noexcept { return h_ != Traits::Empty(); }
  Handle release() noexcept { return std::exchange(h_, Traits::Empty()); }
  void reset(Handle h = Traits::Empty()) noexcept {
    const Handle old = std::exchange(h_, h);
    if (old != Traits::Empty()) Traits::Close(old);
  }

 private:
  Handle h_ = Traits::Empty();
};

struct WindowTraits {
  using Handle = HWND;
  static Handle Empty() noexcept { return nullptr; }
  static void Close(Handle h) noexcept { DestroyWindow(h); }
};

template <typename G>
struct GdiTraits {
  using Handle = G;
  static Handle Empty() noexcept { return nullptr; }
  static void Close(Handle h) noexcept { DeleteObject(h); }
};

struct IconTraits {
  using Handle = HICON;
  static Handle Empty() noexcept { return nullptr; }
  static void Close(Handle h) noexcept { DestroyIcon(h); }
};

struct MemoryDcTraits {
  using Handle = HDC;
  static Handle Empty() noexcept { return nullptr; }
  static void Close(Handle h) noexcept { DeleteDC(h); }
};

struct FileTraits {
  using Handle = HANDLE;
  static Handle Empty() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Handle h) noexcept { CloseHandle(h); }
};

// Kernel objects whose functions answer NULL on failure (mutexes, threads).
struct KernelObjectTraits {
  using Handle = HANDLE;
  static Handle Empty() noexcept { return nullptr; }
  static void Close(Handle h) noexcept { CloseHandle(h); }
};

struct GlobalTraits {
  using Handle = HGLOBAL;
  static Handle Empty() noexcept { return nullptr; }
  static void Close(Handle h) noexcept { GlobalFree(h); }
};

struct RegistryKeyTraits {
  using Handle = HKEY;
  static Handle Empty() noexcept { return nullptr; }
  static void Close(Handle h) noexcept { RegCloseKey(h); }
};

struct LibraryTraits {
  using Handle = HMODULE;
  static Handle Empty() noexcept { return nullptr; }
  static void Close(Handle h) noexcept { FreeLibrary(h); }
};

using UniqueWindow = Unique<WindowTraits>;
using UniqueLibrary = Unique<LibraryTraits>;
using UniqueRegistryKey = Unique<RegistryKeyTraits>;
using UniqueFont = Unique<GdiTraits<HFONT>>;
using UniqueBrush = Unique<GdiTraits<HBRUSH>>;
using UniquePen = Unique<GdiTraits<HPEN>>;
using UniqueBitmap = Unique<GdiTraits<HBITMAP>>;
using UniqueIcon = Unique<IconTraits>;
using UniqueMemoryDc = Unique<MemoryDcTraits>;
using UniqueFile = Unique<FileTraits>;
using UniqueKernelObject = Unique<KernelObjectTraits>;
using UniqueGlobal = Unique<GlobalTraits>;

// A window's client DC, from GetDC (nullptr: the screen).
class WindowDc {
 public:
  explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {
    if (!dc_) throw Error::Toolkit("GetDC failed");
  }
  ~WindowDc() { ReleaseDC(hwnd_, dc_); }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const noexcept { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// BeginPaint ... EndPaint for one WM_PAINT.
class PaintScope {
 public:
  explicit PaintScope(HWND hwnd) : hwnd_(hwnd) { BeginPaint(hwnd_, &ps_); }
  ~PaintScope() { EndPaint(hwnd_, &ps_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC dc() const noexcept { return ps_.hdc; }

 private:
  HWND hwnd_;
  PAINTSTRUCT ps_{};
};

// Selects a GDI object into a DC and puts the previous one back.
class SelectScope {
 public:
  SelectScope(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
  ~SelectScope() { SelectObject(dc_, old_); }
  SelectScope(const SelectScope&) = delete;
  SelectScope& operator=(const SelectScope&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// Saves a DC's state (objects, colours, modes) and restores it.
class DcStateScope {
 public:
  explicit DcStateScope(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
  ~DcStateScope() { RestoreDC(dc_, saved_); }
  DcStateScope(const DcStateScope&) = delete;
  DcStateScope& operator=(const DcStateScope&) = delete;

 private:
  HDC dc_;
  int saved_;
};

// One reference to a COM object.
using Microsoft::WRL::ComPtr;

// Initialises COM on this thread for a scope when it is not yet initialised
// (a thread already in another apartment keeps it).
class ComScope {
 public:
  ComScope() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComScope() {
    if (ok_) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool ok_;
};

// Text is UTF-16 on this platform; these view it as wide characters.
static_assert(sizeof(wchar_t) == sizeof(char16_t));
inline const wchar_t* Wide(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}
inline std::u16string FromWide(const wchar_t* p, size_t n) {
  return std::u16string(reinterpret_cast<const char16_t*>(p), n);
}

// The system's ANSI code page, by best fit where a character has a
// look-alike there and as "?" otherwise; NULs inside the text are kept.
inline std::string ToAnsi(const std::u16string& text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(CP_ACP, 0, Wide(text), length, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, Wide(text), length, bytes.data(), size, nullptr, nullptr);
  return bytes;
}
inline std::u16string FromAnsi(const char* bytes, size_t n) {
  if (n == 0) return {};
  const int length = static_cast<int>(n);
  const int size = MultiByteToWideChar(CP_ACP, 0, bytes, length, nullptr, 0);
  std::wstring wide(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes, length, wide.data(), size);
  return FromWide(wide.data(), wide.size());
}

[[noreturn]] inline void ThrowLastError(const char* what) {
  throw Error::Toolkit(std::string(what) + " failed (error " + std::to_string(GetLastError()) + ")");
}

// A lock for the module's few shared records (std::lock_guard takes it). It
// needs no handle and no set-up or teardown, so it is safe at any point of
// the module's life, the loader's callbacks included.
class SlimLock {
 public:
  void lock() noexcept { AcquireSRWLockExclusive(&lock_); }
  void unlock() noexcept { ReleaseSRWLockExclusive(&lock_); }

 private:
  SRWLOCK lock_ = SRWLOCK_INIT;
};

// A system library loaded at the first call of one of its functions, each
// bound by name then, and freed with its owner. Not imported: a library
// imported with this module starts up under the loader lock while this
// module loads, and comctl32 (behind comdlg32 and shell32) calls user32 as
// it starts, which under Wine deadlocks with a host thread that is starting
// user32 at that moment.
class SystemLibrary {
 public:
  explicit SystemLibrary(const wchar_t* name) noexcept : name_(name) {}

  template <typename Function>
  Function Bind(const char* function) {
    HMODULE module;
    {
      std::lock_guard<SlimLock> lock(loading_);
      if (!module_) module_.reset(LoadLibraryW(name_));
      module = module_.get();
    }
    if (!module) ThrowLastError("LoadLibrary");
    const FARPROC address = GetProcAddress(module, function);
    if (!address) ThrowLastError(function);
    return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
  }

 private:
  const wchar_t* name_;
  SlimLock loading_;
  UniqueLibrary module_;
};

}  // namespace brivet::win32
