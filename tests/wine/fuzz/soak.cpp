// Soak: cycles of create, fill every section, show, dismiss (a button and
// the close box in turn), Response, release, through IDispatch as a script
// host calls. Prints the resource figures after a warm-up and at the end
// and fails when any grew beyond a small fixed bound.
//
//   soak.exe [cycles]
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "brivet_h.h"
#include "robustness.h"

using namespace robustness;

namespace {

bool Cycle(Answerer& answerer, const std::wstring& picture, bool close, long cycle) {
  IDispatch* object = nullptr;
  if (FAILED(CoCreateInstance(CLSID_Window, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                              reinterpret_cast<void**>(&object)))) {
    std::printf("FAIL CoCreateInstance at cycle %ld\n", cycle);
    return false;
  }
  Client w(object);
  const WORD put = DISPATCH_PROPERTYPUT, method = DISPATCH_METHOD;
  VARIANT title = Text(L"Soak"), caption = Text(L"Every section of the dialog, shown and dismissed."),
          pic = Text(picture.c_str()), cap1 = Text(L"First"), cap2 = Text(L"Second"),
          text1 = Text(L"typed text"), text2 = Text(L"more text"), b1 = Text(L"One"), b2 = Text(L"Two"),
          b3 = Text(L"Three"), item = Text(L"entry"), list = Text(L"alpha,beta,gamma"), colour = Text(L"336699"),
          two = Number(2), three = Number(3), yes = Flag(true), no = Flag(false), large = Number(12),
          textcolour = Number(0x00204060);
  VARIANT width = Number(300), height = Number(60);
  bool ok = w.Call(L"Title", put, {title}) && w.Call(L"Caption", put, {caption}) &&
            w.Call(L"Picture", put, {pic}) &&
            w.Call(L"ShowTextBox", put, {no, Ref(&width), Ref(&height), two}) &&
            w.Call(L"Text1Caption", put, {cap1}) && w.Call(L"Text2Caption", put, {cap2}) &&
            w.Call(L"Text1Text", put, {text1}) && w.Call(L"Text2Text", put, {text2}) &&
            w.Call(L"TextFontLarge", put, {large}) && w.Call(L"TextFontBold", put, {yes}) &&
            w.Call(L"ShowList", method, {}) && w.Call(L"LoadList", method, {list}) &&
            w.Call(L"AddToList", method, {item}) && w.Call(L"ShowButtons", put, {three}) &&
            w.Call(L"Button1Caption", put, {b1}) && w.Call(L"Button2Caption", put, {b2}) &&
            w.Call(L"Button3Caption", put, {b3}) && w.Call(L"ButtonColor", put, {colour}) &&
            w.Call(L"WindowColor", put, {colour}) && w.Call(L"TextColor", put, {textcolour});
  answerer.set_close_next(close);
  const long answered = answerer.forms_answered();
  ok = ok && w.Call(L"Show", method, {});
  if (ok && answerer.forms_answered() == answered) {
    std::printf("FAIL cycle %ld: Show returned without the dialog being answered\n", cycle);
    ok = false;
  }
  VARIANT a, b, c, response;
  VariantInit(&a), VariantInit(&b), VariantInit(&c), VariantInit(&response);
  ok = ok && w.Call(L"Response", method, {Ref(&a), Ref(&b), Ref(&c)}, &response);
  const bool answer_ok = V_VT(&response) == VT_I2 &&
                         (close ? V_I2(&response) == 0 : V_I2(&response) >= 1 && V_I2(&response) <= 3);
  if (ok && !answer_ok) {
    std::printf("FAIL cycle %ld: Response answered vt %d value %d\n", cycle, V_VT(&response), V_I2(&response));
    ok = false;
  }
  for (VARIANT* v : {&a, &b, &c, &response, &title, &caption, &pic, &cap1, &cap2, &text1, &text2, &b1, &b2,
                     &b3, &item, &list, &colour, &width, &height})
    VariantClear(v);
  object->Release();
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  const long cycles = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 200;
  CoInitialize(nullptr);
  const std::wstring picture = WriteScratchPicture(L"brivet-soak.bmp");
  bool ok = true;
  {
    Answerer answerer;
    const long warmup = cycles < 200 ? cycles / 4 : 50;
    Figures start{};
    for (long i = 0; i < cycles && ok; ++i) {
      if (i == warmup) {
        start = Measure();
        Print("soak after warm-up", start);
      }
      ok = Cycle(answerer, picture, i % 2 == 1, i);
    }
    const Figures end = Measure();
    Print("soak at the end", end);
    std::printf("soak: %ld cycles, forms answered %ld\n", cycles, answerer.forms_answered());
    ok = ok && WithinBounds("soak", start, end);  // a failed cycle may come before the warm-up
  }
  DeleteFileW(picture.c_str());
  CoUninitialize();
  std::printf("soak: %s\n", ok ? "passed" : "FAILED");
  return ok ? 0 : 1;
}
