// The scripting object: one routine per member of the dispatch interface.
// Arguments are variants by reference; a routine writes into an argument
// only where the member hands a value back through it.
#pragma once

#include "core/variant.h"

namespace brivet::window {

class Window {
 public:
  Window();   // loads the thread's form, reads the screen metrics, clears Persist
  ~Window();  // asks the thread's form to unload (the close-box path)
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // The object's own text property.
  const Text& window_text() const noexcept { return window_text_; }
  void set_window_text(Text text) { window_text_ = std::move(text); }

  // Title, caption and picture.
  void Title(Variant& bxtitle);
  void Caption(Variant& vcapt);
  void Picture(Variant& vpic);

  // Text boxes.
  void ShowTextBox(Variant& bmulti, Variant& vw, Variant& vh, Variant& inum);
  void Text1Caption(Variant& v1cap);
  void Text2Caption(Variant& v2cap);
  void Text1Text(Variant& v1stext);
  void Text2Text(Variant& v2stext);
  void TextFontLarge(Variant& vsiz);
  void TextFontBold(Variant& vbold);
  void Text1Select(Variant& vst, Variant& vl);

  // Buttons and colours.
  void ShowButtons(Variant& inum);
  void Button1Caption(Variant& vcap0);
  void Button2Caption(Variant& vcap1);
  void Button3Caption(Variant& vcap2);
  void ButtonColor(Variant& vcolb);
  void WindowColor(Variant& vcolw);
  void TextColor(Variant& vcolt);

  // Display.
  void Show();
  void Hide();
  void Persist(Variant& vbool);
  void Reset();

  // List.
  void ShowList();
  void ClearList();
  void LoadList(Variant& vlist);
  Variant GetList();
  void AddToList(Variant& vitem);
  Variant RemoveSelListItem();

  // Choosers.
  Variant ChooseFileOpen();
  Variant ChooseFileSave();
  Variant ChooseFolder(Variant& vtitle);
  Variant ChooseColorRGB(Variant& vr, Variant& vg, Variant& vbl);
  Variant ChooseColorHex();

  // The answer. Response hands the texts and the entry back through its
  // arguments; the readers hand each part back as a result, for clients
  // that pass every argument by value.
  Variant Response(Variant& stext1, Variant& stext2, Variant& slist);
  Variant ResponseCode();
  Variant ResponseText1();
  Variant ResponseText2();
  Variant ResponseListItem();

  // Settings and sound. (Windows headers define PlaySound as a macro.)
  Variant GetInfo(Variant& vsect, Variant& vlin, Variant& vval);
  Variant GetInfoValue(Variant& vsect, Variant& vlin);  // what GetInfo writes into vval
  Variant SaveInfo(Variant& vsect, Variant& vlin, Variant& vval);
  Variant DeleteInfo(Variant& vsect, Variant& vlin);
#pragma push_macro("PlaySound")
#undef PlaySound
  void PlaySound(Variant& vfil);
#pragma pop_macro("PlaySound")

 private:
  Text window_text_;
};

// Live Window objects in the process (for the module's unload check).
long LiveWindowCount() noexcept;

}  // namespace brivet::window
