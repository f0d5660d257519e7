// Calls every entry of the virtual table of a Window object (see the .cpp):
// those of _Window, then those _Window2 adds.
#pragma once

#include "brivet_h.h"

void CallEveryEntry(_Window* w);
void CallTheAddedEntries(_Window2* w);
