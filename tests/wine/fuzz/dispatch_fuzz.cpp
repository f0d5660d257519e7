// Calls IDispatch::Invoke of Brivet.Window with random members, flags,
// argument counts, named arguments and values of every variant type, by
// value and by reference, and checks each answer: a status the interface
// can give, EXCEPINFO filled for an exception, no write through an argument
// the member does not write, no reference kept on a passed object. Dialogs
// are answered and choosers cancelled from a timer on this thread.
//
//   dispatch_fuzz.exe [calls] [seed] [trace-from]
//
// Prints the seed first; the same seed replays the same calls, and
// trace-from prints each call from that number on.
#include <windows.h>
#include <oleauto.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "brivet_h.h"
#include "core/error.h"
#include "fuzz_values.h"
#include "robustness.h"

using namespace robustness;

namespace {

enum Kind : unsigned { Get = 1, Put = 2, Method = 4 };

// The interface as a client sees it: dispatch id, kinds, parameter count
// (a put's value included), which optional parameters trail, and what the
// member does besides its result.
struct MemberShape {
  DISPID id;
  unsigned kinds;
  unsigned params;
  unsigned optional;  // trailing optional parameters (ShowTextBox: the two sizes)
  bool writes_args;
  bool shows_window;
  Texts texts;  // settings: never a storable long text; the text boxes' texts: short
};

constexpr MemberShape kMembers[] = {
    {0x40030000, Get | Put, 1, 0, false, false, Texts::Any},  // Window
    {0x68030011, Put, 1, 0, false, false, Texts::Any},        // Title
    {0x68030010, Put, 1, 0, false, false, Texts::Any},        // Caption
    {0x6803000F, Put, 1, 0, false, false, Texts::Any},        // Picture
    {0x6803000E, Put, 4, 2, true, false, Texts::Any},         // ShowTextBox: sizes written back
    {0x6803000D, Put, 1, 0, false, false, Texts::Any},
    {0x6803000C, Put, 1, 0, false, false, Texts::Any},
    {0x6803000B, Put, 1, 0, false, false, Texts::Short},      // Text1Text
    {0x6803000A, Put, 1, 0, false, false, Texts::Short},      // Text2Text
    {0x68030009, Put, 1, 0, false, false, Texts::Any},
    {0x68030008, Put, 1, 0, false, false, Texts::Any},
    {0x60030012, Method, 2, 0, false, false, Texts::Any},     // Text1Select
    {0x68030007, Put, 1, 0, false, false, Texts::Any},        // ShowButtons
    {0x68030006, Put, 1, 0, false, false, Texts::Any},
    {0x68030005, Put, 1, 0, false, false, Texts::Any},
    {0x68030004, Put, 1, 0, false, false, Texts::Any},
    {0x68030003, Put, 1, 0, false, false, Texts::Any},
    {0x68030002, Put, 1, 0, false, false, Texts::Any},
    {0x68030001, Put, 1, 0, false, false, Texts::Any},
    {0x60030015, Method, 0, 0, false, true, Texts::Any},      // Show
    {0x60030016, Method, 0, 0, false, false, Texts::Any},     // Hide
    {0x68030000, Put, 1, 0, false, false, Texts::Any},        // Persist
    {0x60030017, Method, 0, 0, false, false, Texts::Any},     // Reset
    {0x60030018, Method, 0, 0, false, false, Texts::Any},
    {0x60030019, Method, 0, 0, false, false, Texts::Any},
    {0x6003001A, Method, 1, 0, false, false, Texts::List},    // LoadList
    {0x6003001B, Method, 0, 0, false, false, Texts::Any},
    {0x6003001C, Method, 1, 0, false, false, Texts::Any},     // AddToList
    {0x6003001D, Method, 0, 0, false, false, Texts::Any},
    {0x6003001E, Method, 0, 0, false, true, Texts::Any},      // ChooseFileOpen
    {0x6003001F, Method, 0, 0, false, true, Texts::Any},      // ChooseFileSave
    {0x60030020, Method, 1, 1, false, true, Texts::Any},      // ChooseFolder
    {0x60030021, Method, 3, 0, true, true, Texts::Any},       // ChooseColorRGB: components written
    {0x60030022, Method, 0, 0, false, true, Texts::Any},      // ChooseColorHex
    {0x60030023, Method, 3, 3, true, false, Texts::Any},      // Response: answers written
    {0x60030024, Method, 3, 0, true, false, Texts::Unstorable},       // GetInfo: value written
    {0x60030025, Method, 3, 0, false, false, Texts::Unstorable},      // SaveInfo
    {0x60030026, Method, 2, 0, false, false, Texts::Unstorable},      // DeleteInfo
    {0x60030027, Method, 1, 0, false, false, Texts::Unstorable},      // PlaySound
    {0x68040000, Get, 0, 0, false, false, Texts::Any},        // ResponseCode
    {0x68040001, Get, 0, 0, false, false, Texts::Any},        // ResponseText1
    {0x68040002, Get, 0, 0, false, false, Texts::Any},        // ResponseText2
    {0x68040003, Get, 0, 0, false, false, Texts::Any},        // ResponseListItem
    {0x60040004, Method, 2, 0, false, false, Texts::Unstorable},      // GetInfoValue
    {0x60040005, Method, 4, 2, false, false, Texts::Any},     // ShowTextBoxes
};
constexpr unsigned kShapes = sizeof kMembers / sizeof kMembers[0];

const MemberShape* ShapeOf(DISPID id) {
  for (const MemberShape& m : kMembers)
    if (m.id == id) return &m;
  return nullptr;
}

// The statuses and descriptions a member may raise.
bool IsRaisedError(HRESULT code, const wchar_t* description) {
  using brivet::Fault;
  for (int f = 0; f < static_cast<int>(Fault::NotAvailableYet); ++f) {
    const brivet::FaultInfo info = brivet::InfoOf(static_cast<Fault>(f));
    if (info.status != code) continue;
    if (!description) return true;
    std::wstring expected(info.description, info.description + std::strlen(info.description));
    return expected == description;
  }
  return false;
}

// One argument slot: the VARIANT in the argument array and, for a
// reference, the variable it points into.
struct Slot {
  VARIANT target;   // the variable: referenced whole (VT_VARIANT) or by its value part
  bool owns = true;  // false when it shares another slot's variable
  VARIANT before;   // the variable's bytes before the call
  std::wstring before_text;
};

std::atomic<unsigned long long> g_call{0};
HANDLE g_done = nullptr;  // set once the calls are over
unsigned long long g_seed = 0;

LONG WINAPI OnCrash(EXCEPTION_POINTERS* info) {
  std::printf("FAIL crash 0x%08lx at call %llu (seed %llu)\n",
              static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode), g_call.load(), g_seed);
  std::fflush(stdout);
  ExitProcess(2);
}

