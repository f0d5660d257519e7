// Contract suites: one table of cases per platform interface, run against
// the headless backend by the native unit tests and against the Win32
// backend under Wine. A failed case states what was expected and what came
// back.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

#include "core/error.h"
#include "core/variant.h"

namespace brivet::contract {

class Checker {
 public:
  virtual ~Checker() = default;
  // Reports one failed case; `message` names the case and both values.
  virtual void Failed(const std::string& message) = 0;

  int failures = 0;
  std::string suite;  // prefixed to every message
};

inline std::string Show(const Text& t) {
  std::string shown(1, '"');
  shown += Narrow(t);
  shown += '"';
  return shown;
}
inline std::string Show(const char16_t* t) { return Show(Text(t)); }
inline std::string Show(const std::string& s) { return "\"" + s + "\""; }
inline std::string Show(const char* s) { return Show(std::string(s)); }
inline std::string Show(bool b) { return b ? "true" : "false"; }
template <typename T>
std::string Show(const std::optional<T>& v) {
  return v ? Show(*v) : std::string("nothing");
}
template <typename T>
  requires std::is_arithmetic_v<T>
std::string Show(T v) {
  std::ostringstream out;
  out << +v;
  return out.str();
}

// The text with line breaks, controls and everything outside ASCII spelt
// out, so a message shows exactly what was stored or asked.
inline std::string Escaped(std::u16string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char16_t c : text) {
    if (c >= 0x20 && c < 0x7F) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    out.push_back('\\');
    if (c == u'\r') out.push_back('r');
    else if (c == u'\n') out.push_back('n');
    else {
      out.push_back(c < 0x100 ? 'x' : 'u');
      for (int shift = c < 0x100 ? 4 : 12; shift >= 0; shift -= 4) out.push_back(kHex[(c >> shift) & 15]);
    }
  }
  return out;
}

// A file's bytes, each shown as the code point of the same number.
inline std::string EscapedBytes(std::string_view bytes) {
  std::u16string widened;
  for (const char b : bytes) widened += static_cast<char16_t>(static_cast<unsigned char>(b));
  return Escaped(widened);
}

inline std::string FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

template <typename A, typename B>
void ExpectEqual(Checker& c, std::string_view what, const A& expected, const B& got) {
  if (expected == got) return;
  ++c.failures;
  c.Failed(c.suite + ": " + std::string(what) + ": expected " + Show(expected) + ", got " + Show(got));
}

// Within `tolerance` of the expected value.
inline void ExpectNear(Checker& c, std::string_view what, double expected, double got,
                       double tolerance) {
  if (got >= expected - tolerance && got <= expected + tolerance) return;
  ++c.failures;
  c.Failed(c.suite + ": " + std::string(what) + ": expected " + Show(expected) + " (within " +
           Show(tolerance) + "), got " + Show(got));
}

// The script-visible number of the error `body` raises; 0 when it raises none.
inline int ErrorNumberOf(const std::function<void()>& body) {
  try {
    body();
  } catch (const Error& e) {
    return e.number();
  }
  return 0;
}

inline void ExpectSuccess(Checker& c, std::string_view what, const std::function<void()>& body) {
  ExpectEqual(c, what, 0, ErrorNumberOf(body));
}

inline void ExpectError(Checker& c, std::string_view what, Fault expected,
                        const std::function<void()>& body) {
  ExpectEqual(c, what, Error(expected).number(), ErrorNumberOf(body));
}

}  // namespace brivet::contract
