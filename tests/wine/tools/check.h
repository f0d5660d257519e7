// The checks of the in-process test tools: each failed one prints its place
// and counts; the tool's exit status says whether any failed.
#pragma once

#include <cstdio>

inline int failures = 0;

#define CHECK(cond)                                               \
  do {                                                            \
    if (!(cond)) {                                                \
      ++failures;                                                 \
      std::printf("FAIL %s:%d: %s\n", __FILE__, __LINE__, #cond); \
    }                                                             \
  } while (0)
