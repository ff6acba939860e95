#pragma once
// 16-bit counters and indexes: arithmetic that leaves the 16-bit range is an Overflow failure.
#include <cstdint>
#include <limits>

#include "toolkit/failure.h"

namespace qm {

inline int16_t checkedInt16(int32_t value) {
  if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max())
    throw Failure(ErrorCode::kOverflow);
  return static_cast<int16_t>(value);
}

inline int16_t addInt16(int16_t a, int16_t b) {
  return checkedInt16(static_cast<int32_t>(a) + static_cast<int32_t>(b));
}

inline int16_t subInt16(int16_t a, int16_t b) {
  return checkedInt16(static_cast<int32_t>(a) - static_cast<int32_t>(b));
}

// 32-bit signed multiplication that throws Overflow instead of wrapping.
inline int32_t mulInt32(int32_t a, int32_t b) {
  int64_t product = static_cast<int64_t>(a) * static_cast<int64_t>(b);
  if (product < std::numeric_limits<int32_t>::min() ||
      product > std::numeric_limits<int32_t>::max())
    throw Failure(ErrorCode::kOverflow);
  return static_cast<int32_t>(product);
}

}  // namespace qm
