#include "toolkit_headless.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>
#include <vector>

#include "core/error.h"
#include "core/text.h"
#include "form/picture_file_check.h"
#include "file_system_headless.h"

namespace brivet::headless {

using form::ControlId;

using form::CheckedPosition;
using form::CheckedSize;

std::unique_ptr<form::FormWindow> HeadlessToolkit::CreateForm(form::FormEventSink& sink) {
  ++forms_created;
  return std::make_unique<HeadlessForm>(*this, sink);
}

int32_t HeadlessForm::ShownBackColor(form::ControlId c) const {
  return form::ShownColor(at(c).back_color, toolkit_.HighContrast());
}

HeadlessForm::HeadlessForm(HeadlessToolkit& toolkit, form::FormEventSink& sink)
    : toolkit_(toolkit), sink_(sink) {
  for (const form::ControlTemplate& t : form::Template()) {
    ControlState& c = at(t.id);
    c.left = float(t.left);
    c.top = float(t.top);
    c.width = float(t.width);
    c.height = float(t.height);
    c.visible = t.visible;
  }
  toolkit_.forms.push_back(this);
}

HeadlessForm::~HeadlessForm() {
  auto& forms = toolkit_.forms;
  forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
}

void HeadlessForm::Resized() {
  ++resize_events;
  sink_.OnResize();
}

void HeadlessForm::SetTop(float twips) { top_ = CheckedPosition(twips); }

void HeadlessForm::SetWidth(float twips) {
  if (CheckedSize(twips) == width_) return;
  width_ = twips;
  Resized();
}

void HeadlessForm::SetHeight(float twips) {
  if (CheckedSize(twips) == height_) return;
  height_ = twips;
  Resized();
}

void HeadlessForm::SetLeft(ControlId c, float twips) { at(c).left = CheckedPosition(twips); }
void HeadlessForm::SetTop(ControlId c, float twips) { at(c).top = CheckedPosition(twips); }
void HeadlessForm::SetWidth(ControlId c, float twips) { at(c).width = CheckedSize(twips); }
void HeadlessForm::SetHeight(ControlId c, float twips) { at(c).height = CheckedSize(twips); }

ControlState& HeadlessForm::box(ControlId c) {
  return const_cast<ControlState&>(std::as_const(*this).box(c));
}

const ControlState& HeadlessForm::box(ControlId c) const {
  const form::ControlKind kind = form::TemplateOf(c).kind;
  if (kind != form::ControlKind::TextBox && kind != form::ControlKind::MultiLineTextBox)
    throw Error::InvalidCall();
  return at(c);
}

void HeadlessForm::SetCaption(const Text& title) { title_ = Text(UpToNul(title)); }

void HeadlessForm::SetCaption(ControlId c, const Text& text) {
  const form::ControlKind kind = form::TemplateOf(c).kind;
  if (kind != form::ControlKind::Frame && kind != form::ControlKind::Label &&
      kind != form::ControlKind::Button)
    throw Error::InvalidCall();
  ControlState& state = at(c);
  const Text caption(UpToNul(text));
  state.caption = caption;
  if (kind != form::ControlKind::Label) return;
  // A label measures its text: the longest line wide, all lines high.
  size_t longest = 0, line = 0, lines = 1;
  for (size_t i = 0; i < caption.size(); ++i) {
    const char16_t ch = caption[i];
    if (ch == u'\r' || ch == u'\n') {
      if (ch == u'\r' && i + 1 < caption.size() && caption[i + 1] == u'\n') ++i;
      longest = std::max(longest, line);
      line = 0;
      ++lines;
    } else {
      ++line;
    }
  }
  longest = std::max(longest, line);
  state.width = float(longest) * HeadlessToolkit::kCharWidth;
  state.height = float(lines) * HeadlessToolkit::kLineHeight;
}

void HeadlessForm::SetText(ControlId c, const Text& text) {
  ControlState& state = box(c);
  state.text = Text(UpToNul(text));
  state.sel_start = state.sel_length = 0;  // a new text starts with the caret at its start
}

void HeadlessForm::SetSelStart(ControlId c, int32_t start) {
  ControlState& state = box(c);
  if (start < 0) throw Error(Fault::InvalidPropertyValue);
  state.sel_start = std::min(start, static_cast<int32_t>(state.text.size()));
  state.sel_length = 0;
}

void HeadlessForm::SetSelLength(ControlId c, int32_t length) {
  ControlState& state = box(c);
  if (length < 0) throw Error(Fault::InvalidPropertyValue);
  state.sel_length = std::min(length, static_cast<int32_t>(state.text.size()) - state.sel_start);
}

void HeadlessForm::AddItem(const Text& entry) { entries_.Append(entry); }

void HeadlessForm::AddItems(std::span<const Text> entries) {
  ++list_batches;
  for (const Text& entry : entries) AddItem(entry);
}

void HeadlessForm::ClearList() {
  entries_.Clear();
  list_index_ = -1;
}

Text HeadlessForm::ListEntry(int16_t index) const { return entries_.At(index); }

void HeadlessForm::RemoveItem(int16_t index) {
  entries_.Remove(index);
  if (list_index_ == index) list_index_ = -1;
  else if (list_index_ > index) --list_index_;
}

// A picture is a file whose headers the shared check accepts; the headless
// backend decodes nothing beyond that.
void HeadlessForm::LoadPicture(const Text& path) {
  if (path.empty()) {
    picture.clear();
    return;
  }
  namespace fs = std::filesystem;
  const fs::path file = NativePath(path);
  std::error_code ec;
  const fs::file_status status = fs::status(file, ec);
  if (!fs::exists(status)) throw Error(Fault::FileNotFound);
  std::ifstream in(file, std::ios::binary);
  if (fs::is_directory(status) || !in) throw Error(Fault::PathFileAccess);
  const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw Error(Fault::PathFileAccess);
  if (form::CheckPictureFile(bytes) == form::PictureFormat::None) throw Error(Fault::InvalidPicture);
  picture = path;
}

bool HeadlessForm::Shown(ControlId c) const {
  if (!visible_ || !at(c).visible) return false;
  const ControlId container = form::TemplateOf(c).container;
  return container == form::kNoContainer || at(container).visible;
}

void HeadlessForm::ShowModal() {
  ++shows;
  // Like the Win32 backend: the first display raises the resize event, before
  // the window appears; showing it again does not.
  if (!shown_before_) {
    shown_before_ = true;
    Resized();
  }
  visible_ = true;
  // The user acts only once the display waits, as on screen.
  sink_.OnIdle();
  while (visible_) {
    if (toolkit_.actions.empty()) {
      visible_ = false;
      throw QueueRanDry();
    }
    UserAction action = std::move(toolkit_.actions.front());
    toolkit_.actions.pop_front();
    Play(action);
  }
}

void HeadlessForm::Play(const UserAction& action) {
  switch (action.kind) {
    case UserAction::Kind::PressButton: {
      const ControlId button = form::ButtonOf(action.index);
      if (!Shown(button)) throw std::logic_error("pressed a button that is not on screen");
      sink_.OnButtonClick(action.index);
      break;
    }
    case UserAction::Kind::CloseBox:
      sink_.OnCloseRequest();
      break;
    case UserAction::Kind::Type:
      if (!Shown(action.control)) throw std::logic_error("typed into a box that is not on screen");
      at(action.control).text += action.text;
      break;
    case UserAction::Kind::SelectEntry:
      if (action.index < -1 || action.index >= ListCount())
        throw std::logic_error("selected a list entry that does not exist");
      list_index_ = static_cast<int16_t>(action.index);
      break;
    case UserAction::Kind::Inspect:
      action.inspect();
      break;
  }
}

}  // namespace brivet::headless
