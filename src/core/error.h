// The one error idiom of the component: every failing routine throws
// brivet::Error, carrying the automation status (an HRESULT value) and the
// description a script sees. The boundary turns it into EXCEPINFO/IErrorInfo.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace brivet {

// Automation statuses used by the component. Values match the platform's,
// so the boundary can pass them through unchanged.
namespace status {
inline constexpr int32_t kOk = 0;
inline constexpr int32_t kFail = static_cast<int32_t>(0x80004005);
inline constexpr int32_t kOutOfMemory = static_cast<int32_t>(0x8007000E);
inline constexpr int32_t kInvalidArg = static_cast<int32_t>(0x80070057);
inline constexpr int32_t kMemberNotFound = static_cast<int32_t>(0x80020003);
inline constexpr int32_t kParamNotFound = static_cast<int32_t>(0x80020004);
inline constexpr int32_t kTypeMismatch = static_cast<int32_t>(0x80020005);
inline constexpr int32_t kUnknownName = static_cast<int32_t>(0x80020006);
inline constexpr int32_t kNoNamedArgs = static_cast<int32_t>(0x80020007);
inline constexpr int32_t kBadVarType = static_cast<int32_t>(0x80020008);
inline constexpr int32_t kException = static_cast<int32_t>(0x80020009);
inline constexpr int32_t kOverflow = static_cast<int32_t>(0x8002000A);
inline constexpr int32_t kBadParamCount = static_cast<int32_t>(0x8002000E);
inline constexpr int32_t kParamNotOptional = static_cast<int32_t>(0x8002000F);
// Run-time errors in the script engine's own numbering (facility 0x0A), the
// form in which a compiled automation component reports them.
inline constexpr int32_t RuntimeError(int number) {
  return static_cast<int32_t>(0x800A0000u | static_cast<uint32_t>(number & 0xFFFF));
}
}  // namespace status

class Error : public std::runtime_error {
 public:
  Error(int32_t code, const std::string& description)
      : std::runtime_error(description), code_(code) {}

  int32_t code() const noexcept { return code_; }
  // Script-visible error number: the low word for run-time errors.
  int number() const noexcept;

  static Error TypeMismatch() { return Error(status::RuntimeError(13), "Type mismatch"); }
  static Error Overflow() { return Error(status::RuntimeError(6), "Overflow"); }
  static Error InvalidCall() {
    return Error(status::RuntimeError(5), "Invalid procedure call or argument");
  }
  static Error Toolkit(const std::string& what) { return Error(status::kFail, what); }

 private:
  int32_t code_;
};

inline int Error::number() const noexcept {
  const auto u = static_cast<uint32_t>(code_);
  return (u & 0xFFFF0000u) == 0x800A0000u ? static_cast<int>(u & 0xFFFF) : static_cast<int>(code_);
}

}  // namespace brivet