// Fails the run when one call takes longer than any dialog answer could.
DWORD WINAPI Watchdog(LPVOID) {
  unsigned long long seen = ~0ull;
  while (WaitForSingleObject(g_done, 60000) == WAIT_TIMEOUT) {
    const unsigned long long now = g_call.load();
    if (now == seen) {
      std::printf("FAIL hang at call %llu (seed %llu)\n", now, g_seed);
      std::fflush(stdout);
      ExitProcess(3);
    }
    seen = now;
  }
  return 0;
}

// The settings file lives in the prefix's Windows folder: kept and put back.
class SettingsFileKeeper {
 public:
  SettingsFileKeeper() {
    wchar_t folder[MAX_PATH];
    GetWindowsDirectoryW(folder, MAX_PATH);
    path_ = std::wstring(folder) + L"\\brivetdll.ini";
    HANDLE file = CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    existed_ = file != INVALID_HANDLE_VALUE;
    if (!existed_) return;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) content_.append(buffer, got);
    CloseHandle(file);
  }
  ~SettingsFileKeeper() {
    if (!existed_) {
      DeleteFileW(path_.c_str());
      return;
    }
    HANDLE file = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, content_.data(), static_cast<DWORD>(content_.size()), &written, nullptr);
    CloseHandle(file);
  }

 private:
  std::wstring path_;
  bool existed_ = false;
  std::string content_;
};

