// SPDX-License-Identifier: MIT
// The area filter's pass across a row with AVX2, chosen at run time when the
// CPU has it: a pixel's four channels in one register, the middle of each
// run summed four pixels a load in 16-bit lanes, and the average taken by
// the divider's narrow multiplication where it has one (rows up to 2^21
// pixels), else divided in double precision, which is exact here: a quotient
// of whole numbers below 2^31 by a divisor below 2^24 that is not whole lies
// more than 2^-24 below the next whole number, far more than a double's
// rounding can cover, so truncating the rounded quotient gives the floor.
//
// Sums stay in 32 bits for sources up to 2^22 pixels wide (2 x 255 x W + W <
// 2^31); wider rows take the scalar pass. Down the rows, the 32-bit sums
// eight bytes a register and their averages by the divider's narrow
// multiplication; the 64-bit passes are the scalar ones.
#include "resample/area_kernels_variants.h"

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>

#include <algorithm>
#include <cstring>

#include "resample/area_pixel_sums_sse2.h"
#endif

namespace bmpresize {

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))

#define BMPRESIZE_AVX2 __attribute__((target("avx2")))

namespace {

constexpr std::uint64_t kWidestSource = std::uint64_t{1} << 22;
using area_sse2::kLoadsPerWidening;
using area_sse2::SumPixels;

BMPRESIZE_AVX2 inline __m128i LoadPixel(const PixelBGRA* p) {
  std::int32_t v;
  std::memcpy(&v, p, 4);
  return _mm_cvtepu8_epi32(_mm_cvtsi32_si128(v));
}

// floor(n / D) for the divider's narrow magic and shift, n one a lane.
BMPRESIZE_AVX2 inline __m128i NarrowQuotients(__m128i n, __m128i magic, __m128i shift) {
  const __m128i even = _mm_srl_epi64(_mm_mul_epu32(n, magic), shift);
  const __m128i odd = _mm_srl_epi64(_mm_mul_epu32(_mm_srli_epi64(n, 32), magic), shift);
  return _mm_or_si128(even, _mm_slli_epi64(odd, 32));
}

// Two pixels, a's channels in the low 32-bit lanes and b's in the high.
BMPRESIZE_AVX2 inline __m256i LoadPixels(const PixelBGRA* a, const PixelBGRA* b) {
  std::uint8_t both[8];
  std::memcpy(both, a, 4);
  std::memcpy(both + 4, b, 4);
  return _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(both)));
}

// The sums of count pixels from a (low 128 bits) and from b (high), a
// channel in each 32-bit lane: SumPixels on both at once.
BMPRESIZE_AVX2 inline __m256i SumPixelPairs(const PixelBGRA* a, const PixelBGRA* b, std::int32_t count) {
  const __m256i zero = _mm256_setzero_si256();
  __m256i sum = zero;
  std::int32_t k = 0;
  while (count - k >= 4) {
    __m256i words = zero;
    const std::int32_t loads = std::min((count - k) / 4, kLoadsPerWidening);
    for (std::int32_t l = 0; l < loads; ++l, k += 4) {
      const __m256i bytes =
          _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + k))),
                                  _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + k)), 1);
      words = _mm256_add_epi16(words,
                               _mm256_add_epi16(_mm256_unpacklo_epi8(bytes, zero), _mm256_unpackhi_epi8(bytes, zero)));
    }
    sum =
        _mm256_add_epi32(sum, _mm256_add_epi32(_mm256_unpacklo_epi16(words, zero), _mm256_unpackhi_epi16(words, zero)));
  }
  for (; k < count; ++k) sum = _mm256_add_epi32(sum, LoadPixels(a + k, b + k));
  return sum;
}

// The weights of a's lanes and b's.
BMPRESIZE_AVX2 inline __m256i Weights(std::uint32_t a, std::uint32_t b) {
  return _mm256_set_m128i(_mm_set1_epi32(static_cast<std::int32_t>(b)), _mm_set1_epi32(static_cast<std::int32_t>(a)));
}

// The divider's narrow averages of eight 32-bit sums, one a lane.
BMPRESIZE_AVX2 inline __m256i NarrowAverages(__m256i sums, __m256i half, __m256i magic, __m128i shift) {
  const __m256i n = _mm256_add_epi32(_mm256_add_epi32(sums, sums), half);
  const __m256i even = _mm256_srl_epi64(_mm256_mul_epu32(n, magic), shift);
  const __m256i odd = _mm256_srl_epi64(_mm256_mul_epu32(_mm256_srli_epi64(n, 32), magic), shift);
  return _mm256_or_si256(even, _mm256_slli_epi64(odd, 32));
}

