// What one loaded form costs the process: creates one object through its
// programmatic identifier (which loads the thread's form) and prints the
// growth of private committed memory, windows and drawing objects.
//   footprint  ->  "private_bytes N", "user_objects N", "gdi_objects N",
//                  "gui_resources_counted 0|1"
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <cstdio>

namespace {

// Committed memory private to the process, summed over its regions: the
// same figure on Windows and under Wine, whose process counters report
// virtual size instead.
SIZE_T PrivateCommitted() {
  SIZE_T total = 0;
  MEMORY_BASIC_INFORMATION info;
  for (const char* at = nullptr; VirtualQuery(at, &info, sizeof info) == sizeof info;) {
    if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += info.RegionSize;
    const char* next = static_cast<const char*>(info.BaseAddress) + info.RegionSize;
    if (next <= at) break;
    at = next;
  }
  return total;
}

BOOL CALLBACK CountChild(HWND, LPARAM count) {
  ++*reinterpret_cast<long*>(count);
  return TRUE;
}

BOOL CALLBACK CountTop(HWND hwnd, LPARAM count) {
  ++*reinterpret_cast<long*>(count);
  EnumChildWindows(hwnd, CountChild, count);
  return TRUE;
}

// Windows of this thread and their descendants (GetGuiResources is a stub
// under Wine).
long UserObjects() {
  if (DWORD n = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)) return static_cast<long>(n);
  long count = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountTop, reinterpret_cast<LPARAM>(&count));
  return count;
}

// Live drawing objects. Where GetGuiResources answers nothing, every handle
// slot is asked for its object type: a handle whose upper half is zero names
// the slot whatever its generation.
long GdiObjects() {
  if (DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return static_cast<long>(n);
  long count = 0;
  for (ULONG slot = 1; slot < 0x10000; ++slot)
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(static_cast<ULONG_PTR>(slot))) != 0) ++count;
  return count;
}

}  // namespace

int wmain() {
  if (FAILED(CoInitialize(nullptr))) return 1;
  CLSID clsid;
  if (FAILED(CLSIDFromProgID(L"Brivet.Window", &clsid))) {
    std::fprintf(stderr, "Brivet.Window is not registered\n");
    return 1;
  }
  // Load what creating any object needs first, so the figures are the form's.
  IDispatch* warm = nullptr;
  SysFreeString(SysAllocString(L"warm"));
  const SIZE_T bytes_before = PrivateCommitted();
  const long user_before = UserObjects();
  const long gdi_before = GdiObjects();
  if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                              reinterpret_cast<void**>(&warm)))) {
    std::fprintf(stderr, "CoCreateInstance failed\n");
    return 1;
  }
  // The form builds its window when first used: set the title.
  OLECHAR* name = const_cast<OLECHAR*>(L"Title");
  DISPID title = 0;
  VARIANT text;
  VariantInit(&text);
  V_VT(&text) = VT_BSTR;
  V_BSTR(&text) = SysAllocString(L"footprint");
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{&text, &named, 1, 1};
  const bool used = SUCCEEDED(warm->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &title)) &&
                    SUCCEEDED(warm->Invoke(title, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT,
                                           &params, nullptr, nullptr, nullptr));
  VariantClear(&text);
  if (!used) {
    std::fprintf(stderr, "setting the title failed\n");
    return 1;
  }
  std::printf("private_bytes %lld\n", static_cast<long long>(PrivateCommitted() - bytes_before));
  std::printf("user_objects %ld\n", UserObjects() - user_before);
  std::printf("gdi_objects %ld\n", GdiObjects() - gdi_before);
  // 1 where the system counts the objects itself (not under Wine).
  std::printf("gui_resources_counted %d\n", GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS) != 0);
  warm->Release();
  CoUninitialize();
  return 0;
}