class Fuzzer {
 public:
  Fuzzer(unsigned long long seed, unsigned long long trace_from, const std::wstring& picture)
      : random_(seed), trace_from_(trace_from), pool_(picture) {}

  bool Run(unsigned long long calls) {
    Answerer answerer;
    IDispatch* objects[2] = {Create(), nullptr};
    if (!objects[0]) return false;
    // The system's dialogs keep images and classes from their first display
    // on: each is shown once before the figures count.
    for (const MemberShape& m : kMembers)
      if (m.shows_window) {
        DISPPARAMS none{};
        VARIANT result;
        VariantInit(&result);
        objects[0]->Invoke(m.id, IID_NULL, 1033, DISPATCH_METHOD, &none, &result, nullptr, nullptr);
        VariantClear(&result);
      }
    const unsigned long long warmup = calls < 20000 ? calls / 10 : 2000;
    const unsigned long long halfway = warmup + (calls - warmup) / 2;
    // Measured as at the end, with every object released and the thread's
    // form fresh: a live form's fonts, brushes and picture are state, not growth.
    auto measure_fresh = [&](const char* label, Figures& figures) {
      if (objects[1]) objects[1]->Release(), objects[1] = nullptr;
      objects[0]->Release();
      objects[0] = nullptr;
      if (!FreshForm()) return false;
      figures = Measure();
      Print(label, figures);
      objects[0] = Create();
      return objects[0] != nullptr;
    };
    Figures start{}, middle{}, peak{};
    for (unsigned long long n = 0; n < calls; ++n) {
      g_call = n;
      if (n == warmup) {
        if (!measure_fresh("after warm-up", start)) return false;
        peak = start;
      }
      if (n == halfway && !measure_fresh("half-way", middle)) return false;
      // Objects come and go: a release mid-run takes the close-box path,
      // a second object on the thread drives the same dialog.
      if (random_.Chance(5000)) {
        objects[0]->Release();
        objects[0] = Create();
        if (!objects[0]) return false;
      }
      if (random_.Chance(3000)) {
        if (objects[1]) objects[1]->Release(), objects[1] = nullptr;
        else objects[1] = Create();
      }
      IDispatch* target = objects[1] && random_.Chance(2) ? objects[1] : objects[0];
      answerer.set_close_next(random_.Chance(2));
      OneCall(target, n);
      if (!pool_.ReferencesBalanced(n)) ++faults_;
      if (n > warmup && (n - warmup) % (calls / 10 + 1) == 0) {
        const Figures now = Measure();
        Print("during", now);
        if (now.private_bytes > peak.private_bytes) peak.private_bytes = now.private_bytes;
        if (now.handles > peak.handles) peak.handles = now.handles;
        if (now.gdi > peak.gdi) peak.gdi = now.gdi;
        if (now.user > peak.user) peak.user = now.user;
      }
      if (faults_ > 20) {
        std::printf("stopping after 20 faults\n");
        break;
      }
    }
    if (objects[1]) objects[1]->Release();
    objects[0]->Release();
    if (!FreshForm()) return false;
    const Figures end = Measure();
    Print("at the end", end);
    Print("peak during", peak);
    std::printf("calls %llu, succeeded %llu, exceptions %llu, refused %llu, forms answered %ld, "
                "choosers cancelled %ld\n",
                calls, succeeded_, exceptions_, refused_, answerer.forms_answered(),
                answerer.choosers_cancelled());
    // Wine's cache of drawing contexts (each a context, a bitmap and a region)
    // grows to the most ever in use at once and then stays; a leak grows with
    // the calls. So growth is judged over the second half of the run.
    if (!WithinBounds("dispatch fuzz", middle, end)) ++faults_;
    return faults_ == 0;
  }

 private:
  // A form kept by Persist survives its objects with its colours, fonts and
  // picture: Persist off and Reset leave the thread a form at its defaults.
  bool FreshForm() {
    IDispatch* object = Create();
    if (!object) return false;
    Client client(object);
    const bool ok = client.Call(L"Persist", DISPATCH_PROPERTYPUT, {Flag(false)}) &&
                    client.Call(L"Reset", DISPATCH_METHOD, {});
    object->Release();
    return ok;
  }

