#pragma once
// The area shrinker's inner loops, plain and with SSE2, which a 32-bit x86 may lack, so it is
// chosen at run time. Lanes hold source rows summed down each column, two 16-bit lanes to a
// word: per column blue | red << 16, then green | top << 16.
#include <cstdint>

namespace qm::lanes {

// True when the SSE2 loops may run here.
bool haveSse2();

// Adds a row of width pixels, and a second when it is given, to the lanes.
void addPlain(uint32_t* lanes, const uint32_t* row, const uint32_t* second, int width);
void addSse2(uint32_t* lanes, const uint32_t* row, const uint32_t* second, int width);

// Sums the lanes across into count target pixels and adds them, by weight, to their sums in
// current, and by rest (when not 0) to those in next; 4 sums to a pixel, in the pixel's order
// (blue, green, red, top). Target pixel j holds the source columns after the last of j - 1 up
// to lastColumns[j], each weighing `across` but its last, which weighs lastShares[j] here and
// the rest of `across` in j + 1. Every sum stays within 32 bits before it is weighed.
struct Across {
  const int* lastColumns;
  const uint32_t* lastShares;
  int count;
  uint32_t across;
};
void acrossPlain(const uint32_t* lanes, const Across& shape, uint32_t weight, uint32_t rest,
                 uint64_t* current, uint64_t* next);
void acrossSse2(const uint32_t* lanes, const Across& shape, uint32_t weight, uint32_t rest,
                uint64_t* current, uint64_t* next);

// Dividing by a source's area (at least 2, below 2^29 pixels) through a reciprocal: floor(x /
// area) is ((x >> shift) * reciprocal) >> 32, or 1 more. With x below 256 areas, shift the
// least that brings 256 areas below 2^32 and reciprocal = floor(2^(32 + shift) / area), the
// estimate falls short of x / area by less than x / 2^(32 + shift) + 2^shift / area, under 1.
struct Divisor {
  uint32_t area = 2;
  int shift = 0;
  uint32_t reciprocal = 0;
};
Divisor divisorOf(uint32_t area);

// count pixels from their channels' sums (4 to a pixel, in its order), each the rounded mean
// over the area (half up), at most 255.
void meansPlain(const uint64_t* sums, int count, const Divisor& divisor, uint32_t* out);
void meansSse2(const uint64_t* sums, int count, const Divisor& divisor, uint32_t* out);

}  // namespace qm::lanes
