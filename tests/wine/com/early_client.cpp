// An early-bound client: creates the class through COM and calls through the
// virtual table and through IDispatch, checking statuses and error info; then
// through _Window2, in its own apartment and from another one.
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <cstring>
#include <cwchar>
#include <limits>

#include "brivet_h.h"
#include "conformance.h"
#include "every_entry.h"

using Microsoft::WRL::ComPtr;

namespace {

HRESULT CanUnload() {
  HMODULE module = GetModuleHandleW(L"brivet.dll");
  if (!module) return E_FAIL;
  auto can_unload = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
      reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
  return can_unload ? can_unload() : E_FAIL;
}

void CheckErrorInfo(const wchar_t* expected) {
  ComPtr<IErrorInfo> info;
  const HRESULT hr = GetErrorInfo(0, &info);
  EXPECT_HR(S_OK, hr, "GetErrorInfo after a failed call");
  if (hr != S_OK) return;
  BSTR description = nullptr;
  info->GetDescription(&description);
  EXPECT_TRUE_MSG(description && wcscmp(description, expected) == 0, "error description %ls, expected %ls",
                  description ? description : L"(none)", expected);
  SysFreeString(description);
}

// A multithreaded apartment (where some hosts run their scripts) reaches the
// object through the registered marshaler: an old member and a new one,
// through a proxy of _Window2.
// An object created there lives on a single-threaded thread that COM starts
// for it, and is reached through the marshaler as well.
struct Remote {
  IStream* stream = nullptr;
  HRESULT put = E_FAIL, read = E_FAIL, created = E_FAIL, created_read = E_FAIL;
  bool text_seen = false, created_empty = false;
};

DWORD WINAPI CallFromAnotherApartment(void* parameter) {
  auto& remote = *static_cast<Remote*>(parameter);
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  {
    ComPtr<_Window2> proxy;
    if (SUCCEEDED(CoGetInterfaceAndReleaseStream(remote.stream, IID__Window2, &proxy))) {
      VARIANT title, text;
      VariantInit(&title);
      V_VT(&title) = VT_BSTR;
      V_BSTR(&title) = SysAllocString(L"remote");
      remote.put = proxy->put_Title(&title);
      VariantClear(&title);
      VariantInit(&text);
      remote.read = proxy->get_ResponseText1(&text);
      // The release of the last object answered as the close box does.
      remote.text_seen = V_VT(&text) == VT_BSTR && SysStringLen(V_BSTR(&text)) == 0;
      VariantClear(&text);
    }
    ComPtr<_Window2> own;
    remote.created = CoCreateInstance(CLSID_Window, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&own));
    if (own) {
      VARIANT text;
      VariantInit(&text);
      // That thread has answered no dialog yet.
      remote.created_read = own->get_ResponseText2(&text);
      remote.created_empty = V_VT(&text) == VT_EMPTY;
      VariantClear(&text);
    }
  }
  CoUninitialize();
  return 0;
}

void CallAcrossApartments(_Window2* w) {
  Remote remote;
  HRESULT hr = CoMarshalInterThreadInterfaceInStream(IID__Window2, w, &remote.stream);
  EXPECT_HR(S_OK, hr, "CoMarshalInterThreadInterfaceInStream(_Window2)");
  if (FAILED(hr)) return;
  HANDLE thread = CreateThread(nullptr, 0, CallFromAnotherApartment, &remote, 0, nullptr);
  DWORD index = 0;
  // This apartment serves the calls while it waits.
  hr = CoWaitForMultipleHandles(0, 60000, 1, &thread, &index);
  CloseHandle(thread);
  EXPECT_HR(S_OK, hr, "the other apartment finished");
  EXPECT_HR(S_OK, remote.put, "put_Title through the proxy");
  EXPECT_HR(S_OK, remote.read, "get_ResponseText1 through the proxy");
  EXPECT_TRUE_MSG(remote.text_seen, "the proxy read the recorded (empty) text");
  EXPECT_HR(S_OK, remote.created, "CoCreateInstance from the multithreaded apartment");
  EXPECT_HR(S_OK, remote.created_read, "get_ResponseText2 of the object created there");
  EXPECT_TRUE_MSG(remote.created_empty, "its thread's answer is still Empty");
}

}  // namespace

