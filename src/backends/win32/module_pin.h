// Keeps the module loaded while something of it can be reached without a
// call from its host: a window on any thread (its procedure and data are
// ours), an object a screen reader holds. The host may free the module
// meanwhile (FreeLibrary of its own, or COM at its last CoUninitialize);
// the module's reference to itself keeps it until the last of those goes.
#pragma once

namespace brivet::win32 {

// One hold while it lives; copies are holds of their own.
class ModulePin {
 public:
  ModulePin() noexcept;
  ModulePin(const ModulePin&) noexcept;
  ModulePin& operator=(const ModulePin&) noexcept { return *this; }
  ~ModulePin();
};

// Holds alive in the process (for tests and the unload check).
long ModulePinHolds() noexcept;

}  // namespace brivet::win32
