// Calls every entry of the virtual table of a Window object (see the .cpp).
#pragma once

#include "brivet_h.h"

void CallEveryEntry(_Window* w);
