// SPDX-License-Identifier: MIT
// The convolution filters' passes with SSE2. Pixels and weights are 16-bit
// lanes multiplied in pairs and summed into 32-bit lanes (pmaddwd): the same
// whole numbers the scalar passes sum, so the same bytes. Across a row, two
// taps of one destination pixel at a time, a channel in each 32-bit lane;
// down the rows, two rows at a time, sixteen bytes of them.
#include "resample/filter_passes_variants.h"

#if defined(__SSE2__)
#include <emmintrin.h>

#include <cstring>

#include "resample/filter_passes_sse2.h"
#endif

namespace bmpresize {

#if defined(__SSE2__)

namespace {

using sse2_passes::OneTap;
using sse2_passes::RoundLanes;
using sse2_passes::TwoTaps;
using sse2_passes::WeightPair;

void AcrossSse2(const PixelBGRA* source, const FilterTaps& taps, std::int32_t width, int channels, std::uint8_t* out) {
  const __m128i half = _mm_set1_epi32(taps.Bits() > 0 ? 1 << (taps.Bits() - 1) : 0);
  const __m128i bits = _mm_cvtsi32_si128(taps.Bits());
  const __m128i zero = _mm_setzero_si128();
  for (std::int32_t x = 0; x < width; ++x, out += channels) {
    const PixelBGRA* p = source + taps.First(x);
    const std::int16_t* w = taps.Weights(x);
    const std::int32_t n = taps.Count(x);
    __m128i sums = zero;
    std::int32_t i = 0;
    for (; i + 2 <= n; i += 2) sums = _mm_add_epi32(sums, TwoTaps(p + i, WeightPair(w[i], w[i + 1])));
    if (i < n) sums = _mm_add_epi32(sums, OneTap(p + i, w[i]));
    const __m128i lanes = RoundLanes(sums, half, bits);
    const __m128i words = _mm_packs_epi32(lanes, lanes);
    const std::int32_t bytes = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
    std::memcpy(out, &bytes, 4);
  }
}

// Sixteen bytes of two rows, times their weights, added to four sums.
inline void AddTwoRows(__m128i a, __m128i b, __m128i weights, __m128i* sums) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i aLow = _mm_unpacklo_epi8(a, zero), bLow = _mm_unpacklo_epi8(b, zero);
  const __m128i aHigh = _mm_unpackhi_epi8(a, zero), bHigh = _mm_unpackhi_epi8(b, zero);
  sums[0] = _mm_add_epi32(sums[0], _mm_madd_epi16(_mm_unpacklo_epi16(aLow, bLow), weights));
  sums[1] = _mm_add_epi32(sums[1], _mm_madd_epi16(_mm_unpackhi_epi16(aLow, bLow), weights));
  sums[2] = _mm_add_epi32(sums[2], _mm_madd_epi16(_mm_unpacklo_epi16(aHigh, bHigh), weights));
  sums[3] = _mm_add_epi32(sums[3], _mm_madd_epi16(_mm_unpackhi_epi16(aHigh, bHigh), weights));
}

inline __m128i Load16(const std::uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

void DownSse2(const std::uint8_t* const* rows, const std::int16_t* weights, std::int32_t count, int bits,
              std::size_t bytes, std::uint8_t* out) {
  const __m128i half = _mm_set1_epi32(bits > 0 ? 1 << (bits - 1) : 0);
  const __m128i shift = _mm_cvtsi32_si128(bits);
  std::size_t k = 0;
  for (; k + 16 <= bytes; k += 16) {
    __m128i sums[4] = {_mm_setzero_si128(), _mm_setzero_si128(), _mm_setzero_si128(), _mm_setzero_si128()};
    std::int32_t t = 0;
    for (; t + 2 <= count; t += 2)
      AddTwoRows(Load16(rows[t] + k), Load16(rows[t + 1] + k), WeightPair(weights[t], weights[t + 1]), sums);
    if (t < count) AddTwoRows(Load16(rows[t] + k), _mm_setzero_si128(), WeightPair(weights[t], 0), sums);
    const __m128i low = _mm_packs_epi32(RoundLanes(sums[0], half, shift), RoundLanes(sums[1], half, shift));
    const __m128i high = _mm_packs_epi32(RoundLanes(sums[2], half, shift), RoundLanes(sums[3], half, shift));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k), _mm_packus_epi16(low, high));
  }
  DownBytes(rows, weights, count, bits, k, bytes, out);
}

}  // namespace

const FilterPasses* Sse2FilterPasses() {
  static const FilterPasses passes{"sse2", AcrossSse2, DownSse2};
  return &passes;
}

#else

const FilterPasses* Sse2FilterPasses() { return nullptr; }

#endif

}  // namespace bmpresize
