// Every entry of the virtual table called once at least: the three of
// IUnknown, the four of IDispatch, then one per member in the type
// library's order. A failing entry must publish error info naming the
// component and describing the error; a chooser or the dialog is answered
// from a timer on this thread, which runs inside their modal loops.
#include "every_entry.h"

#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <cwchar>
#include <string>

#include "conformance.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr HRESULT kTypeMismatch = static_cast<HRESULT>(0x800A000D);
constexpr HRESULT kOverflow = static_cast<HRESULT>(0x800A0006);
constexpr HRESULT kInvalidValue = static_cast<HRESULT>(0x800A017C);

// A VARIANT that clears itself.
struct Var {
  VARIANT v;
  Var() { VariantInit(&v); }
  explicit Var(const wchar_t* text) : Var() {
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = SysAllocString(text);
  }
  explicit Var(long number) : Var() {
    V_VT(&v) = VT_I4;
    V_I4(&v) = number;
  }
  explicit Var(double number) : Var() {
    V_VT(&v) = VT_R8;
    V_R8(&v) = number;
  }
  static Var Null() {
    Var n;
    V_VT(&n.v) = VT_NULL;
    return n;
  }
  static Var Missing() {
    Var m;
    V_VT(&m.v) = VT_ERROR;
    V_ERROR(&m.v) = DISP_E_PARAMNOTFOUND;
    return m;
  }
  Var(Var&& other) noexcept : v(other.v) { VariantInit(&other.v); }
  Var(const Var&) = delete;
  ~Var() { VariantClear(&v); }
  VARIANT* operator&() { return &v; }
  bool IsText(const wchar_t* text) const {
    return V_VT(&v) == VT_BSTR && wcscmp(V_BSTR(&v) ? V_BSTR(&v) : L"", text) == 0;
  }
  bool IsI2(short n) const { return V_VT(&v) == VT_I2 && V_I2(&v) == n; }
};

void Succeeds(HRESULT hr, const char* what) { EXPECT_HR(S_OK, hr, what); }

// A failed entry: its status, then the error info it left on the thread.
void Fails(HRESULT expected, HRESULT hr, const wchar_t* description, const char* what) {
  EXPECT_HR(expected, hr, what);
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, &info) != S_OK || !info) {
    EXPECT_TRUE_MSG(false, "%s: no error info", what);
    return;
  }
  BSTR text = nullptr, source = nullptr;
  info->GetDescription(&text);
  info->GetSource(&source);
  EXPECT_TRUE_MSG(text && wcscmp(text, description) == 0, "%s: description %ls, expected %ls", what,
                  text ? text : L"(none)", description);
  EXPECT_TRUE_MSG(source && wcscmp(source, L"Brivet.Window") == 0, "%s: source %ls", what,
                  source ? source : L"(none)");
  SysFreeString(text);
  SysFreeString(source);
}

// Answers whatever modal window this thread shows: a standard dialog
// (chooser) is cancelled, the form has its button captioned `g_press`
// clicked. Runs from a thread timer, so inside any modal loop.
const wchar_t* g_press = L"";
int g_answered = 0;

BOOL CALLBACK ClickButton(HWND child, LPARAM) {
  wchar_t text[64] = {};
  wchar_t kind[32] = {};
  GetClassNameW(child, kind, 32);
  GetWindowTextW(child, text, 64);
  if (_wcsicmp(kind, L"Button") == 0 && wcscmp(text, g_press) == 0 && IsWindowVisible(child)) {
    PostMessageW(child, BM_CLICK, 0, 0);
    ++g_answered;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK AnswerWindow(HWND window, LPARAM) {
  if (!IsWindowVisible(window) || !IsWindowEnabled(window)) return TRUE;
  wchar_t kind[32] = {};
  GetClassNameW(window, kind, 32);
  if (wcscmp(kind, L"#32770") == 0) {  // a standard dialog: cancel it
    PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    ++g_answered;
    return FALSE;
  }
  const int before = g_answered;
  EnumChildWindows(window, ClickButton, 0);
  return g_answered == before;
}

void CALLBACK Answer(HWND, UINT, UINT_PTR, DWORD) {
  EnumThreadWindows(GetCurrentThreadId(), AnswerWindow, 0);
}

// A call that shows a modal window, answered from the timer.
template <typename Call>
HRESULT Answered(const wchar_t* press, Call&& call) {
  g_press = press;
  g_answered = 0;
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, Answer);
  const HRESULT hr = call();
  KillTimer(nullptr, timer);
  EXPECT_TRUE_MSG(g_answered >= 1, "the modal window was answered (%d)", g_answered);
  return hr;
}

}  // namespace

