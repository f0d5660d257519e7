// Module-wide state of the DLL: its handle and the counts of live objects,
// factory references and locks that decide whether it may be unloaded.
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace brivet::com {

HINSTANCE ModuleHandle() noexcept;
void ObjectCreated() noexcept;
void ObjectDestroyed() noexcept;
void LockModule(bool lock) noexcept;
bool ModuleInUse() noexcept;

// The type information of the dispatch interface, from the library's own
// type library resource.
HRESULT WindowTypeInfo(ITypeInfo** info);

}  // namespace brivet::com
