// SPDX-License-Identifier: MIT
// The area filter's pass across a row with AVX2, chosen at run time when the
// CPU has it: a pixel's four channels in one register, the middle of each
// run summed four pixels a load in 16-bit lanes, and the average divided in
// double precision, which is exact here: a quotient of whole numbers below
// 2^31 by a divisor below 2^24 that is not whole lies more than 2^-24 below
// the next whole number, far more than a double's rounding can cover, so
// truncating the rounded quotient gives the floor.
//
// Sums stay in 32 bits for sources up to 2^22 pixels wide (2 x 255 x W + W <
// 2^31); wider rows take the scalar pass. The passes down the rows are the
// scalar ones.
#include "resample/area_kernels_variants.h"

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>

#include <algorithm>
#include <cstring>
#endif

namespace bmpresize {

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))

#define BMPRESIZE_AVX2 __attribute__((target("avx2")))

namespace {

constexpr std::uint64_t kWidestSource = std::uint64_t{1} << 22;
// Loads of four pixels summed in 16-bit lanes before they are widened: each
// lane takes two pixels a load, 2 x 255 x 128 < 2^16.
constexpr std::int32_t kLoadsPerWidening = 128;

BMPRESIZE_AVX2 inline __m128i LoadPixel(const PixelBGRA* p) {
  std::int32_t v;
  std::memcpy(&v, p, 4);
  return _mm_cvtepu8_epi32(_mm_cvtsi32_si128(v));
}

// The sum of count pixels, a channel in each 32-bit lane.
BMPRESIZE_AVX2 inline __m128i SumPixels(const PixelBGRA* p, std::int32_t count) {
  const __m128i zero = _mm_setzero_si128();
  __m128i sum = zero;
  std::int32_t k = 0;
  while (count - k >= 4) {
    __m128i words = zero;  // two pixels' channels in 16-bit lanes
    const std::int32_t loads = std::min((count - k) / 4, kLoadsPerWidening);
    for (std::int32_t l = 0; l < loads; ++l, k += 4) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k));
      words = _mm_add_epi16(words, _mm_add_epi16(_mm_unpacklo_epi8(bytes, zero), _mm_unpackhi_epi8(bytes, zero)));
    }
    sum = _mm_add_epi32(sum, _mm_add_epi32(_mm_unpacklo_epi16(words, zero), _mm_unpackhi_epi16(words, zero)));
  }
  for (; k < count; ++k) sum = _mm_add_epi32(sum, LoadPixel(p + k));
  return sum;
}

BMPRESIZE_AVX2 void AverageColumnsAvx2(const PixelBGRA* source, const AreaSpan* spans, std::int32_t count, int channels,
                                       std::uint32_t middleWeight, const AreaDivider& divider, std::uint8_t* out) {
  if (divider.Size() > kWidestSource) {
    ScalarAreaKernels().averageColumns(source, spans, count, channels, middleWeight, divider, out);
    return;
  }
  const auto side = static_cast<std::int32_t>(divider.Size());
  const __m128i half = _mm_set1_epi32(side);
  const __m256d twice = _mm256_set1_pd(2.0 * side);
  const __m128i middle = _mm_set1_epi32(static_cast<std::int32_t>(middleWeight));
  for (std::int32_t x = 0; x < count; ++x, out += channels) {
    const AreaSpan& span = spans[x];
    const PixelBGRA* p = source + span.first;
    if (span.count == 1) {
      std::memcpy(out, p, 4);  // a fourth byte past a 3-channel pixel is overwritten next
      continue;
    }
    __m128i sum = _mm_mullo_epi32(SumPixels(p + 1, span.count - 2), middle);
    sum =
        _mm_add_epi32(sum, _mm_mullo_epi32(LoadPixel(p), _mm_set1_epi32(static_cast<std::int32_t>(span.firstWeight))));
    sum = _mm_add_epi32(sum, _mm_mullo_epi32(LoadPixel(p + span.count - 1),
                                             _mm_set1_epi32(static_cast<std::int32_t>(span.lastWeight))));
    const __m128i n = _mm_add_epi32(_mm_add_epi32(sum, sum), half);
    const __m128i q = _mm256_cvttpd_epi32(_mm256_div_pd(_mm256_cvtepi32_pd(n), twice));
    const __m128i words = _mm_packs_epi32(q, q);
    const std::int32_t bytes = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
    std::memcpy(out, &bytes, 4);
  }
}

}  // namespace

const AreaKernels* Avx2AreaKernels() {
  static const AreaKernels kernels{"avx2", AverageColumnsAvx2, ScalarAreaKernels().addRow,
                                   ScalarAreaKernels().finishRow};
  static const bool supported = __builtin_cpu_supports("avx2");
  return supported ? &kernels : nullptr;
}

#else

const AreaKernels* Avx2AreaKernels() { return nullptr; }

#endif

}  // namespace bmpresize