  IDispatch* Create() {
    IDispatch* object = nullptr;
    const HRESULT hr = CoCreateInstance(CLSID_Window, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                        reinterpret_cast<void**>(&object));
    if (FAILED(hr)) std::printf("FAIL CoCreateInstance: 0x%08lx\n", static_cast<unsigned long>(hr));
    return object;
  }

  void Fault(unsigned long long n, const char* what, unsigned long detail = 0) {
    std::printf("FAIL call %llu (seed %llu): %s (0x%08lx)\n", n, g_seed, what, detail);
    ++faults_;
  }

  // The call's member, kind and arguments: mostly well-formed calls, so that
  // routines run, with a share of every kind of mismatch.
  void OneCall(IDispatch* target, unsigned long long n) {
    DISPID id;
    const MemberShape* shape = nullptr;
    if (random_.Chance(12)) {
      static const DISPID kOther[] = {0, -1, -3, -4, -5, 0x60030028, 0x6803000F + 0x100, 0x7FFFFFFF};
      id = random_.Chance(2) ? kOther[random_.Below(8)] : static_cast<DISPID>(random_.Next());
      shape = ShapeOf(id);
    } else {
      do {
        shape = &kMembers[random_.Below(kShapes)];
        // Shown windows cost a display each: a small share of the calls.
      } while (shape->shows_window && !random_.Chance(100));
      id = shape->id;
    }

    WORD flags;
    if (shape && !random_.Chance(4)) {
      const unsigned kinds = shape->kinds;
      if ((kinds & Get) && (kinds & Put)) flags = random_.Chance(2) ? DISPATCH_PROPERTYGET : DISPATCH_PROPERTYPUT;
      else if (kinds & Put) flags = random_.Chance(8) ? (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF) : DISPATCH_PROPERTYPUT;
      else if (kinds == Get) flags = random_.Chance(3) ? (DISPATCH_METHOD | DISPATCH_PROPERTYGET) : DISPATCH_PROPERTYGET;
      else flags = random_.Chance(3) ? (DISPATCH_METHOD | DISPATCH_PROPERTYGET) : DISPATCH_METHOD;
    } else {
      flags = static_cast<WORD>(random_.Chance(10) ? random_.Next() : random_.Below(16));
    }
    const bool put = (flags & DISPATCH_PROPERTYPUT) != 0;

    UINT count;
    if (shape && !random_.Chance(5)) count = shape->params - random_.Below(shape->optional + 1);
    else count = random_.Below(7);
    if (shape && put && shape->kinds == (Get | Put) && count == 0 && !random_.Chance(5)) count = 1;
    UINT named = 0;
    std::vector<DISPID> named_ids;
    if (count > 0 && put && !random_.Chance(5)) {
      named = 1;
      named_ids.push_back(DISPID_PROPERTYPUT);
    } else if (count > 0 && random_.Chance(4)) {
      named = 1 + random_.Below(count);
      for (UINT i = 0; i < named; ++i)
        named_ids.push_back(random_.Chance(10) || !shape || shape->params == 0
                                ? static_cast<DISPID>(random_.Below(8)) - 4
                                : static_cast<DISPID>(random_.Below(shape->params)));
    }
    const Texts texts = shape ? shape->texts : Texts::Any;

    std::vector<VARIANT> args(count);
    std::vector<Slot> slots(count);
    for (UINT i = 0; i < count; ++i) MakeArgument(args, slots, i, texts);

    const std::vector<VARIANT> args_before = args;
    for (UINT i = 0; i < count; ++i) {
      std::memcpy(&slots[i].before, &slots[i].target, sizeof(VARIANT));
      if (slots[i].owns && V_VT(&slots[i].target) == VT_BSTR && V_BSTR(&slots[i].target))
        slots[i].before_text.assign(V_BSTR(&slots[i].target), SysStringLen(V_BSTR(&slots[i].target)));
    }

    DISPPARAMS params{count ? args.data() : nullptr, named ? named_ids.data() : nullptr, count, named};
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO exception{};
    UINT arg_error = 0xFFFFFFFF;
    const bool with_result = !random_.Chance(4);
    const bool with_exception = !random_.Chance(4);
    const bool with_arg_error = !random_.Chance(4);
    const bool null_params = count == 0 && random_.Chance(20);
    const bool other_iid = random_.Chance(200);

    if (n >= trace_from_) {
      std::printf("call %llu: id 0x%08lx flags %u args %u named %u:", n, static_cast<unsigned long>(id), flags,
                  count, named);
      for (UINT i = 0; i < count; ++i) {
        std::printf(" %04x", V_VT(&args[i]));
        const VARIANT& value = V_VT(&args[i]) == (VT_BYREF | VT_VARIANT) ? *V_VARIANTREF(&args[i]) : args[i];
        if (V_VT(&value) == VT_BSTR) std::printf("(%u chars)", SysStringLen(V_BSTR(&value)));
      }
      std::printf("\n");
      std::fflush(stdout);
    }

    const HRESULT hr = target->Invoke(id, other_iid ? IID_IDispatch : IID_NULL, 1033, flags,
                                      null_params ? nullptr : &params, with_result ? &result : nullptr,
                                      with_exception ? &exception : nullptr,
                                      with_arg_error ? &arg_error : nullptr);
    Check(n, hr, shape, put, with_exception, exception, result, args, args_before, slots, count, arg_error);

    VariantClear(&result);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    for (UINT i = 0; i < count; ++i) {
      if (!slots[i].owns) continue;
      if (V_VT(&slots[i].target) == VT_DECIMAL && (V_VT(&args[i]) & VT_BYREF)) continue;
      if (VariantClear(&slots[i].target) != S_OK) Fault(n, "a written argument is no valid variant");
      if (!(V_VT(&args[i]) & VT_BYREF)) VariantClear(&args[i]);
    }
  }

