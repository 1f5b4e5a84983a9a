// SPDX-License-Identifier: MIT
// The steps of the SSE2 convolution passes that the AVX2 ones share. Only
// for builds with SSE2 (__SSE2__).
#pragma once

#include <emmintrin.h>

#include <cstdint>
#include <cstring>

#include "image/pixel_bgra.h"

namespace bmpresize {
namespace sse2_passes {

// Two 16-bit weights side by side in every 32-bit lane.
inline __m128i WeightPair(std::int16_t first, std::int16_t second) {
  return _mm_set1_epi32(
      static_cast<std::int32_t>(static_cast<std::uint16_t>(first)) |
      static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint16_t>(second)) << 16));
}

// Four 32-bit sums rounded to whole numbers of the filtered scale (before
// packing clips them to 0-255).
inline __m128i RoundLanes(__m128i sums, __m128i half, __m128i bits) {
  return _mm_sra_epi32(_mm_add_epi32(sums, half), bits);
}

// Pixels p and p + 1 (8 bytes at p) times their weights: b, g, r, a sums.
inline __m128i TwoTaps(const PixelBGRA* p, __m128i weights) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i words = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), zero);
  // b0 b1 g0 g1 r0 r1 a0 a1
  return _mm_madd_epi16(_mm_unpacklo_epi16(words, _mm_srli_si128(words, 8)), weights);
}

// Pixel p times its weight: b, g, r, a sums.
inline __m128i OneTap(const PixelBGRA* p, std::int16_t weight) {
  std::int32_t v;
  std::memcpy(&v, p, 4);
  const __m128i zero = _mm_setzero_si128();
  const __m128i words = _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(v), zero), zero);
  return _mm_madd_epi16(words, WeightPair(weight, 0));
}

}  // namespace sse2_passes
}  // namespace bmpresize
