// Owners of COM resources: pointers, BSTRs and VARIANTs.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <utility>

namespace brivet::com {

using Microsoft::WRL::ComPtr;

class UniqueBstr {
 public:
  UniqueBstr() = default;
  explicit UniqueBstr(BSTR b) noexcept : b_(b) {}
  ~UniqueBstr() { SysFreeString(b_); }
  UniqueBstr(UniqueBstr&& o) noexcept : b_(std::exchange(o.b_, nullptr)) {}
  UniqueBstr& operator=(UniqueBstr&& o) noexcept {
    std::swap(b_, o.b_);
    return *this;
  }
  BSTR get() const noexcept { return b_; }
  BSTR release() noexcept { return std::exchange(b_, nullptr); }
  BSTR* put() noexcept {
    SysFreeString(std::exchange(b_, nullptr));
    return &b_;
  }

 private:
  BSTR b_ = nullptr;
};

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

class UniqueHKey {
 public:
  UniqueHKey() = default;
  ~UniqueHKey() {
    if (k_) RegCloseKey(k_);
  }
  UniqueHKey(const UniqueHKey&) = delete;
  UniqueHKey& operator=(const UniqueHKey&) = delete;
  HKEY get() const noexcept { return k_; }
  HKEY* put() noexcept { return &k_; }

 private:
  HKEY k_ = nullptr;
};

}  // namespace brivet::com