  void MakeArgument(std::vector<VARIANT>& args, std::vector<Slot>& slots, UINT i, Texts texts) {
    Slot& slot = slots[i];
    VARIANT& arg = args[i];
    VariantInit(&slot.target);
    // A variable passed twice in one call.
    if (i > 0 && random_.Chance(15) && (V_VT(&args[i - 1]) & VT_BYREF)) {
      arg = args[i - 1];
      slot.owns = false;
      return;
    }
    FuzzValue(random_, pool_, &slot.target, texts);
    const VARTYPE vt = V_VT(&slot.target);
    if (random_.Chance(2)) {  // by value: the argument holds the value itself
      arg = slot.target;
      VariantInit(&slot.target);
      return;
    }
    VariantInit(&arg);
    if (random_.Chance(2) || vt == VT_EMPTY || vt == VT_NULL) {
      V_VT(&arg) = VT_BYREF | VT_VARIANT;
      V_VARIANTREF(&arg) = &slot.target;
      // Leftovers in the variable's unused words show a rewrite of its value.
      if (vt != VT_DECIMAL) slot.target.wReserved1 = 0x5A5A;
    } else if (vt == VT_DECIMAL) {
      V_VT(&arg) = VT_BYREF | VT_DECIMAL;
      V_DECIMALREF(&arg) = &V_DECIMAL(&slot.target);
    } else {
      V_VT(&arg) = VT_BYREF | vt;
      V_BYREF(&arg) = &slot.target.lVal;  // the value part of the variable
    }
  }

