// The one error idiom of the component: every failing routine throws
// brivet::Error, carrying the automation status (an HRESULT value) and the
// description a script sees. The boundary turns it into EXCEPINFO/IErrorInfo.
//
// This file is the catalogue: every status and every error the component
// raises is named here once, with its number and its description.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace brivet {

// Automation statuses the dispatcher answers with. Values match the
// platform's, so the boundary can pass them through unchanged.
namespace status {
inline constexpr int32_t kOk = 0;
inline constexpr int32_t kFail = static_cast<int32_t>(0x80004005);
inline constexpr int32_t kNotImplemented = static_cast<int32_t>(0x80004001);
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

// The errors the component raises, each with its status and description.
enum class Fault : uint8_t {
  InvalidCall,           // 5
  Overflow,              // 6
  OutOfMemory,           // 7
  TypeMismatch,          // 13
  FileNotFound,          // 53
  PermissionDenied,      // 70
  PathFileAccess,        // 75
  PathNotFound,          // 76
  InvalidPropertyValue,  // 380
  CantCreateObject,      // 429
  InvalidPicture,        // 481
  NotAvailableYet,       // a member or service this build does not offer
};

struct FaultInfo {
  int32_t status;
  const char* description;
};

constexpr FaultInfo InfoOf(Fault fault) {
  switch (fault) {
    case Fault::InvalidCall: return {status::RuntimeError(5), "Invalid procedure call or argument"};
    case Fault::Overflow: return {status::RuntimeError(6), "Overflow"};
    case Fault::OutOfMemory: return {status::RuntimeError(7), "Out of memory"};
    case Fault::TypeMismatch: return {status::RuntimeError(13), "Type mismatch"};
    case Fault::FileNotFound: return {status::RuntimeError(53), "File not found"};
    case Fault::PermissionDenied: return {status::RuntimeError(70), "Permission denied"};
    case Fault::PathFileAccess: return {status::RuntimeError(75), "Path/File access error"};
    case Fault::PathNotFound: return {status::RuntimeError(76), "Path not found"};
    case Fault::InvalidPropertyValue: return {status::RuntimeError(380), "Invalid property value"};
    case Fault::CantCreateObject:
      return {status::RuntimeError(429), "ActiveX component can't create object"};
    case Fault::InvalidPicture: return {status::RuntimeError(481), "Invalid picture"};
    case Fault::NotAvailableYet: return {status::kNotImplemented, "This member is not available yet"};
  }
  return {status::kFail, "Unexpected error"};
}

class Error : public std::runtime_error {
 public:
  explicit Error(Fault fault) : Error(InfoOf(fault).status, InfoOf(fault).description) {}
  Error(int32_t code, const std::string& description)
      : std::runtime_error(description), code_(code) {}

  int32_t code() const noexcept { return code_; }
  // Script-visible error number: the low word for run-time errors.
  int number() const noexcept;
  bool Is(Fault fault) const noexcept { return code_ == InfoOf(fault).status; }

  static Error TypeMismatch() { return Error(Fault::TypeMismatch); }
  static Error Overflow() { return Error(Fault::Overflow); }
  static Error InvalidCall() { return Error(Fault::InvalidCall); }
  // A platform call that failed for a reason of its own, described in `what`.
  static Error Toolkit(const std::string& what) { return Error(status::kFail, what); }

 private:
  int32_t code_;
};

inline int Error::number() const noexcept {
  const auto u = static_cast<uint32_t>(code_);
  return (u & 0xFFFF0000u) == 0x800A0000u ? static_cast<int>(u & 0xFFFF) : static_cast<int>(code_);
}

}  // namespace brivet
