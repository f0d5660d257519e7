// The per-thread record every Window object and every form handler of a
// thread shares, with the thread's form instance.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/variant.h"
#include "form/fbox.h"
#include "form/layout.h"

namespace brivet::window {

// The layout's share of the record (ButtonCount, TextBoxCount, FormWidth,
// FormHeight, HeaderHeight, CaptionWidth, HasHeader) is its base.
struct DialogState : form::LayoutRecord {
  std::unique_ptr<form::Fbox> form;  // empty until first needed
  int16_t ResponseCode = 0;
  bool MultiLine = false;
  Variant ResponseText1;
  Variant ResponseText2;
  Variant ResponseListItem;
  int32_t TextBoxWidth = 0;
  int32_t TextBoxHeight = 0;
  int32_t TwipsPerPixelX = 0;
  int32_t TwipsPerPixelY = 0;
  bool PersistFlag = false;

  // The next form instance, its window created while a display waited for
  // the user, so that a dismissal need not build one.
  std::unique_ptr<form::Fbox> spare;
  // Discarded form instances whose windows may still be on the call stack
  // (ResetForm runs inside their own event handlers); freed while the next
  // display waits for the user, or by the next call that uses the form
  // while no display and no handler runs.
  std::vector<std::unique_ptr<form::Fbox>> retired;
  int modal_depth = 0;
  int handler_depth = 0;  // form event handlers running on the thread
  int live_objects = 0;
};

// The calling thread's record, created on first use.
DialogState& ThreadState();
// The calling thread's form, created (not loaded) if the reference is empty;
// frees retired forms first where that is safe.
form::Fbox& ThreadForm();
// The thread's form, loaded, as its live window.
form::FormWindow& ThreadUi();
// Frees retired forms when no modal display and no form handler is running
// on the thread.
void CollectRetired();
// The thread's form, replaced by a fresh one: the spare if there is one.
void LoadFreshForm();
// Drops the calling thread's record (when its last object goes away).
void ReleaseThreadState();

}  // namespace brivet::window
