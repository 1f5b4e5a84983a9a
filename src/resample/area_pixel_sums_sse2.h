// SPDX-License-Identifier: MIT
// The middle of an area filter's run summed with SSE2, for the x86 kernels
// of the pass across rows (area_kernels_sse2.cpp, area_kernels_avx2.cpp): a
// pixel's four channels in one register, four pixels a load summed in
// 16-bit lanes before they are widened to 32.
#pragma once

#include <emmintrin.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "image/pixel_bgra.h"

namespace bmpresize {
namespace area_sse2 {

// Loads of four pixels summed in 16-bit lanes before they are widened: each
// lane takes two pixels a load, 2 x 255 x 128 < 2^16.
constexpr std::int32_t kLoadsPerWidening = 128;

inline __m128i LoadPixel(const PixelBGRA* p) {
  std::int32_t v;
  std::memcpy(&v, p, 4);
  const __m128i zero = _mm_setzero_si128();
  return _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(v), zero), zero);
}

// The sum of count pixels, a channel in each 32-bit lane.
inline __m128i SumPixels(const PixelBGRA* p, std::int32_t count) {
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

}  // namespace area_sse2
}  // namespace bmpresize
