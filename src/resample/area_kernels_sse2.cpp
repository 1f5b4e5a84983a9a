// SPDX-License-Identifier: MIT
// The area filter's passes with SSE2, the baseline of x86-64 and of this
// library's i686 builds. Across a row: a pixel's four channels in one
// register, the middle of each run summed four pixels a load in 16-bit lanes,
// the average taken by the divider's narrow multiplication (exact for every
// sum of its axis; rows whose divider has no narrow form take the scalar
// pass). Down the rows: 32-bit sums, the products formed from 16-bit halves
// of the weight, the averages by the same multiplication. The 64-bit passes
// are the scalar ones.
#include "resample/area_kernels_variants.h"

#if defined(__SSE2__)
#include <cstring>

#include "resample/area_pixel_sums_sse2.h"
#endif

namespace bmpresize {

#if defined(__SSE2__)

namespace {

using area_sse2::LoadPixel;
using area_sse2::SumPixels;

// The low 32 bits of each lane of a times weight.
inline __m128i MultiplyLanes(__m128i a, std::uint32_t weight) {
  const __m128i w = _mm_set1_epi32(static_cast<std::int32_t>(weight));
  const __m128i even = _mm_mul_epu32(a, w);
  const __m128i odd = _mm_mul_epu32(_mm_srli_epi64(a, 32), w);
  return _mm_unpacklo_epi32(_mm_shuffle_epi32(even, 0x08), _mm_shuffle_epi32(odd, 0x08));
}

// The divider's narrow averages of four 32-bit sums.
struct NarrowAverages {
  explicit NarrowAverages(const AreaDivider& divider)
      : half(_mm_set1_epi32(static_cast<std::int32_t>(divider.Size()))),
        magic(_mm_set1_epi32(static_cast<std::int32_t>(divider.NarrowMagic()))),
        shift(_mm_cvtsi32_si128(divider.NarrowShift())) {}

  __m128i Of(__m128i sums) const {
    const __m128i n = _mm_add_epi32(_mm_add_epi32(sums, sums), half);
    const __m128i even = _mm_srl_epi64(_mm_mul_epu32(n, magic), shift);
    const __m128i odd = _mm_srl_epi64(_mm_mul_epu32(_mm_srli_epi64(n, 32), magic), shift);
    return _mm_or_si128(even, _mm_slli_epi64(odd, 32));
  }

  __m128i half, magic, shift;
};

void AverageColumnsSse2(const PixelBGRA* source, const AreaSpan* spans, std::int32_t count, int channels,
                        std::uint32_t middleWeight, const AreaDivider& divider, std::uint8_t* out) {
  if (!divider.Narrow()) {
    ScalarAreaKernels().averageColumns(source, spans, count, channels, middleWeight, divider, out);
    return;
  }
  const NarrowAverages averages(divider);
  for (std::int32_t x = 0; x < count; ++x, out += channels) {
    const AreaSpan& span = spans[x];
    const PixelBGRA* p = source + span.first;
    if (span.count == 1) {
      std::memcpy(out, p, 4);  // a fourth byte past a 3-channel pixel is overwritten next
      continue;
    }
    __m128i sum = MultiplyLanes(SumPixels(p + 1, span.count - 2), middleWeight);
    sum = _mm_add_epi32(sum, MultiplyLanes(LoadPixel(p), span.firstWeight));
    sum = _mm_add_epi32(sum, MultiplyLanes(LoadPixel(p + span.count - 1), span.lastWeight));
    const __m128i q = averages.Of(sum);
    const __m128i words = _mm_packs_epi32(q, q);
    const std::int32_t bytes = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
    std::memcpy(out, &bytes, 4);
  }
}

// sums[0..7] += words x weight, modulo 2^32, which is exact as no sum
// reaches 2^32: with weight = high x 2^16 + low, the product is the 32 bits
// of words x low plus the low 16 bits of words x high moved up 16.
inline void AddWords(__m128i words, __m128i low, __m128i high, std::uint32_t* sums) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i lowProduct = _mm_mullo_epi16(words, low);
  const __m128i lowCarry = _mm_mulhi_epu16(words, low);
  const __m128i highProduct = _mm_mullo_epi16(words, high);
  auto* at = reinterpret_cast<__m128i*>(sums);
  const __m128i first = _mm_add_epi32(_mm_unpacklo_epi16(lowProduct, lowCarry), _mm_unpacklo_epi16(zero, highProduct));
  const __m128i second = _mm_add_epi32(_mm_unpackhi_epi16(lowProduct, lowCarry), _mm_unpackhi_epi16(zero, highProduct));
  _mm_storeu_si128(at, _mm_add_epi32(_mm_loadu_si128(at), first));
  _mm_storeu_si128(at + 1, _mm_add_epi32(_mm_loadu_si128(at + 1), second));
}

void AddRowNarrowSse2(const std::uint8_t* row, std::uint32_t weight, std::size_t count, std::uint32_t* sums) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i low = _mm_set1_epi16(static_cast<std::int16_t>(weight & 0xFFFF));
  const __m128i high = _mm_set1_epi16(static_cast<std::int16_t>(weight >> 16));
  std::size_t i = 0;
  for (; i + 16 <= count; i += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
    AddWords(_mm_unpacklo_epi8(bytes, zero), low, high, sums + i);
    AddWords(_mm_unpackhi_epi8(bytes, zero), low, high, sums + i + 8);
  }
  if (i < count) ScalarAreaKernels().addRowNarrow(row + i, weight, count - i, sums + i);
}

void FinishRowNarrowSse2(std::uint32_t* sums, std::size_t count, const AreaDivider& divider, std::uint8_t* out) {
  const NarrowAverages averages(divider);
  const __m128i zero = _mm_setzero_si128();
  std::size_t i = 0;
  for (; i + 16 <= count; i += 16) {
    __m128i q[4];
    auto* at = reinterpret_cast<__m128i*>(sums + i);
    for (int k = 0; k < 4; ++k) {
      q[k] = averages.Of(_mm_loadu_si128(at + k));
      _mm_storeu_si128(at + k, zero);
    }
    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(q[0], q[1]), _mm_packs_epi32(q[2], q[3]));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), bytes);
  }
  if (i < count) ScalarAreaKernels().finishRowNarrow(sums + i, count - i, divider, out + i);
}

}  // namespace

const AreaKernels* Sse2AreaKernels() {
  static const AreaKernels kernels{"sse2",
                                   AverageColumnsSse2,
                                   ScalarAreaKernels().addRow,
                                   ScalarAreaKernels().finishRow,
                                   AddRowNarrowSse2,
                                   FinishRowNarrowSse2,
                                   nullptr};
  return &kernels;
}

#else

const AreaKernels* Sse2AreaKernels() { return nullptr; }

#endif

}  // namespace bmpresize
