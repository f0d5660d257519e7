// Signed arithmetic that raises the overflow error instead of wrapping.
#pragma once

#include <cstdint>
#include <limits>

#include "core/error.h"

namespace brivet {

inline int32_t CheckedAdd(int32_t a, int32_t b) {
  const int64_t sum = static_cast<int64_t>(a) + b;
  if (sum < std::numeric_limits<int32_t>::min() || sum > std::numeric_limits<int32_t>::max())
    throw Error::Overflow();
  return static_cast<int32_t>(sum);
}

inline int32_t CheckedSub(int32_t a, int32_t b) {
  const int64_t diff = static_cast<int64_t>(a) - b;
  if (diff < std::numeric_limits<int32_t>::min() || diff > std::numeric_limits<int32_t>::max())
    throw Error::Overflow();
  return static_cast<int32_t>(diff);
}

inline int32_t CheckedMul(int32_t a, int32_t b) {
  const int64_t product = static_cast<int64_t>(a) * b;
  if (product < std::numeric_limits<int32_t>::min() ||
      product > std::numeric_limits<int32_t>::max())
    throw Error::Overflow();
  return static_cast<int32_t>(product);
}

}  // namespace brivet
