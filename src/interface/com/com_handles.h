// Owners of the COM boundary's resources: the handle owners of the Win32
// backend, and VARIANTs.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include "backends/win32/handles.h"

namespace brivet::com {

using win32::ComPtr;
using win32::SlimLock;
using win32::UniqueRegistryKey;

class UniqueVariant {
 public:
  UniqueVariant() noexcept { VariantInit(&v_); }
  ~UniqueVariant() { VariantClear(&v_); }
  UniqueVariant(const UniqueVariant&) = delete;
  UniqueVariant& operator=(const UniqueVariant&) = delete;
  VARIANT* get() noexcept { return &v_; }
  const VARIANT* get() const noexcept { return &v_; }
  VARIANT release() noexcept {
    VARIANT out = v_;
    VariantInit(&v_);
    return out;
  }

 private:
  VARIANT v_;
};

}  // namespace brivet::com