void CallEveryEntry(_Window* w) {
  // IUnknown
  ComPtr<IUnknown> unknown;
  Succeeds(w->QueryInterface(IID_PPV_ARGS(&unknown)), "QueryInterface(IUnknown)");
  ComPtr<IPersist> nothing;
  EXPECT_HR(E_NOINTERFACE, w->QueryInterface(IID_PPV_ARGS(&nothing)), "QueryInterface(IPersist)");
  EXPECT_HR(E_POINTER, w->QueryInterface(IID_IUnknown, nullptr), "QueryInterface without an out pointer");
  const ULONG counted = w->AddRef();
  EXPECT_TRUE_MSG(w->Release() == counted - 1, "AddRef and Release count");

  // IDispatch
  UINT count = 0;
  Succeeds(w->GetTypeInfoCount(&count), "GetTypeInfoCount");
  EXPECT_TRUE_MSG(count == 1, "one type info (%u)", count);
  ComPtr<ITypeInfo> info;
  EXPECT_HR(DISP_E_BADINDEX, w->GetTypeInfo(1, 1033, &info), "GetTypeInfo(1)");
  LPOLESTR names[] = {const_cast<LPOLESTR>(L"SHOWTEXTBOX"), const_cast<LPOLESTR>(L"vh")};
  DISPID ids[2] = {};
  Succeeds(w->GetIDsOfNames(IID_NULL, names, 2, 1033, ids), "GetIDsOfNames(ShowTextBox, vh)");
  EXPECT_TRUE_MSG(ids[0] == 0x6803000E && ids[1] == 2, "ids 0x%lx %ld", (long)ids[0], (long)ids[1]);
  DISPPARAMS none = {};
  EXPECT_HR(DISP_E_MEMBERNOTFOUND,
            w->Invoke(0x60030015, IID_NULL, 1033, DISPATCH_PROPERTYPUT, &none, nullptr, nullptr, nullptr),
            "Invoke a put of the method Show");

  // Window, get and put
  BSTR text = nullptr;
  Succeeds(w->put_Window(nullptr), "put_Window(null)");
  Succeeds(w->get_Window(&text), "get_Window");
  EXPECT_TRUE_MSG(text == nullptr || SysStringLen(text) == 0, "a null text reads back empty");
  SysFreeString(text);
  EXPECT_HR(E_POINTER, w->get_Window(nullptr), "get_Window without an out pointer");

  // The text puts: a text goes, Null is a type mismatch.
  using TextPut = HRESULT (STDMETHODCALLTYPE _Window::*)(VARIANT*);
  const struct {
    TextPut put;
    const char* name;
  } text_puts[] = {
      {&_Window::put_Title, "put_Title"},
      {&_Window::put_Caption, "put_Caption"},
      {&_Window::put_Picture, "put_Picture"},
      {&_Window::put_Text1Caption, "put_Text1Caption"},
      {&_Window::put_Text2Caption, "put_Text2Caption"},
      {&_Window::put_Text1Text, "put_Text1Text"},
      {&_Window::put_Text2Text, "put_Text2Text"},
      {&_Window::put_Button1Caption, "put_Button1Caption"},
      {&_Window::put_Button2Caption, "put_Button2Caption"},
      {&_Window::put_Button3Caption, "put_Button3Caption"},
      {&_Window::put_ButtonColor, "put_ButtonColor"},
      {&_Window::put_WindowColor, "put_WindowColor"},
      {&_Window::put_TextColor, "put_TextColor"},
      {&_Window::put_TextFontLarge, "put_TextFontLarge"},
      {&_Window::put_TextFontBold, "put_TextFontBold"},
      {&_Window::put_Persist, "put_Persist"},
      {&_Window::put_ShowButtons, "put_ShowButtons"},
  };
  for (const auto& p : text_puts) {
    Var good(0L);  // a number: every one of them takes it
    Succeeds((w->*p.put)(&good), p.name);
    Var null = Var::Null();
    Fails(kTypeMismatch, (w->*p.put)(&null), L"Type mismatch", p.name);
    Fails(kTypeMismatch, (w->*p.put)(nullptr), L"Type mismatch", p.name);
  }
  Var word(L"maybe");
  Fails(kTypeMismatch, w->put_TextFontBold(&word), L"Type mismatch", "put_TextFontBold(maybe)");

  // ShowTextBox: the sizes, given or omitted, and their failures.
  Var multi(-1L), width(200L), height(40L), two(2L);
  Succeeds(w->put_ShowTextBox(&multi, &width, &height, &two), "put_ShowTextBox(True, 200, 40) = 2");
  EXPECT_TRUE_MSG(width.IsI2(335), "the width came back as 335 (vt %d)", V_VT(&width.v));
  Var one(1L);
  Succeeds(w->put_ShowTextBox(&multi, nullptr, nullptr, &one), "put_ShowTextBox with null sizes");
  Var missing = Var::Missing(), missing2 = Var::Missing();
  Succeeds(w->put_ShowTextBox(&multi, &missing, &missing2, &one), "put_ShowTextBox with missing sizes");
  EXPECT_TRUE_MSG(missing.IsI2(335) && missing2.IsI2(90), "the defaults went into the arguments");
  Var negative(-5L);
  Fails(kInvalidValue, w->put_ShowTextBox(&multi, &negative, &height, &one), L"Invalid property value",
        "put_ShowTextBox with a negative width");
  Var huge(3e9);
  Fails(kOverflow, w->put_ShowTextBox(&multi, &huge, &height, &one), L"Overflow",
        "put_ShowTextBox with a width beyond 32 bits");
  Fails(kOverflow, w->put_ShowTextBox(&multi, nullptr, nullptr, &huge), L"Overflow",
        "put_ShowTextBox = 3e9");

  // Text1Select never fails.
  Var abc(L"abcdef"), start(3L), length(2L);
  Succeeds(w->put_Text1Text(&abc), "put_Text1Text");
  Succeeds(w->Text1Select(&start, &length), "Text1Select(3, 2)");
  Var null = Var::Null();
  Succeeds(w->Text1Select(&null, nullptr), "Text1Select(Null, null)");

  // The list.
  Succeeds(w->ShowList(), "ShowList");
  Succeeds(w->ClearList(), "ClearList");
  Var list(L"a,b");
  Succeeds(w->LoadList(&list), "LoadList(a,b)");
  Succeeds(w->LoadList(&null), "LoadList(Null) ends quietly");
  Var item(L"c,d");
  Succeeds(w->AddToList(&item), "AddToList(c,d)");
  Succeeds(w->AddToList(nullptr), "AddToList(null) ends quietly");
  Var got;
  Succeeds(w->GetList(&got), "GetList");
  EXPECT_TRUE_MSG(got.IsText(L"a,b,c,d"), "the list reads back");
  EXPECT_HR(E_POINTER, w->GetList(nullptr), "GetList without a result pointer");
  Var removed;
  Succeeds(w->RemoveSelListItem(&removed), "RemoveSelListItem");
  EXPECT_TRUE_MSG(removed.IsText(L""), "nothing selected: the empty text (vt %d)", V_VT(&removed.v));

  // The settings members and sound: statuses, never errors, except
  // GetInfo's section and key.
  Var section(L"early"), key(L"key"), value(L"value"), status, read;
  Succeeds(w->SaveInfo(&section, &key, &value, &status), "SaveInfo");
  EXPECT_TRUE_MSG(status.IsI2(1), "SaveInfo answers 1");
  Var status2;
  Succeeds(w->GetInfo(&section, &key, &read, &status2), "GetInfo");
  EXPECT_TRUE_MSG(status2.IsI2(1) && read.IsText(L"value"), "GetInfo reads it back");
  Var status3;
  Succeeds(w->DeleteInfo(&section, &key, &status3), "DeleteInfo");
  EXPECT_TRUE_MSG(status3.IsI2(1), "DeleteInfo answers 1");
  Var status4;
  Succeeds(w->SaveInfo(&null, &key, &value, &status4), "SaveInfo(Null, ...)");
  EXPECT_TRUE_MSG(status4.IsI2(-1), "SaveInfo(Null, ...) answers -1");
  Var status5, untouched(L"untouched");
  Fails(kTypeMismatch, w->GetInfo(&section, &null, &untouched, &status5), L"Type mismatch", "GetInfo(s, Null)");
  EXPECT_TRUE_MSG(untouched.IsText(L"untouched"), "GetInfo left its value alone");
  Var status6;
  Succeeds(w->DeleteInfo(nullptr, nullptr, &status6), "DeleteInfo(null, null)");
  EXPECT_TRUE_MSG(status6.IsI2(-1), "DeleteInfo with omitted names answers -1");
  Var no_sound(L"C:\\no\\such.wav");
  Succeeds(w->PlaySound(&no_sound), "PlaySound of a missing file");
  Succeeds(w->PlaySound(&null), "PlaySound(Null)");

  // The choosers, cancelled from the timer: their fallback answers.
  Var open, save, folder, rgb, hex;
  Succeeds(Answered(L"", [&] { return w->ChooseFileOpen(&open); }), "ChooseFileOpen");
  EXPECT_TRUE_MSG(open.IsText(L""), "a cancelled ChooseFileOpen answers the empty text");
  Succeeds(Answered(L"", [&] { return w->ChooseFileSave(&save); }), "ChooseFileSave");
  EXPECT_TRUE_MSG(save.IsText(L""), "a cancelled ChooseFileSave answers the empty text");
  Var title(L"Pick one");
  Succeeds(Answered(L"", [&] { return w->ChooseFolder(&title, &folder); }), "ChooseFolder");
  EXPECT_TRUE_MSG(folder.IsText(L""), "a cancelled ChooseFolder answers the empty text");
  Var r(5L), g(6L), b(7L);
  Succeeds(Answered(L"", [&] { return w->ChooseColorRGB(&r, &g, &b, &rgb); }), "ChooseColorRGB");
  EXPECT_TRUE_MSG(V_VT(&rgb.v) == VT_I4 && V_I4(&rgb.v) == -1 && r.IsI2(-1) && g.IsI2(-1) && b.IsI2(-1),
                  "a cancelled ChooseColorRGB answers the 32-bit -1 and 16-bit -1 components (vt %d %d)",
                  V_VT(&rgb.v), V_VT(&r.v));
  Succeeds(Answered(L"", [&] { return w->ChooseColorHex(&hex); }), "ChooseColorHex");
  EXPECT_TRUE_MSG(hex.IsText(L""), "a cancelled ChooseColorHex answers the empty text");

  // The dialog: shown and answered with its second button.
  Succeeds(w->Hide(), "Hide");
  Succeeds(w->Reset(), "Reset");
  Var caption(L"Early bound"), buttons(2L), first(L"One"), second(L"Two"), third(L"Three");
  Succeeds(w->put_Caption(&caption), "put_Caption");
  Succeeds(w->put_ShowButtons(&buttons), "put_ShowButtons(2)");
  Succeeds(w->put_Button1Caption(&first), "put_Button1Caption");
  Succeeds(w->put_Button2Caption(&second), "put_Button2Caption");
  Succeeds(w->put_Button3Caption(&third), "put_Button3Caption");
  Succeeds(Answered(L"Two", [&] { return w->Show(); }), "Show");
  Var t1(L"x"), answer;
  Succeeds(w->Response(&t1, nullptr, nullptr, &answer), "Response");
  EXPECT_TRUE_MSG(answer.IsI2(2) && t1.IsText(L""), "the second button answered 2");
}

