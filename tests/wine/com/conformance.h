// Minimal conformance-test reporting: each check states what was expected
// and what came back; the program ends with the counts and fails on any miss.
#pragma once

#include <cstdio>

namespace conformance {

inline int g_passed = 0;
inline int g_failed = 0;

#define EXPECT_TRUE_MSG(cond, ...)          \
  do {                                      \
    if (cond) {                             \
      ++conformance::g_passed;              \
    } else {                                \
      ++conformance::g_failed;              \
      std::printf("FAIL %s:%d: ", __FILE__, __LINE__); \
      std::printf(__VA_ARGS__);             \
      std::printf("\n");                    \
    }                                       \
  } while (0)

#define EXPECT_HR(expected, got, what)                                                   \
  EXPECT_TRUE_MSG((expected) == (got), "%s: expected 0x%08lx, got 0x%08lx", what,        \
                  static_cast<unsigned long>(expected), static_cast<unsigned long>(got))

inline int Finish(const char* name) {
  std::printf("%s: %d passed, %d failed\n", name, g_passed, g_failed);
  return g_failed == 0 ? 0 : 1;
}

}  // namespace conformance
