// SPDX-License-Identifier: MIT
// Row blends with AVX2: four doubles a register, so a whole pixel at a time.
// Built into every x86 library and chosen at run time when the CPU has AVX2.
// Only AVX2 is enabled here, never FMA: products and sums stay separate.
#include "resample/row_blend_variants.h"

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>

#include <cstring>
#endif

namespace bmpresize {

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))

#define BMPRESIZE_AVX2 __attribute__((target("avx2")))

namespace {

BMPRESIZE_AVX2 inline __m256d LoadPixel(const PixelBGRA* p) {
  std::int32_t v;
  std::memcpy(&v, p, 4);
  return _mm256_cvtepi32_pd(_mm_cvtepu8_epi32(_mm_cvtsi32_si128(v)));
}

BMPRESIZE_AVX2 inline __m128i Blend4(__m256d a, __m256d b, __m256d wa, __m256d wb) {
  return _mm256_cvttpd_epi32(_mm256_add_pd(_mm256_mul_pd(a, wa), _mm256_mul_pd(b, wb)));
}

BMPRESIZE_AVX2 inline __m128i BlendColumn(const PixelBGRA* source, const AxisTap& t) {
  return Blend4(LoadPixel(source + t.first), LoadPixel(source + t.second), _mm256_set1_pd(t.firstWeight),
                _mm256_set1_pd(t.secondWeight));
}

BMPRESIZE_AVX2 void BlendColumnsAvx2(const PixelBGRA* source, const AxisTap* taps, std::int32_t count, int channels,
                                     std::uint8_t* out) {
  // Two columns a step, which share the packing down to bytes. A fourth byte
  // past a 3-channel pixel is overwritten by the next pixel's store.
  std::int32_t i = 0;
  for (; i + 2 <= count; i += 2, out += 2 * channels) {
    const __m128i words = _mm_packs_epi32(BlendColumn(source, taps[i]), BlendColumn(source, taps[i + 1]));
    const __m128i bytes = _mm_packus_epi16(words, words);
    const std::int32_t first = _mm_cvtsi128_si32(bytes);
    const std::int32_t second = _mm_extract_epi32(bytes, 1);
    std::memcpy(out, &first, 4);
    std::memcpy(out + channels, &second, 4);
  }
  if (i < count) {
    const __m128i words = _mm_packs_epi32(BlendColumn(source, taps[i]), _mm_setzero_si128());
    const std::int32_t bytes = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
    std::memcpy(out, &bytes, 4);
  }
}

BMPRESIZE_AVX2 void BlendRowsAvx2(const std::uint8_t* upper, const std::uint8_t* lower, double upperWeight,
                                  double lowerWeight, std::size_t count, std::uint8_t* out) {
  const __m256d wa = _mm256_set1_pd(upperWeight);
  const __m256d wb = _mm256_set1_pd(lowerWeight);
  std::size_t i = 0;
  for (; i + 16 <= count; i += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(upper + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lower + i));
    const __m256i a0 = _mm256_cvtepu8_epi32(a);
    const __m256i a1 = _mm256_cvtepu8_epi32(_mm_srli_si128(a, 8));
    const __m256i b0 = _mm256_cvtepu8_epi32(b);
    const __m256i b1 = _mm256_cvtepu8_epi32(_mm_srli_si128(b, 8));
    const __m128i r0 =
        Blend4(_mm256_cvtepi32_pd(_mm256_castsi256_si128(a0)), _mm256_cvtepi32_pd(_mm256_castsi256_si128(b0)), wa, wb);
    const __m128i r1 = Blend4(_mm256_cvtepi32_pd(_mm256_extracti128_si256(a0, 1)),
                              _mm256_cvtepi32_pd(_mm256_extracti128_si256(b0, 1)), wa, wb);
    const __m128i r2 =
        Blend4(_mm256_cvtepi32_pd(_mm256_castsi256_si128(a1)), _mm256_cvtepi32_pd(_mm256_castsi256_si128(b1)), wa, wb);
    const __m128i r3 = Blend4(_mm256_cvtepi32_pd(_mm256_extracti128_si256(a1, 1)),
                              _mm256_cvtepi32_pd(_mm256_extracti128_si256(b1, 1)), wa, wb);
    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(r0, r1), _mm_packs_epi32(r2, r3));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), bytes);
  }
  if (i < count) ScalarRowBlend().blendRows(upper + i, lower + i, upperWeight, lowerWeight, count - i, out + i);
}

}  // namespace

const RowBlendKernels* Avx2RowBlend() {
  static const RowBlendKernels kernels{"avx2", BlendColumnsAvx2, BlendRowsAvx2};
  static const bool supported = __builtin_cpu_supports("avx2");
  return supported ? &kernels : nullptr;
}

#else

const RowBlendKernels* Avx2RowBlend() { return nullptr; }

#endif

}  // namespace bmpresize
