#include "toolkit_headless.h"

#include <algorithm>
#include <cmath>

#include "core/error.h"

namespace brivet::headless {

using form::ControlId;

namespace {

float Checked(float twips) {
  if (!std::isfinite(twips)) throw Error(Fault::InvalidPropertyValue);
  return twips;
}

float NonNegative(float twips) {
  if (Checked(twips) < 0) throw Error(Fault::InvalidPropertyValue);
  return twips;
}

}  // namespace

std::unique_ptr<form::FormWindow> HeadlessToolkit::CreateForm(form::FormEventSink& sink) {
  ++forms_created;
  return std::make_unique<HeadlessForm>(*this, sink);
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

void HeadlessForm::SetTop(float twips) { top_ = Checked(twips); }

void HeadlessForm::SetWidth(float twips) {
  if (NonNegative(twips) == width_) return;
  width_ = twips;
  Resized();
}

void HeadlessForm::SetHeight(float twips) {
  if (NonNegative(twips) == height_) return;
  height_ = twips;
  Resized();
}

void HeadlessForm::SetLeft(ControlId c, float twips) { at(c).left = Checked(twips); }
void HeadlessForm::SetTop(ControlId c, float twips) { at(c).top = Checked(twips); }
void HeadlessForm::SetWidth(ControlId c, float twips) { at(c).width = NonNegative(twips); }
void HeadlessForm::SetHeight(ControlId c, float twips) { at(c).height = NonNegative(twips); }

void HeadlessForm::SetCaption(ControlId c, const Text& caption) {
  ControlState& state = at(c);
  state.caption = caption;
  if (form::TemplateOf(c).kind != form::ControlKind::Label) return;
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

void HeadlessForm::SetSelStart(ControlId c, int32_t start) {
  if (start < 0) throw Error(Fault::InvalidPropertyValue);
  at(c).sel_start = start;
}

void HeadlessForm::SetSelLength(ControlId c, int32_t length) {
  if (length < 0) throw Error(Fault::InvalidPropertyValue);
  at(c).sel_length = length;
}

void HeadlessForm::AddItem(const Text& entry) {
  if (entries_.size() >= 32767) throw Error(Fault::OutOfMemory);
  entries_.push_back(entry);
}

void HeadlessForm::ClearList() {
  entries_.clear();
  list_index_ = -1;
}

Text HeadlessForm::ListEntry(int16_t index) const {
  if (index < 0 || static_cast<size_t>(index) >= entries_.size())
    throw Error::InvalidCall();
  return entries_[static_cast<size_t>(index)];
}

void HeadlessForm::RemoveItem(int16_t index) {
  if (index < 0 || static_cast<size_t>(index) >= entries_.size()) throw Error::InvalidCall();
  entries_.erase(entries_.begin() + index);
  if (list_index_ == index) list_index_ = -1;
  else if (list_index_ > index) --list_index_;
}

void HeadlessForm::LoadPicture(const Text& path) {
  // The headless file system decides what is a picture: a file whose content
  // starts with a known picture signature. Tests name such files directly.
  if (path.find(u"notapicture") != Text::npos)
    throw Error(Fault::InvalidPicture);
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
