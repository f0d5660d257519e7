// Where the time of a call goes, timed inside the process (a profiling aid,
// not part of the report). GetList through IDispatch on the component's
// hidden form, beside a bare list box of the same entries read with
// LB_GETTEXTLEN and LB_GETTEXT, and the same reads joined into one text: per
// entry, median of the rounds, in microseconds. Reset, which retires the form
// and loads a fresh one as a dismissal does: per call, in milliseconds. First,
// the late-bound put of the Window text beside the dictionary's CompareMode
// put, as a script host makes it: per call, and their ratio round by round.
//   call_timing [rounds]  ->  "put <ns> <ns of the dictionary> <ratio>",
//                             "<what> <entries> <us per entry>", "Reset <ms>" lines
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <typename Body>
double MedianPerEntry(int rounds, int entries, Body&& body) {
  std::vector<double> times;
  for (int r = 0; r < rounds; ++r) {
    const double start = Now();
    body();
    times.push_back((Now() - start) / entries * 1e6);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

DISPID Id(IDispatch* object, const wchar_t* name) {
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  object->GetIDsOfNames(IID_NULL, names, 1, 1033, &id);
  return id;
}

HRESULT Call(IDispatch* object, DISPID id, VARIANT* arg, VARIANT* result) {
  DISPPARAMS params{arg, nullptr, arg ? 1u : 0u, 0};
  return object->Invoke(id, IID_NULL, 1033, DISPATCH_METHOD, &params, result, nullptr, nullptr);
}

// A put of a text to `ours` and of 0 to `theirs`, each as a script host
// passes a literal: by value, with the put's named argument.
void PutBeside(int rounds, IDispatch* ours, DISPID our_id, IDispatch* theirs, DISPID their_id) {
  constexpr int kCalls = 20000;
  VARIANT text;
  VariantInit(&text);
  V_VT(&text) = VT_BSTR;
  V_BSTR(&text) = SysAllocString(L"x");
  VARIANT zero;
  VariantInit(&zero);
  V_VT(&zero) = VT_I2;
  DISPID named = DISPID_PROPERTYPUT;
  auto put = [&](IDispatch* object, DISPID id, VARIANT* value) {
    DISPPARAMS params{value, &named, 1, 1};
    for (int i = 0; i < kCalls; ++i)
      object->Invoke(id, IID_NULL, 1033, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr);
  };
  std::vector<double> ours_ns, theirs_ns, ratios;
  for (int r = 0; r < rounds; ++r) {
    double start = Now();
    put(ours, our_id, &text);
    const double a = (Now() - start) / kCalls * 1e9;
    start = Now();
    put(theirs, their_id, &zero);
    const double b = (Now() - start) / kCalls * 1e9;
    ours_ns.push_back(a);
    theirs_ns.push_back(b);
    ratios.push_back(a / b);
  }
  const double first = ratios.front();
  for (auto* v : {&ours_ns, &theirs_ns, &ratios}) std::sort(v->begin(), v->end());
  std::printf("put %.1f %.1f %.3f (first %.3f, worst %.3f)\n", ours_ns[rounds / 2], theirs_ns[rounds / 2],
              ratios[rounds / 2], first, ratios.back());
  VariantClear(&text);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int rounds = argc > 1 ? _wtoi(argv[1]) : 9;
  CoInitialize(nullptr);
  CLSID clsid;
  IDispatch* w = nullptr;
  if (FAILED(CLSIDFromProgID(L"Brivet.Window", &clsid)) ||
      FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(&w)))) {
    std::printf("FAIL creating Brivet.Window\n");
    return 1;
  }
  IDispatch* d = nullptr;
  if (SUCCEEDED(CLSIDFromProgID(L"Scripting.Dictionary", &clsid)) &&
      SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(&d)))) {
    PutBeside(rounds, w, Id(w, L"Window"), d, Id(d, L"CompareMode"));
    d->Release();
  }
  const DISPID load = Id(w, L"LoadList"), get = Id(w, L"GetList"), clear = Id(w, L"ClearList");
  HWND host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  HWND box = CreateWindowExW(0, L"LISTBOX", L"", WS_CHILD | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT, 0, 0, 100, 100,
                             host, nullptr, nullptr, nullptr);
  for (int entries : {1000, 8000, 32000}) {
    std::wstring joined;
    SendMessageW(box, LB_RESETCONTENT, 0, 0);
    for (int i = 1; i <= entries; ++i) {
      const std::wstring entry = L"entry " + std::to_wstring(i);
      if (i > 1) joined += L',';
      joined += entry;
      SendMessageW(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    }
    VARIANT text;
    VariantInit(&text);
    V_VT(&text) = VT_BSTR;
    V_BSTR(&text) = SysAllocStringLen(joined.data(), static_cast<UINT>(joined.size()));
    Call(w, clear, nullptr, nullptr);
    Call(w, load, &text, nullptr);
    const double component = MedianPerEntry(rounds, entries, [&] {
      VARIANT got;
      VariantInit(&got);
      Call(w, get, nullptr, &got);
      VariantClear(&got);
    });
    const double reads = MedianPerEntry(rounds, entries, [&] {
      wchar_t buffer[64];
      for (int i = 0; i < entries; ++i) {
        SendMessageW(box, LB_GETTEXTLEN, i, 0);
        SendMessageW(box, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buffer));
      }
    });
    const double reads_joined = MedianPerEntry(rounds, entries, [&] {
      std::wstring all;
      for (int i = 0; i < entries; ++i) {
        const LRESULT length = SendMessageW(box, LB_GETTEXTLEN, i, 0);
        std::wstring entry(static_cast<size_t>(length) + 1, L'\0');
        SendMessageW(box, LB_GETTEXT, i, reinterpret_cast<LPARAM>(entry.data()));
        if (i > 0) all += L',';
        all.append(entry.data(), static_cast<size_t>(length));
      }
      BSTR b = SysAllocStringLen(all.data(), static_cast<UINT>(all.size()));
      SysFreeString(b);
    });
    std::printf("GetList %d %.3f\nlist-box-reads %d %.3f\nlist-box-reads-joined %d %.3f\n", entries, component,
                entries, reads, entries, reads_joined);
    VariantClear(&text);
  }
  const DISPID reset = Id(w, L"Reset");
  const double reset_ms = MedianPerEntry(rounds, 1, [&] { Call(w, reset, nullptr, nullptr); }) / 1000;
  std::printf("Reset %.3f\n", reset_ms);
  DestroyWindow(host);
  w->Release();
  CoUninitialize();
  return 0;
}