  void Check(unsigned long long n, HRESULT hr, const MemberShape* shape, bool put, bool with_exception,
             const EXCEPINFO& exception, const VARIANT& result, const std::vector<VARIANT>& args,
             const std::vector<VARIANT>& args_before, const std::vector<Slot>& slots, UINT count,
             UINT arg_error) {
    bool ran = false;
    switch (hr) {
      case S_OK: ++succeeded_; ran = true; break;
      case DISP_E_EXCEPTION:
        ++exceptions_;
        ran = true;
        if (!with_exception) Fault(n, "DISP_E_EXCEPTION without EXCEPINFO");
        else if (!IsRaisedError(exception.scode, exception.bstrDescription))
          Fault(n, "exception with an unknown status or description", static_cast<unsigned long>(exception.scode));
        else if (!exception.bstrSource || std::wcscmp(exception.bstrSource, L"Brivet.Window") != 0)
          Fault(n, "exception without its source");
        break;
      case DISP_E_PARAMNOTFOUND:
      case DISP_E_TYPEMISMATCH:
        ++refused_;
        if (arg_error != 0xFFFFFFFF && arg_error >= count) Fault(n, "argument error index out of range", arg_error);
        break;
      case DISP_E_MEMBERNOTFOUND:
      case DISP_E_BADPARAMCOUNT:
      case DISP_E_PARAMNOTOPTIONAL:
      case DISP_E_UNKNOWNINTERFACE:
      case E_INVALIDARG: ++refused_; break;
      default:
        if (!with_exception && IsRaisedError(hr, nullptr)) {
          ++exceptions_;
          ran = true;
        } else {
          Fault(n, "unexpected status", static_cast<unsigned long>(hr));
        }
    }
    if (hr != S_OK && V_VT(&result) != VT_EMPTY) Fault(n, "a result after a failed call", V_VT(&result));
    if (with_exception && hr != DISP_E_EXCEPTION && (exception.bstrDescription || exception.scode))
      Fault(n, "EXCEPINFO filled without an exception");
    if (put && V_VT(&result) != VT_EMPTY) Fault(n, "a property put gave a result");

    // The argument array itself is the caller's and never changes; the
    // variables behind references change only for members that write them.
    for (UINT i = 0; i < count; ++i)
      if (std::memcmp(&args[i], &args_before[i], sizeof(VARIANT)) != 0)
        Fault(n, "the argument array was changed: vt before, after",
              static_cast<unsigned long>(V_VT(&args_before[i])) << 16 | V_VT(&args[i]));
    const bool may_write = ran && shape && shape->writes_args;
    if (may_write) return;
    for (UINT i = 0; i < count; ++i) {
      if (!slots[i].owns || !(V_VT(&args[i]) & VT_BYREF)) continue;
      const bool same_bytes = std::memcmp(&slots[i].before, &slots[i].target, sizeof(VARIANT)) == 0;
      bool same_text = true;
      if (V_VT(&slots[i].target) == VT_BSTR && V_BSTR(&slots[i].target))
        same_text = slots[i].before_text == std::wstring(V_BSTR(&slots[i].target), SysStringLen(V_BSTR(&slots[i].target)));
      if (!same_bytes || !same_text)
        Fault(n, "a write through an argument the member does not write: vt before, after",
              static_cast<unsigned long>(V_VT(&slots[i].before)) << 16 | V_VT(&slots[i].target));
    }
  }

  Random random_;
  unsigned long long trace_from_;
  ValuePool pool_;
  unsigned long long succeeded_ = 0, exceptions_ = 0, refused_ = 0;
  int faults_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  const unsigned long long calls = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 20000;
  g_seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : GetTickCount64();
  const unsigned long long trace_from = argc > 3 ? std::strtoull(argv[3], nullptr, 10) : ~0ull;
  std::printf("dispatch fuzz: seed %llu, %llu calls\n", g_seed, calls);
  std::fflush(stdout);
  SetUnhandledExceptionFilter(OnCrash);
  CoInitialize(nullptr);
  bool ok;
  {
    SettingsFileKeeper keep_settings;
    g_done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE watchdog = CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr);
    Fuzzer fuzzer(g_seed, trace_from, WriteScratchPicture(L"brivet-fuzz.bmp"));
    ok = fuzzer.Run(calls);
    SetEvent(g_done);
    WaitForSingleObject(watchdog, INFINITE);
    CloseHandle(watchdog);
    CloseHandle(g_done);
  }
  CoUninitialize();
  std::printf("dispatch fuzz: %s (seed %llu)\n", ok ? "passed" : "FAILED", g_seed);
  return ok ? 0 : 1;
}