void CallTheAddedEntries(_Window2* w) {
  // The same object: _Window's entries are the first part of _Window2's table.
  ComPtr<_Window> old;
  Succeeds(w->QueryInterface(IID_PPV_ARGS(&old)), "QueryInterface(_Window) from _Window2");
  EXPECT_TRUE_MSG(static_cast<_Window*>(w) == old.Get(), "one virtual table for both interfaces");
  ComPtr<ITypeInfo> info;
  Succeeds(w->GetTypeInfo(0, 1033, &info), "GetTypeInfo");
  TYPEATTR* attr = nullptr;
  if (info && SUCCEEDED(info->GetTypeAttr(&attr))) {
    EXPECT_TRUE_MSG(attr->guid == IID__Window2, "the type info describes _Window2");
    info->ReleaseTypeAttr(attr);
  }
  LPOLESTR name[] = {const_cast<LPOLESTR>(L"responselistitem")};
  DISPID id = 0;
  Succeeds(w->GetIDsOfNames(IID_NULL, name, 1, 1033, &id), "GetIDsOfNames(ResponseListItem)");
  EXPECT_TRUE_MSG(id == 0x68040003, "ResponseListItem's id 0x%lx", (long)id);

  // The answer of a dismissal, through the old entries and the new ones.
  // ShowTextBoxes and GetInfoValue take their arguments by value.
  Var t1(L"early \u00e9"), t2(L"second"), buttons(1L), caption(L"Answer"), boxes(2L), multi(0L);
  Var omitted = Var::Missing();
  Succeeds(w->ShowTextBoxes(boxes.v, multi.v, omitted.v, omitted.v), "ShowTextBoxes(2, False)");
  Succeeds(w->put_Text1Text(&t1), "put_Text1Text through _Window2");
  Succeeds(w->put_Text2Text(&t2), "put_Text2Text");
  Succeeds(w->put_ShowButtons(&buttons), "put_ShowButtons(1)");
  Succeeds(w->put_Button1Caption(&caption), "put_Button1Caption");
  Succeeds(Answered(L"Answer", [&] { return w->Show(); }), "Show");
  Var code, code2, text1, text2, entry;
  Succeeds(w->Response(nullptr, nullptr, nullptr, &code), "Response through _Window2");
  Succeeds(w->get_ResponseCode(&code2), "get_ResponseCode");
  EXPECT_TRUE_MSG(code.IsI2(1) && code2.IsI2(1), "the button answered 1");
  Succeeds(w->get_ResponseText1(&text1), "get_ResponseText1");
  Succeeds(w->get_ResponseText2(&text2), "get_ResponseText2");
  Succeeds(w->get_ResponseListItem(&entry), "get_ResponseListItem");
  EXPECT_TRUE_MSG(text1.IsText(L"early \u00e9") && text2.IsText(L"second") && entry.IsText(L""),
                  "the readers answer the texts and no entry");
  EXPECT_HR(E_POINTER, w->get_ResponseText1(nullptr), "get_ResponseText1 without an out pointer");

  // A setting's value as the result; a section that is no text is an error.
  Var section(L"early"), key(L"added"), value(L"v \u00e9"), saved, read, status;
  Succeeds(w->SaveInfo(&section, &key, &value, &saved), "SaveInfo");
  Succeeds(w->GetInfoValue(section.v, key.v, &read), "GetInfoValue");
  EXPECT_TRUE_MSG(read.IsText(L"v \u00e9"), "GetInfoValue answers the value");
  Succeeds(w->DeleteInfo(&section, &key, &status), "DeleteInfo");
  Var absent;
  Succeeds(w->GetInfoValue(section.v, key.v, &absent), "GetInfoValue of a deleted key");
  EXPECT_TRUE_MSG(absent.IsText(L""), "a missing setting's value is the empty text");
  Var null = Var::Null(), failed;
  Fails(kTypeMismatch, w->GetInfoValue(null.v, key.v, &failed), L"Type mismatch", "GetInfoValue(Null, k)");
}

