#include "toolkit/pixel_lanes.h"

#if defined(_MSC_VER)
#include <intrin.h>
#elif defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

namespace qm::lanes {

bool haveSse2() {
#if defined(_M_X64) || defined(__x86_64__)
  return true;
#elif defined(_MSC_VER) && defined(_M_IX86)
  int registers[4];
  __cpuid(registers, 1);
  return (registers[3] & (1 << 26)) != 0;
#elif defined(__i386__)
  unsigned a = 0, b = 0, c = 0, d = 0;
  return __get_cpuid(1, &a, &b, &c, &d) && (d & bit_SSE2) != 0;
#else
  return false;
#endif
}

void addPlain(uint32_t* lanes, const uint32_t* row, const uint32_t* second, int width) {
  constexpr uint32_t kEven = 0x00FF00FF;  // blue and red; shifted down, green and the top byte
  if (second) {
    for (int x = 0; x < width; ++x, lanes += 2) {
      const uint32_t a = row[x], b = second[x];
      lanes[0] += (a & kEven) + (b & kEven);
      lanes[1] += ((a >> 8) & kEven) + ((b >> 8) & kEven);
    }
    return;
  }
  for (int x = 0; x < width; ++x, lanes += 2) {
    const uint32_t pixel = row[x];
    lanes[0] += pixel & kEven;
    lanes[1] += (pixel >> 8) & kEven;
  }
}

void acrossPlain(const uint32_t* lanes, const Across& shape, uint32_t weight, uint32_t rest,
                 uint64_t* current, uint64_t* next) {
  uint32_t carried[4] = {};  // the rest of the column across the left border
  for (int j = 0, x = 0; j < shape.count; ++j, ++x, current += 4, next += 4) {
    uint32_t sums[4] = {};
    for (; x < shape.lastColumns[j]; ++x) {
      sums[0] += lanes[2 * x] & 0xFFFF;
      sums[1] += lanes[2 * x + 1] & 0xFFFF;
      sums[2] += lanes[2 * x] >> 16;
      sums[3] += lanes[2 * x + 1] >> 16;
    }
    const uint32_t last[4] = {lanes[2 * x] & 0xFFFF, lanes[2 * x + 1] & 0xFFFF, lanes[2 * x] >> 16,
                              lanes[2 * x + 1] >> 16};
    const uint32_t share = shape.lastShares[j];
    for (int c = 0; c < 4; ++c) {
      const uint32_t sum = carried[c] + sums[c] * shape.across + last[c] * share;
      carried[c] = last[c] * (shape.across - share);
      current[c] += uint64_t(sum) * weight;
      if (rest > 0) next[c] += uint64_t(sum) * rest;
    }
  }
}

Divisor divisorOf(uint32_t area) {
  Divisor divisor;
  divisor.area = area < 2 ? 2 : area;
  // A rounded sum is below 256 areas; shifted right it fits 32 bits.
  while ((uint64_t(divisor.area) << 8) >> divisor.shift >= (uint64_t(1) << 32)) ++divisor.shift;
  divisor.reciprocal = static_cast<uint32_t>((uint64_t(1) << (32 + divisor.shift)) / divisor.area);
  return divisor;
}

void meansPlain(const uint64_t* sums, int count, const Divisor& divisor, uint32_t* out) {
  const uint32_t area = divisor.area;
  for (int x = 0; x < count; ++x, sums += 4) {
    uint32_t pixel = 0;
    for (int c = 0; c < 4; ++c) {
      const uint64_t rounded = sums[c] + area / 2;
      uint32_t mean = static_cast<uint32_t>(
          (uint64_t(uint32_t(rounded >> divisor.shift)) * divisor.reciprocal) >> 32);
      // Made good without a branch, which would go either way at random; the remainder is below
      // 2 areas, so 32 bits hold it.
      mean += uint32_t(rounded) - mean * area >= area;
      pixel |= (mean < 255 ? mean : 255) << 8 * c;
    }
    out[x] = pixel;
  }
}

}  // namespace qm::lanes
