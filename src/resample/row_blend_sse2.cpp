// SPDX-License-Identifier: MIT
// Row blends with SSE2: two doubles a register.
#include "resample/row_blend_variants.h"

#if defined(__SSE2__)
#include <emmintrin.h>

#include <cstring>
#endif

namespace bmpresize {

#if defined(__SSE2__)

namespace {

inline __m128i LoadPixel(const PixelBGRA* p) {
  std::int32_t v;
  std::memcpy(&v, p, 4);
  const __m128i zero = _mm_setzero_si128();
  return _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(v), zero), zero);
}

// Four 32-bit lanes of whole numbers 0..255 to four bytes.
inline std::int32_t PackBytes(__m128i lanes) {
  const __m128i words = _mm_packs_epi32(lanes, lanes);
  return _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
}

// a x wa + b x wb for the two low 32-bit lanes of a and b, truncated.
inline __m128i BlendPair(__m128i a, __m128i b, __m128d wa, __m128d wb) {
  const __m128d sum = _mm_add_pd(_mm_mul_pd(_mm_cvtepi32_pd(a), wa), _mm_mul_pd(_mm_cvtepi32_pd(b), wb));
  return _mm_cvttpd_epi32(sum);
}

inline __m128i Blend4(__m128i a, __m128i b, __m128d wa, __m128d wb) {
  const __m128i low = BlendPair(a, b, wa, wb);
  const __m128i high = BlendPair(_mm_shuffle_epi32(a, 0x0E), _mm_shuffle_epi32(b, 0x0E), wa, wb);
  return _mm_unpacklo_epi64(low, high);
}

void BlendColumnsSse2(const PixelBGRA* source, const AxisTap* taps, std::int32_t count, int channels,
                      std::uint8_t* out) {
  for (std::int32_t i = 0; i < count; ++i, out += channels) {
    const AxisTap& t = taps[i];
    const __m128i lanes = Blend4(LoadPixel(source + t.first), LoadPixel(source + t.second), _mm_set1_pd(t.firstWeight),
                                 _mm_set1_pd(t.secondWeight));
    const std::int32_t bytes = PackBytes(lanes);
    std::memcpy(out, &bytes, 4);  // a fourth byte past a 3-channel pixel is overwritten next
  }
}

void BlendRowsSse2(const std::uint8_t* upper, const std::uint8_t* lower, double upperWeight, double lowerWeight,
                   std::size_t count, std::uint8_t* out) {
  const __m128d wa = _mm_set1_pd(upperWeight);
  const __m128d wb = _mm_set1_pd(lowerWeight);
  const __m128i zero = _mm_setzero_si128();
  std::size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m128i a = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(upper + i)), zero);
    const __m128i b = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(lower + i)), zero);
    const __m128i low = Blend4(_mm_unpacklo_epi16(a, zero), _mm_unpacklo_epi16(b, zero), wa, wb);
    const __m128i high = Blend4(_mm_unpackhi_epi16(a, zero), _mm_unpackhi_epi16(b, zero), wa, wb);
    const __m128i words = _mm_packs_epi32(low, high);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(words, words));
  }
  if (i < count) ScalarRowBlend().blendRows(upper + i, lower + i, upperWeight, lowerWeight, count - i, out + i);
}

}  // namespace

const RowBlendKernels* Sse2RowBlend() {
  static const RowBlendKernels kernels{"sse2", BlendColumnsSse2, BlendRowsSse2};
  return &kernels;
}

#else

const RowBlendKernels* Sse2RowBlend() { return nullptr; }

#endif

}  // namespace bmpresize
