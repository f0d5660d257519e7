// Conversion between the platform's VARIANT and the portable Variant.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include "core/variant.h"

namespace brivet::com {

// Reads a value passed to the component, following references.
Variant FromVariant(const VARIANT& in);
// Writes a value into an empty or cleared VARIANT.
HRESULT ToVariant(const Variant& value, VARIANT* out);
// Stores a value into the caller's variable an argument refers to; an
// argument passed by value is left alone.
void WriteBack(const Variant& value, VARIANT& argument);

BSTR ToBstr(const Text& text);
Text FromBstr(BSTR b);

}  // namespace brivet::com
