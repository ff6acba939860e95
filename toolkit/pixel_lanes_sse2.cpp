// Built with SSE2 allowed, and run only where haveSse2() says so. It calls no inline function
// of any header but SSE2's own: a copy of one built here could be linked in for plain code.
#include <emmintrin.h>

#include "toolkit/pixel_lanes.h"

namespace qm::lanes {

namespace {

// 4 pixels as 2 columns of lanes each: bytes widened to 16 bits, then blue, red, green, top.
inline __m128i lanesOf(__m128i pixels, bool high) {
  const __m128i zero = _mm_setzero_si128();
  __m128i wide = high ? _mm_unpackhi_epi8(pixels, zero) : _mm_unpacklo_epi8(pixels, zero);
  wide = _mm_shufflelo_epi16(wide, _MM_SHUFFLE(3, 1, 2, 0));
  return _mm_shufflehi_epi16(wide, _MM_SHUFFLE(3, 1, 2, 0));
}

}  // namespace

void addSse2(uint32_t* lanes, const uint32_t* row, const uint32_t* second, int width) {
  int x = 0;
  for (; x + 4 <= width; x += 4) {
    const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x));
    __m128i low = lanesOf(pixels, false), high = lanesOf(pixels, true);
    if (second) {
      const __m128i more = _mm_loadu_si128(reinterpret_cast<const __m128i*>(second + x));
      low = _mm_add_epi16(low, lanesOf(more, false));
      high = _mm_add_epi16(high, lanesOf(more, true));
    }
    __m128i* at = reinterpret_cast<__m128i*>(lanes + 2 * x);
    _mm_storeu_si128(at, _mm_add_epi16(_mm_loadu_si128(at), low));
    _mm_storeu_si128(at + 1, _mm_add_epi16(_mm_loadu_si128(at + 1), high));
  }
  constexpr uint32_t kEven = 0x00FF00FF;
  for (; x < width; ++x) {
    const uint32_t a = row[x], b = second ? second[x] : 0;
    lanes[2 * x] += (a & kEven) + (b & kEven);
    lanes[2 * x + 1] += ((a >> 8) & kEven) + ((b >> 8) & kEven);
  }
}

void acrossSse2(const uint32_t* lanes, const Across& shape, uint32_t weight, uint32_t rest,
                uint64_t* current, uint64_t* next) {
  // Four 32-bit channels blue, red, green, top: _mm_mul_epu32 weighs the even two (blue and
  // green) into 64 bits, and shifted down by 32 the odd two (red and top): the pixel's order.
  const __m128i zero = _mm_setzero_si128();
  const __m128i across = _mm_set1_epi32(static_cast<int>(shape.across));
  const __m128i byWeight = _mm_set1_epi32(static_cast<int>(weight));
  const __m128i byRest = _mm_set1_epi32(static_cast<int>(rest));
  __m128i carriedEven = zero, carriedOdd = zero;
  for (int j = 0, x = 0; j < shape.count; ++j, ++x, current += 4, next += 4) {
    __m128i sums = zero;
    for (; x < shape.lastColumns[j]; ++x) {
      const __m128i column = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(lanes + 2 * x));
      sums = _mm_add_epi32(sums, _mm_unpacklo_epi16(column, zero));
    }
    const __m128i last =
        _mm_unpacklo_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(lanes + 2 * x)), zero);
    const __m128i share = _mm_set1_epi32(static_cast<int>(shape.lastShares[j]));
    const __m128i beyond = _mm_set1_epi32(static_cast<int>(shape.across - shape.lastShares[j]));
    const __m128i sumsOdd = _mm_srli_epi64(sums, 32), lastOdd = _mm_srli_epi64(last, 32);
    const __m128i even = _mm_add_epi64(
        carriedEven, _mm_add_epi64(_mm_mul_epu32(sums, across), _mm_mul_epu32(last, share)));
    const __m128i odd = _mm_add_epi64(
        carriedOdd, _mm_add_epi64(_mm_mul_epu32(sumsOdd, across), _mm_mul_epu32(lastOdd, share)));
    carriedEven = _mm_mul_epu32(last, beyond);
    carriedOdd = _mm_mul_epu32(lastOdd, beyond);
    __m128i* now = reinterpret_cast<__m128i*>(current);
    _mm_storeu_si128(now, _mm_add_epi64(_mm_loadu_si128(now), _mm_mul_epu32(even, byWeight)));
    _mm_storeu_si128(now + 1,
                     _mm_add_epi64(_mm_loadu_si128(now + 1), _mm_mul_epu32(odd, byWeight)));
    if (rest > 0) {
      __m128i* later = reinterpret_cast<__m128i*>(next);
      _mm_storeu_si128(later, _mm_add_epi64(_mm_loadu_si128(later), _mm_mul_epu32(even, byRest)));
      _mm_storeu_si128(later + 1,
                       _mm_add_epi64(_mm_loadu_si128(later + 1), _mm_mul_epu32(odd, byRest)));
    }
  }
}

void meansSse2(const uint64_t* sums, int count, const Divisor& divisor, uint32_t* out) {
  const __m128i half = _mm_set1_epi64x(divisor.area / 2);
  const __m128i shift = _mm_cvtsi32_si128(divisor.shift);
  const __m128i reciprocal = _mm_set1_epi32(static_cast<int>(divisor.reciprocal));
  const __m128i area = _mm_set1_epi32(static_cast<int>(divisor.area));
  const __m128i belowArea = _mm_set1_epi32(static_cast<int>(divisor.area - 1));
  for (int x = 0; x < count; ++x, sums += 4) {
    // Two channels to a register, each in the low half of its 64 bits: blue and green, then
    // red and top. Remainders are below 2 areas, under 2^31: signed comparisons hold.
    __m128i means[2];
    for (int pair = 0; pair < 2; ++pair) {
      const __m128i rounded =
          _mm_add_epi64(_mm_loadu_si128(reinterpret_cast<const __m128i*>(sums + 2 * pair)), half);
      __m128i mean = _mm_srli_epi64(_mm_mul_epu32(_mm_srl_epi64(rounded, shift), reciprocal), 32);
      const __m128i left = _mm_sub_epi32(rounded, _mm_mul_epu32(mean, area));
      mean = _mm_sub_epi32(mean, _mm_cmpgt_epi32(left, belowArea));    // all ones: 1 more
      means[pair] = _mm_shuffle_epi32(mean, _MM_SHUFFLE(3, 1, 2, 0));  // its two in the low 64
    }
    // Blue, green, red, top; narrowed with saturation to bytes.
    const __m128i channels = _mm_unpacklo_epi64(means[0], means[1]);
    const __m128i words = _mm_packs_epi32(channels, channels);
    out[x] = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(words, words)));
  }
}

}  // namespace qm::lanes
