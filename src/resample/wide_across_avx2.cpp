// SPDX-License-Identifier: MIT
// The 16-bit passes across and down with AVX2: built into every x86 library and chosen
// at run time when the CPU has AVX2.
#include "resample/wide_rounder.h"

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__)) && defined(__SSE2__)
#include <immintrin.h>
#define BMPRESIZE_WIDE_AVX2 1
#endif

namespace bmpresize {

#if defined(BMPRESIZE_WIDE_AVX2)

namespace {

#define BMPRESIZE_AVX2 __attribute__((target("avx2")))

// Eight taps from p on: taps 0-3 and 4-7 in two registers, whose 16-bit
// interleaving pairs tap 0 with 4 and 2 with 6 (even), 1 with 5 and 3 with 7
// (odd), times those pairs of weights, added to the sums of low and high
// bytes, a 128-bit half each for taps 0 and 1 and for 2 and 3.
BMPRESIZE_AVX2 inline void AddEightTaps(const std::uint16_t* p, const std::int32_t* w, __m256i& low, __m256i& high) {
  const __m256i lowBytes = _mm256_set1_epi16(0x00FF);
  const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
  const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 16));
  const __m256i even = _mm256_unpacklo_epi16(a, b), odd = _mm256_unpackhi_epi16(a, b);
  // w0 w4 w1 w5 w2 w6 w3 w7 as 16 bits (they fit): pairs 04 15 26 37.
  const __m128i words = _mm_packs_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(w)),
                                        _mm_loadu_si128(reinterpret_cast<const __m128i*>(w + 4)));
  const __m256i pairs = _mm256_castsi128_si256(_mm_unpacklo_epi16(words, _mm_unpackhi_epi64(words, words)));
  const __m256i evenWeights = _mm256_permutevar8x32_epi32(pairs, _mm256_setr_epi32(0, 0, 0, 0, 2, 2, 2, 2));
  const __m256i oddWeights = _mm256_permutevar8x32_epi32(pairs, _mm256_setr_epi32(1, 1, 1, 1, 3, 3, 3, 3));
  low = _mm256_add_epi32(low, _mm256_madd_epi16(_mm256_and_si256(even, lowBytes), evenWeights));
  low = _mm256_add_epi32(low, _mm256_madd_epi16(_mm256_and_si256(odd, lowBytes), oddWeights));
  high = _mm256_add_epi32(high, _mm256_madd_epi16(_mm256_srli_epi16(even, 8), evenWeights));
  high = _mm256_add_epi32(high, _mm256_madd_epi16(_mm256_srli_epi16(odd, 8), oddWeights));
}

// One tap's four values times its weight, added to the sums.
BMPRESIZE_AVX2 inline void AddTap(const std::uint16_t* p, std::int32_t w, __m128i& low, __m128i& high) {
  const __m128i values = _mm_unpacklo_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), _mm_setzero_si128());
  const __m128i weights = _mm_set1_epi32(w & 0xFFFF);
  low = _mm_add_epi32(low, _mm_madd_epi16(_mm_and_si128(values, _mm_set1_epi32(0xFF)), weights));
  high = _mm_add_epi32(high, _mm_madd_epi16(_mm_srli_epi32(values, 8), weights));
}

BMPRESIZE_AVX2 void AcrossAvx2(const std::uint16_t* source, const WideTaps& taps, std::int32_t width,
                               std::uint16_t* out) {
  const FourRounder rounder(taps);
  for (std::int32_t x = 0; x < width; ++x, out += 4) {
    const std::uint16_t* p = source + 4 * static_cast<std::size_t>(taps.First(x));
    const std::int32_t* w = taps.Weights(x);
    const std::int32_t n = taps.Count(x);
    __m256i wideLow = _mm256_setzero_si256(), wideHigh = _mm256_setzero_si256();
    std::int32_t i = 0;
    for (; i + 8 <= n; i += 8, p += 32) AddEightTaps(p, w + i, wideLow, wideHigh);
    __m128i low = _mm_add_epi32(_mm256_castsi256_si128(wideLow), _mm256_extracti128_si256(wideLow, 1));
    __m128i high = _mm_add_epi32(_mm256_castsi256_si128(wideHigh), _mm256_extracti128_si256(wideHigh, 1));
    for (; i < n; ++i, p += 4) AddTap(p, w[i], low, high);
    rounder.Store(low, high, out);
  }
}

