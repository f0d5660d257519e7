// The COM object behind Brivet.Window: a dual interface over the portable
// Window routines, with Invoke driven by the member table.
#pragma once

#include <memory>

#include "brivet_h.h"

namespace brivet::com {

// Creates a Window object (running its creation step) and queries riid.
HRESULT CreateWindowObject(REFIID riid, void** object);

}  // namespace brivet::com
