// Defines the class, interface and library identifiers once.
#include <initguid.h>

#include "brivet_h.h"