// Rows t and t + 1's sixteen values from k on, interleaved, low and high
// bytes times their pair of weights, added to the sums: [0] and [2] of
// values 0-3 and 8-11, [1] and [3] of 4-7 and 12-15.
BMPRESIZE_AVX2 inline void AddRowPair(const std::uint16_t* first, const std::uint16_t* second, __m256i weights,
                                      __m256i sums[4]) {
  const __m256i lowBytes = _mm256_set1_epi16(0x00FF);
  const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(first));
  const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(second));
  const __m256i front = _mm256_unpacklo_epi16(a, b), back = _mm256_unpackhi_epi16(a, b);
  sums[0] = _mm256_add_epi32(sums[0], _mm256_madd_epi16(_mm256_and_si256(front, lowBytes), weights));
  sums[1] = _mm256_add_epi32(sums[1], _mm256_madd_epi16(_mm256_and_si256(back, lowBytes), weights));
  sums[2] = _mm256_add_epi32(sums[2], _mm256_madd_epi16(_mm256_srli_epi16(front, 8), weights));
  sums[3] = _mm256_add_epi32(sums[3], _mm256_madd_epi16(_mm256_srli_epi16(back, 8), weights));
}

BMPRESIZE_AVX2 std::size_t DownAvx2(const std::uint16_t* const* rows, const std::int32_t* weights, std::int32_t count,
                                    const WideTaps& taps, std::size_t values, std::uint16_t* out) {
  const std::size_t whole = values / 16 * 16;
  const FourRounder rounder(taps);
  for (std::size_t k = 0; k < whole; k += 16) {
    __m256i sums[4] = {_mm256_setzero_si256(), _mm256_setzero_si256(), _mm256_setzero_si256(), _mm256_setzero_si256()};
    for (std::int32_t t = 0; t < count; t += 2) {
      const bool two = t + 1 < count;
      const std::uint32_t pair = (static_cast<std::uint32_t>(weights[t]) & 0xFFFF) |
                                 (two ? static_cast<std::uint32_t>(weights[t + 1]) << 16 : 0);
      AddRowPair(rows[t] + k, (two ? rows[t + 1] : rows[t]) + k, _mm256_set1_epi32(static_cast<std::int32_t>(pair)),
                 sums);
    }
    rounder.Store(_mm256_castsi256_si128(sums[0]), _mm256_castsi256_si128(sums[2]), out + k);
    rounder.Store(_mm256_castsi256_si128(sums[1]), _mm256_castsi256_si128(sums[3]), out + k + 4);
    rounder.Store(_mm256_extracti128_si256(sums[0], 1), _mm256_extracti128_si256(sums[2], 1), out + k + 8);
    rounder.Store(_mm256_extracti128_si256(sums[1], 1), _mm256_extracti128_si256(sums[3], 1), out + k + 12);
  }
  return whole;
}

}  // namespace

std::size_t FilterValuesDownAvx2(const std::uint16_t* const* rows, const std::int32_t* weights, std::int32_t count,
                                 const WideTaps& taps, std::size_t values, std::uint16_t* out) {
  static const bool supported = __builtin_cpu_supports("avx2");
  return supported ? DownAvx2(rows, weights, count, taps, values, out) : 0;
}

bool FilterValuesAcrossAvx2(const std::uint16_t* source, const WideTaps& taps, std::int32_t width, std::uint16_t* out) {
  static const bool supported = __builtin_cpu_supports("avx2");
  if (!supported) return false;
  AcrossAvx2(source, taps, width, out);
  return true;
}

#elif defined(__SSE2__)

bool FilterValuesAcrossAvx2(const std::uint16_t*, const WideTaps&, std::int32_t, std::uint16_t*) { return false; }

std::size_t FilterValuesDownAvx2(const std::uint16_t* const*, const std::int32_t*, std::int32_t, const WideTaps&,
                                 std::size_t, std::uint16_t*) {
  return 0;
}

#endif

}  // namespace bmpresize
