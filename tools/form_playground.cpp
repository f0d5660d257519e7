// An interactive form on the Win32 toolkit, to drive under Wine with real
// input. Prints one line per event; a click or close request hides the form.
//   form_playground [list] [multi] [twice] [picture <file>]
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>

#include "handles.h"
#include "toolkit_win32.h"

using brivet::Text;
using brivet::form::ControlId;

namespace {

std::string Narrow(const Text& t) {
  std::string s;
  for (char16_t ch : t) s += ch < 0x80 ? static_cast<char>(ch) : '?';
  return s;
}

struct Sink : brivet::form::FormEventSink {
  brivet::form::FormWindow* form = nullptr;
  void OnResize() override {
    std::printf("resize %.0f %.0f\n", form->Width(), form->Height());
    std::fflush(stdout);
  }
  void OnButtonClick(int index) override {
    std::printf("click %d\n", index);
    std::fflush(stdout);
    form->Hide();
  }
  void OnCloseRequest() override {
    std::printf("close\n");
    std::fflush(stdout);
    form->Hide();
  }
  void OnIdle() override {}
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  bool list = false, multi = false, twice = false;
  const wchar_t* picture = nullptr;
  for (int i = 1; i < argc; ++i) {
    const std::wstring a = argv[i];
    if (a == L"list") list = true;
    if (a == L"multi") multi = true;
    if (a == L"twice") twice = true;
    if (a == L"picture" && i + 1 < argc) picture = argv[++i];
  }
  brivet::win32::ComScope com;
  try {
    auto toolkit = brivet::MakeWin32Toolkit(GetModuleHandleW(nullptr));
    Sink sink;
    auto form = toolkit->CreateForm(sink);
    sink.form = form.get();
    std::printf("twips-per-pixel %.2f %.2f screen-height %.0f\n", toolkit->TwipsPerPixelX(),
                toolkit->TwipsPerPixelY(), toolkit->ScreenHeight());

    form->SetCaption(u"Toolkit smoke");
    form->SetBackColor(0xF0E0C0);  // light blue
    if (list) {
      form->SetVisible(ControlId::frlist, true);
      form->SetCaption(ControlId::frlist, u"Pick one");
      form->SetTop(ControlId::lbox, 240);
      form->SetHeight(ControlId::lbox, 1200);
      for (auto entry : {u"alpha", u"beta", u"gamma", u"delta"}) form->AddItem(entry);
    } else {
      form->SetVisible(ControlId::FT1, true);
      form->SetVisible(ControlId::FT2, true);
      form->SetCaption(ControlId::FT1, u"First heading (red)");
      form->SetForeColor(ControlId::FT1, 0x0000C0);
      form->SetCaption(ControlId::FT2, u"Second heading");
      if (multi) {
        form->SetVisible(ControlId::T1, false);
        form->SetVisible(ControlId::T1M, true);
        form->SetHeight(ControlId::FT1, 900);
        form->SetHeight(ControlId::T1M, 600);
        form->SetTop(ControlId::FT2, 1950);
        form->SetText(ControlId::T1M, u"one\r\ntwo");
      } else {
        form->SetText(ControlId::T1, u"Hello");
      }
      form->SetText(ControlId::T2, u"second box");
      form->SetFontBold(ControlId::T2, true);
    }
    form->SetVisible(ControlId::FrLab, true);
    form->SetBackColor(ControlId::FrLab, 0xC0FFFF);  // light yellow
    form->SetBackColor(ControlId::Lab1, 0xC0FFFF);
    form->SetForeColor(ControlId::Lab1, 0x800000);  // dark blue
    form->SetCaption(ControlId::Lab1, u"Line one\r\nA longer second line");
    std::printf("label %.0f %.0f\n", form->Width(ControlId::Lab1), form->Height(ControlId::Lab1));
    const char16_t* captions[] = {u"OK", u"Cancel", u"Help"};
    const int32_t colours[] = {0x90EE90, 0x8080FF, brivet::form::kNoColor};
    for (int i = 0; i < 3; ++i) {
      form->SetVisible(brivet::form::ButtonFrameOf(i), true);
      form->SetCaption(brivet::form::ButtonOf(i), captions[i]);
      form->SetBackColor(brivet::form::ButtonOf(i), colours[i]);
    }
    if (picture) {
      form->SetVisible(ControlId::FrIm, true);
      form->LoadPicture(reinterpret_cast<const char16_t*>(picture));
    }

    std::printf("size %.0f %.0f\n", form->Width(), form->Height());
    std::printf("set same width\n");
    form->SetWidth(form->Width());
    std::printf("set wider\n");
    form->SetWidth(form->Width() + 600);
    std::printf("set done\n");
    std::fflush(stdout);

    for (int round = 0; round < (twice ? 2 : 1); ++round) {
      std::printf("show %d\n", round);
      std::fflush(stdout);
      form->ShowModal();
      std::printf("returned visible=%d\n", form->Visible() ? 1 : 0);
    }
    if (list)
      std::printf("list-index %d\n", form->ListIndex());
    else
      std::printf("T1 [%s] T1M [%s] T2 [%s]\n", Narrow(form->GetText(ControlId::T1)).c_str(),
                  Narrow(form->GetText(ControlId::T1M)).c_str(), Narrow(form->GetText(ControlId::T2)).c_str());
  } catch (const brivet::Error& e) {
    std::printf("error %d: %s\n", e.number(), e.what());
    return 1;
  }
  return 0;
}