// Two neighbouring columns whose runs are equally long (2 or more pixels),
// each in a 128-bit half, with a narrow divider; the first column's bytes
// are written first, so that the second overwrites the fourth byte of a
// 3-channel first.
BMPRESIZE_AVX2 inline void AverageColumnPair(const PixelBGRA* source, const AreaSpan& a, const AreaSpan& b,
                                             std::uint32_t middleWeight, const AreaDivider& divider, std::uint8_t* out,
                                             int channels) {
  const PixelBGRA* p = source + a.first;
  const PixelBGRA* q = source + b.first;
  const std::int32_t last = a.count - 1;
  __m256i sum = _mm256_mullo_epi32(SumPixelPairs(p + 1, q + 1, a.count - 2),
                                   _mm256_set1_epi32(static_cast<std::int32_t>(middleWeight)));
  sum = _mm256_add_epi32(sum, _mm256_mullo_epi32(LoadPixels(p, q), Weights(a.firstWeight, b.firstWeight)));
  sum = _mm256_add_epi32(sum, _mm256_mullo_epi32(LoadPixels(p + last, q + last), Weights(a.lastWeight, b.lastWeight)));
  const __m256i averages = NarrowAverages(sum, _mm256_set1_epi32(static_cast<std::int32_t>(divider.Size())),
                                          _mm256_set1_epi32(static_cast<std::int32_t>(divider.NarrowMagic())),
                                          _mm_cvtsi32_si128(divider.NarrowShift()));
  const __m256i words = _mm256_packs_epi32(averages, averages);
  const __m256i bytes = _mm256_packus_epi16(words, words);
  const std::int32_t first = _mm_cvtsi128_si32(_mm256_castsi256_si128(bytes));
  const std::int32_t second = _mm_cvtsi128_si32(_mm256_extracti128_si256(bytes, 1));
  std::memcpy(out, &first, 4);
  std::memcpy(out + channels, &second, 4);
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
  const bool narrow = divider.Narrow();
  const __m128i magic = _mm_set1_epi32(static_cast<std::int32_t>(divider.NarrowMagic()));
  const __m128i shift = _mm_cvtsi32_si128(divider.NarrowShift());
  for (std::int32_t x = 0; x < count; ++x, out += channels) {
    const AreaSpan& span = spans[x];
    const PixelBGRA* p = source + span.first;
    if (narrow && span.count > 1 && x + 1 < count && spans[x + 1].count == span.count) {
      AverageColumnPair(source, span, spans[x + 1], middleWeight, divider, out, channels);
      ++x;
      out += channels;
      continue;
    }
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
    const __m128i q =
        narrow ? NarrowQuotients(n, magic, shift) : _mm256_cvttpd_epi32(_mm256_div_pd(_mm256_cvtepi32_pd(n), twice));
    const __m128i words = _mm_packs_epi32(q, q);
    const std::int32_t bytes = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
    std::memcpy(out, &bytes, 4);
  }
}

BMPRESIZE_AVX2 void AddRowNarrowAvx2(const std::uint8_t* row, std::uint32_t weight, std::size_t count,
                                     std::uint32_t* sums) {
  const __m256i w = _mm256_set1_epi32(static_cast<std::int32_t>(weight));
  std::size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m256i bytes = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + i)));
    auto* at = reinterpret_cast<__m256i*>(sums + i);
    _mm256_storeu_si256(at, _mm256_add_epi32(_mm256_loadu_si256(at), _mm256_mullo_epi32(bytes, w)));
  }
  if (i < count) ScalarAreaKernels().addRowNarrow(row + i, weight, count - i, sums + i);
}

BMPRESIZE_AVX2 __m128i PackWords(__m256i lanes) {
  return _mm_packs_epi32(_mm256_castsi256_si128(lanes), _mm256_extracti128_si256(lanes, 1));
}

BMPRESIZE_AVX2 void FinishRowNarrowAvx2(std::uint32_t* sums, std::size_t count, const AreaDivider& divider,
                                        std::uint8_t* out) {
  const __m256i half = _mm256_set1_epi32(static_cast<std::int32_t>(divider.Size()));
  const __m256i magic = _mm256_set1_epi32(static_cast<std::int32_t>(divider.NarrowMagic()));
  const __m128i shift = _mm_cvtsi32_si128(divider.NarrowShift());
  const __m256i zero = _mm256_setzero_si256();
  std::size_t i = 0;
  for (; i + 16 <= count; i += 16) {
    auto* at = reinterpret_cast<__m256i*>(sums + i);
    const __m256i low = NarrowAverages(_mm256_loadu_si256(at), half, magic, shift);
    const __m256i high = NarrowAverages(_mm256_loadu_si256(at + 1), half, magic, shift);
    _mm256_storeu_si256(at, zero);
    _mm256_storeu_si256(at + 1, zero);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(PackWords(low), PackWords(high)));
  }
  if (i < count) ScalarAreaKernels().finishRowNarrow(sums + i, count - i, divider, out + i);
}

}  // namespace

const AreaKernels* Avx2AreaKernels() {
  static const AreaKernels kernels{
      "avx2",           AverageColumnsAvx2, ScalarAreaKernels().addRow, ScalarAreaKernels().finishRow,
      AddRowNarrowAvx2, FinishRowNarrowAvx2};
  static const bool supported = __builtin_cpu_supports("avx2");
  return supported ? &kernels : nullptr;
}

#else

const AreaKernels* Avx2AreaKernels() { return nullptr; }

#endif

}  // namespace bmpresize