int main() {
  CoInitialize(nullptr);
  {
    ComPtr<_Window> plain;
    CoCreateInstance(CLSID_Window, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&plain));
    plain.Reset();
    EXPECT_HR(S_OK, CanUnload(), "DllCanUnloadNow after a plain create and release");
  }
  // Releasing that object took the close-box path: the answer is 0 with empty texts.
  {
    ComPtr<_Window> w;
    HRESULT hr = CoCreateInstance(CLSID_Window, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&w));
    EXPECT_HR(S_OK, hr, "CoCreateInstance(CLSID_Window)");
    if (FAILED(hr)) return conformance::Finish("early-bound");
    EXPECT_HR(S_FALSE, CanUnload(), "DllCanUnloadNow with a live object");

    ComPtr<ISupportErrorInfo> support;
    EXPECT_HR(S_OK, w.As(&support), "QueryInterface(ISupportErrorInfo)");
    if (support) EXPECT_HR(S_OK, support->InterfaceSupportsErrorInfo(IID__Window), "supports error info");

    BSTR text = nullptr;
    EXPECT_HR(S_OK, w->get_Window(&text), "get_Window");
    EXPECT_TRUE_MSG(text == nullptr || SysStringLen(text) == 0, "fresh Window text is empty");
    SysFreeString(text);
    BSTR value = SysAllocString(L"early \u00e9");
    EXPECT_HR(S_OK, w->put_Window(value), "put_Window");
    SysFreeString(value);
    text = nullptr;
    w->get_Window(&text);
    EXPECT_TRUE_MSG(text && wcscmp(text, L"early \u00e9") == 0, "Window text round trip");
    SysFreeString(text);

    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_I4;
    V_I4(&v) = 40000;
    hr = w->put_ShowButtons(&v);
    EXPECT_HR(static_cast<HRESULT>(0x800A0006), hr, "put_ShowButtons(40000) overflows");
    CheckErrorInfo(L"Overflow");
    V_VT(&v) = VT_NULL;
    hr = w->put_Persist(&v);
    EXPECT_HR(static_cast<HRESULT>(0x800A000D), hr, "put_Persist(Null) is a type mismatch");
    CheckErrorInfo(L"Type mismatch");
    V_VT(&v) = VT_I2;
    V_I2(&v) = 2;
    EXPECT_HR(S_OK, w->put_ShowButtons(&v), "put_ShowButtons(2)");

    // Response through the table: omitted optionals travel as the missing value.
    VARIANT missing, list, result;
    VariantInit(&missing);
    V_VT(&missing) = VT_ERROR;
    V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
    VariantInit(&list);
    V_VT(&list) = VT_I4;
    V_I4(&list) = 7;
    VariantInit(&result);
    EXPECT_HR(S_OK, w->Response(&missing, &missing, &list, &result), "Response via the vtable");
    EXPECT_TRUE_MSG(V_VT(&result) == VT_I2 && V_I2(&result) == 0, "Response answers the integer 0");
    EXPECT_TRUE_MSG(V_VT(&list) == VT_BSTR && SysStringLen(V_BSTR(&list)) == 0,
                    "the supplied argument received the empty text (vt %d)", V_VT(&list));
    VariantClear(&list);
    EXPECT_TRUE_MSG(V_VT(&missing) == VT_ERROR, "the omitted arguments were left alone");

    // IDispatch: names, kinds and by-reference arguments.
    ComPtr<IDispatch> dispatch;
    EXPECT_HR(S_OK, w.As(&dispatch), "QueryInterface(IDispatch)");
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"response"), const_cast<LPOLESTR>(L"SLIST")};
    DISPID ids[2] = {};
    EXPECT_HR(S_OK, dispatch->GetIDsOfNames(IID_NULL, names, 2, 1033, ids), "GetIDsOfNames");
    EXPECT_TRUE_MSG(ids[0] == 0x60030023 && ids[1] == 2, "ids 0x%lx %ld", (long)ids[0], (long)ids[1]);
    LPOLESTR unknown[] = {const_cast<LPOLESTR>(L"Nope")};
    EXPECT_HR(DISP_E_UNKNOWNNAME, dispatch->GetIDsOfNames(IID_NULL, unknown, 1, 1033, ids),
              "GetIDsOfNames of an unknown name");

    DISPPARAMS none = {};
    VARIANT out;
    VariantInit(&out);
    EXPECT_HR(DISP_E_MEMBERNOTFOUND,
              dispatch->Invoke(0x68030011, IID_NULL, 1033, DISPATCH_PROPERTYGET, &none, &out, nullptr, nullptr),
              "reading the write-only Title");

    VARIANT caller;
    VariantInit(&caller);
    V_VT(&caller) = VT_BSTR;
    V_BSTR(&caller) = SysAllocString(L"old");
    VARIANT byref;
    V_VT(&byref) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&byref) = &caller;
    DISPID named = 2;
    DISPPARAMS one = {&byref, &named, 1, 1};
    EXPECT_HR(S_OK, dispatch->Invoke(0x60030023, IID_NULL, 1033, DISPATCH_METHOD, &one, &out, nullptr, nullptr),
              "Response(slist:=x) through Invoke");
    EXPECT_TRUE_MSG(V_VT(&caller) == VT_BSTR && SysStringLen(V_BSTR(&caller)) == 0,
                    "the caller's variable received the empty text (vt %d)", V_VT(&caller));
    VariantClear(&caller);

    // A typed string variable passed by reference receives a string.
    BSTR typed = SysAllocString(L"before");
    VARIANT typed_ref;
    V_VT(&typed_ref) = VT_BYREF | VT_BSTR;
    V_BSTRREF(&typed_ref) = &typed;
    DISPPARAMS typed_call = {&typed_ref, nullptr, 1, 0};
    EXPECT_HR(S_OK, dispatch->Invoke(0x60030023, IID_NULL, 1033, DISPATCH_METHOD, &typed_call, &out, nullptr, nullptr),
              "Response(typed string) through Invoke");
    EXPECT_TRUE_MSG(typed && SysStringLen(typed) == 0, "the typed variable received the empty text");
    SysFreeString(typed);

    VARIANT four[4];
    for (VARIANT& a : four) VariantInit(&a);
    DISPPARAMS too_many = {four, nullptr, 4, 0};
    UINT arg_error = 99;
    EXPECT_HR(DISP_E_BADPARAMCOUNT,
              dispatch->Invoke(0x60030023, IID_NULL, 1033, DISPATCH_METHOD, &too_many, &out, nullptr, &arg_error),
              "Response with four arguments");

    VARIANT big;
    VariantInit(&big);
    V_VT(&big) = VT_R8;
    V_R8(&big) = 1e10;
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS assign = {&big, &put, 1, 1};
    EXCEPINFO exception = {};
    EXPECT_HR(DISP_E_EXCEPTION,
              dispatch->Invoke(0x68030007, IID_NULL, 1033, DISPATCH_PROPERTYPUT, &assign, nullptr, &exception, nullptr),
              "ShowButtons = 1e10 through Invoke");
    EXPECT_HR(static_cast<HRESULT>(0x800A0006), exception.scode, "the exception's status");
    EXPECT_TRUE_MSG(exception.bstrDescription && wcscmp(exception.bstrDescription, L"Overflow") == 0,
                    "the exception's description");
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrHelpFile);

    // Arguments a call must not write keep every byte, the unused word marked
    // so that a rewrite of the same value shows: Response's answers never go
    // into its caller's by-value copies; one variable passed for both of
    // Text1Select's parameters, which it only reads, stays as it was; nor is
    // a NaN written back, though it equals nothing, itself included.
    {
      struct Untouched {
        const char* what;
        DISPID id;
        WORD flags;
        bool by_reference;
        unsigned count;  // arguments, each the same variable when by reference
        VARTYPE vt;
      };
      const Untouched cases[] = {
          {"Response(by-value text)", 0x60030023, DISPATCH_METHOD, false, 1, VT_BSTR},
          {"Text1Select(v, v)", 0x60030012, DISPATCH_METHOD, true, 2, VT_I4},
          {"Title = NaN by reference", 0x68030011, DISPATCH_PROPERTYPUT, true, 1, VT_R8},
      };
      for (const Untouched& u : cases) {
        VARIANT variable, before;
        VariantInit(&variable);
        V_VT(&variable) = u.vt;
        if (u.vt == VT_BSTR) V_BSTR(&variable) = SysAllocString(L"keep");
        if (u.vt == VT_I4) V_I4(&variable) = 1;
        if (u.vt == VT_R8) V_R8(&variable) = std::numeric_limits<double>::quiet_NaN();
        variable.wReserved1 = 0x5A5A;
        before = variable;
        VARIANT args[2];
        for (unsigned i = 0; i < u.count; ++i) {
          if (u.by_reference) {
            V_VT(&args[i]) = VT_BYREF | VT_VARIANT;
            V_VARIANTREF(&args[i]) = &variable;
          } else {
            args[i] = variable;
          }
        }
        DISPPARAMS call = {args, u.flags == DISPATCH_PROPERTYPUT ? &put : nullptr, u.count,
                           u.flags == DISPATCH_PROPERTYPUT ? 1u : 0u};
        VARIANT result;
        VariantInit(&result);
        EXCEPINFO ignored = {};
        dispatch->Invoke(u.id, IID_NULL, 1033, u.flags, &call, &result, &ignored, nullptr);
        const VARIANT& seen = u.by_reference ? variable : args[0];
        EXPECT_TRUE_MSG(std::memcmp(&seen, &before, sizeof before) == 0,
                        "%s: the argument was rewritten (vt %d, marker 0x%x)", u.what, V_VT(&seen),
                        seen.wReserved1);
        VariantClear(&result);
        SysFreeString(ignored.bstrDescription);
        SysFreeString(ignored.bstrSource);
        SysFreeString(ignored.bstrHelpFile);
        if (u.vt == VT_BSTR) SysFreeString(V_BSTR(&before));
      }
    }

    ComPtr<ITypeInfo> info;
    EXPECT_HR(S_OK, dispatch->GetTypeInfo(0, 1033, &info), "GetTypeInfo");

    CallEveryEntry(w.Get());

    ComPtr<_Window2> added;
    EXPECT_HR(S_OK, w.As(&added), "QueryInterface(_Window2)");
    if (added) CallTheAddedEntries(added.Get());
  }
  EXPECT_HR(S_OK, CanUnload(), "DllCanUnloadNow once every object is gone");
  // Last: Wine's COM keeps a reference to the class factory of an object it
  // made for a multithreaded apartment, so the library stays loaded after.
  {
    ComPtr<_Window2> w;
    HRESULT hr = CoCreateInstance(CLSID_Window, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&w));
    EXPECT_HR(S_OK, hr, "CoCreateInstance(_Window2)");
    if (w) CallAcrossApartments(w.Get());
  }
  CoUninitialize();
  return conformance::Finish("early-bound");
}
