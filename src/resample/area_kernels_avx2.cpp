// SPDX-License-Identifier: MIT
// The area filter's pass across a row with AVX2, chosen at run time when the
// CPU has it. Rows of 4-byte pixels (namespace spread): a pixel's four
// channels in one register, the middle of each run summed four pixels a
// load in 16-bit lanes, two neighbouring columns at a time where their runs
// are equally long. Rows of 3-byte pixels as a file stores them
// (averagePackedColumns): two neighbouring columns at a time, one in each
// 128-bit half, the middles of their runs four pixels a load, the bytes
// shuffled so that one multiply-add sums a channel of two pixels into a
// 16-bit lane (the loads past a run's end weighed 0); where every column
// covers k whole pixels of one weight, without the spans or edge pixels.
// Averages are taken by the divider's narrow multiplication where it has
// one (rows up to 2^21 pixels), else divided in double precision, which is
// exact here: a quotient of whole numbers below 2^31 by a divisor below 2^24
// that is not whole lies more than 2^-24 below the next whole number, far
// more than a double's rounding can cover, so truncating the rounded
// quotient gives the floor.
//
// Sums stay in 32 bits for sources up to 2^22 pixels wide (2 x 255 x W + W <
// 2^31); wider rows take the scalar pass. Down the rows, the 32-bit sums
// eight bytes a register and their averages by the divider's narrow
// multiplication; the 64-bit passes are the scalar ones.
#include "resample/area_kernels_variants.h"

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "resample/area_pixel_sums_sse2.h"
#endif

namespace bmpresize {

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))

#define BMPRESIZE_AVX2 __attribute__((target("avx2")))

namespace {

constexpr std::uint64_t kWidestSource = std::uint64_t{1} << 22;
using area_sse2::kLoadsPerWidening;

// Rows of 4-byte pixels: a pixel's four channels in one register, the
// middle of each run summed four pixels a load in 16-bit lanes, two
// neighbouring columns at a time where their runs are equally long.
namespace spread {

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
  std::int32_t va, vb;
  std::memcpy(&va, a, 4);
  std::memcpy(&vb, b, 4);
  return _mm256_cvtepu8_epi32(_mm_insert_epi32(_mm_cvtsi32_si128(va), vb, 1));
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

BMPRESIZE_AVX2 void AverageColumns(const PixelBGRA* source, const AreaSpan* spans, std::int32_t count, int channels,
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

}  // namespace spread

// A row of pixels of kBytes bytes each: 4 (blue, green, red, alpha) or 3
// (blue, green, red, read with alpha 0), of end pixels. Four pixels load as
// 16 bytes, which for 3-byte pixels reach 4 bytes past the fourth: from
// pixel i on where i + 4 <= FourEnd().
template <int kBytes>
struct RowPixels {
  const std::uint8_t* row;
  std::int32_t end;

  std::int32_t FourEnd() const { return kBytes == 4 ? end : end - 2; }
  // Pixel i's bytes, little-endian; a 3-byte pixel read with the byte after
  // it, cleared, but for the row's last.
  std::int32_t Bits(std::int32_t i) const {
    const std::uint8_t* p = row + kBytes * static_cast<std::ptrdiff_t>(i);
    if (kBytes == 3 && i + 1 == end) return p[0] | p[1] << 8 | p[2] << 16;
    std::int32_t v;
    std::memcpy(&v, p, 4);
    return kBytes == 4 ? v : v & 0xFFFFFF;
  }
  // Pixel i's bytes where i + 1 < end.
  std::int32_t Inside(std::int32_t i) const {
    std::int32_t v;
    std::memcpy(&v, row + kBytes * static_cast<std::ptrdiff_t>(i), 4);
    return kBytes == 4 ? v : v & 0xFFFFFF;
  }
  BMPRESIZE_AVX2 __m128i Four(std::int32_t i) const {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + kBytes * static_cast<std::ptrdiff_t>(i)));
  }
  // 3-byte pixels spread to four bytes each, the fourth 0, in each 128-bit half.
  BMPRESIZE_AVX2 static __m256i Spread(__m256i bytes) {
    if (kBytes == 4) return bytes;
    return _mm256_shuffle_epi8(bytes, _mm256_setr_epi8(0, 1, 2, -128, 3, 4, 5, -128, 6, 7, 8, -128, 9, 10, 11, -128, 0,
                                                       1, 2, -128, 3, 4, 5, -128, 6, 7, 8, -128, 9, 10, 11, -128));
  }
};

// A pixel's channels, one a 32-bit lane.
BMPRESIZE_AVX2 inline __m128i LoadPixel(std::int32_t bits) { return _mm_cvtepu8_epi32(_mm_cvtsi32_si128(bits)); }

// floor(n / D) for the divider's narrow magic and shift, n one a lane.
BMPRESIZE_AVX2 inline __m128i NarrowQuotients(__m128i n, __m128i magic, __m128i shift) {
  const __m128i even = _mm_srl_epi64(_mm_mul_epu32(n, magic), shift);
  const __m128i odd = _mm_srl_epi64(_mm_mul_epu32(_mm_srli_epi64(n, 32), magic), shift);
  return _mm_or_si128(even, _mm_slli_epi64(odd, 32));
}

// Pixels 0 to 3 of a 16-byte load as the bytes of 0 and 1, then of 2 and 3,
// channel by channel (blue 0, blue 1, green 0, ...; alpha 0 for 3-byte
// pixels), so that adding neighbouring bytes sums a channel of two pixels.
template <int kBytes>
BMPRESIZE_AVX2 inline __m256i Interleaved(__m256i bytes) {
  if (kBytes == 4)
    return _mm256_shuffle_epi8(bytes, _mm256_setr_epi8(0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15, 0, 4, 1, 5,
                                                       2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15));
  return _mm256_shuffle_epi8(bytes, _mm256_setr_epi8(0, 3, 1, 4, 2, 5, -128, -128, 6, 9, 7, 10, 8, 11, -128, -128, 0, 3,
                                                     1, 4, 2, 5, -128, -128, 6, 9, 7, 10, 8, 11, -128, -128));
}

// The bytes that keep the first r of four interleaved pixels (0 to 4): 1
// where a pixel is kept, 0 where not.
alignas(16) constexpr std::int8_t kKeepPixels[5][16] = {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
                                                        {1, 0, 1, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0},
                                                        {1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0},
                                                        {1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 1, 0, 1, 0, 1, 0},
                                                        {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}};

BMPRESIZE_AVX2 inline __m128i KeepPixels(std::int32_t left) {
  return _mm_load_si128(reinterpret_cast<const __m128i*>(kKeepPixels[std::clamp(left, 0, 4)]));
}

// Four pixels from a and four from b, a's in the low 128 bits and b's in the
// high, weighed by keep's bytes: one 16-bit lane a channel of two pixels.
template <int kBytes>
BMPRESIZE_AVX2 inline __m256i FourPixelPairs(const RowPixels<kBytes>& pixels, std::int32_t a, std::int32_t b,
                                             __m256i keep) {
  const __m256i bytes = _mm256_inserti128_si256(_mm256_castsi128_si256(pixels.Four(a)), pixels.Four(b), 1);
  return _mm256_maddubs_epi16(Interleaved<kBytes>(bytes), keep);
}

// The sums of the middles of two neighbouring runs, a's na pixels from
// pixel a (low 128 bits) and b's nb from b > a (high), a channel in each
// 32-bit lane: four pixels a load, the last loads weighed to keep only the
// pixels each run has left, summed in 16-bit lanes (so at most 4 x
// kLoadsPerWidening pixels each). Loads reach up to 3 pixels past each middle.
template <int kBytes>
BMPRESIZE_AVX2 inline __m256i SumMiddlePair(const RowPixels<kBytes>& pixels, std::int32_t a, std::int32_t na,
                                            std::int32_t b, std::int32_t nb) {
  __m256i words = _mm256_setzero_si256();
  const std::int32_t both = std::min(na, nb) - 4;
  std::int32_t k = 0;
  for (; k <= both; k += 4) words = _mm256_add_epi16(words, FourPixelPairs(pixels, a + k, b + k, _mm256_set1_epi8(1)));
  for (const std::int32_t longer = std::max(na, nb); k < longer; k += 4) {
    const __m256i keep = _mm256_set_m128i(KeepPixels(nb - k), KeepPixels(na - k));
    words = _mm256_add_epi16(words, FourPixelPairs(pixels, a + k, b + k, keep));
  }
  const __m256i zero = _mm256_setzero_si256();
  return _mm256_add_epi32(_mm256_unpacklo_epi16(words, zero), _mm256_unpackhi_epi16(words, zero));
}

// The sum of count pixels from a, a channel in each 32-bit lane.
template <int kBytes>
BMPRESIZE_AVX2 inline __m128i SumPixels(const RowPixels<kBytes>& pixels, std::int32_t a, std::int32_t count) {
  const __m128i zero = _mm_setzero_si128();
  __m128i sum = zero;
  const std::int32_t loaded = std::max(0, std::min(count, pixels.FourEnd() - a));
  std::int32_t k = 0;
  while (loaded - k >= 4) {
    __m128i words = zero;
    const std::int32_t end = k + 4 * std::min((loaded - k) / 4, kLoadsPerWidening);
    for (; k < end; k += 4) {
      const __m128i bytes =
          _mm256_castsi256_si128(RowPixels<kBytes>::Spread(_mm256_castsi128_si256(pixels.Four(a + k))));
      words = _mm_add_epi16(words, _mm_add_epi16(_mm_unpacklo_epi8(bytes, zero), _mm_unpackhi_epi8(bytes, zero)));
    }
    sum = _mm_add_epi32(sum, _mm_add_epi32(_mm_unpacklo_epi16(words, zero), _mm_unpackhi_epi16(words, zero)));
  }
  for (; k < count; ++k) sum = _mm_add_epi32(sum, LoadPixel(pixels.Bits(a + k)));
  return sum;
}

// The divider's narrow averages, eight 32-bit sums at a time.
struct NarrowAverager {
  BMPRESIZE_AVX2 explicit NarrowAverager(const AreaDivider& divider)
      : half(_mm256_set1_epi32(static_cast<std::int32_t>(divider.Size()))),
        magic(_mm256_set1_epi32(static_cast<std::int32_t>(divider.NarrowMagic()))),
        shift(_mm_cvtsi32_si128(divider.NarrowShift())) {}

  BMPRESIZE_AVX2 __m256i Of(__m256i sums) const {
    const __m256i n = _mm256_add_epi32(_mm256_add_epi32(sums, sums), half);
    const __m256i even = _mm256_srl_epi64(_mm256_mul_epu32(n, magic), shift);
    const __m256i odd = _mm256_srl_epi64(_mm256_mul_epu32(_mm256_srli_epi64(n, 32), magic), shift);
    return _mm256_or_si256(even, _mm256_slli_epi64(odd, 32));
  }

  __m256i half, magic;
  __m128i shift;
};

// Two columns' averages, one in each 128-bit half, written as bytes; the
// first column's bytes first, so that the second overwrites the fourth byte
// of a 3-channel first.
BMPRESIZE_AVX2 inline void StorePair(__m256i averaged, std::uint8_t* out, int channels) {
  const __m256i words = _mm256_packs_epi32(averaged, averaged);
  const __m256i bytes = _mm256_packus_epi16(words, words);
  const std::int32_t first = _mm_cvtsi128_si32(_mm256_castsi256_si128(bytes));
  const std::int32_t second = _mm_cvtsi128_si32(_mm256_extracti128_si256(bytes, 1));
  std::memcpy(out, &first, 4);
  std::memcpy(out + channels, &second, 4);
}

// Two neighbouring columns of runs of 2 to 4 x kLoadsPerWidening + 2
// pixels, each in a 128-bit half, whose loads stay within the row, with a
// narrow divider; the first column's bytes are written first, so that the
// second overwrites the fourth byte of a 3-channel first.
template <int kBytes>
BMPRESIZE_AVX2 inline void AverageColumnPair(const RowPixels<kBytes>& pixels, const AreaSpan& a, const AreaSpan& b,
                                             __m256i middleWeight, const NarrowAverager& averages, std::uint8_t* out,
                                             int channels) {
  __m256i sum =
      _mm256_mullo_epi32(SumMiddlePair(pixels, a.first + 1, a.count - 2, b.first + 1, b.count - 2), middleWeight);
  // The first and last pixels of both runs, with their weights from the
  // spans' fields.
  __m128i edges = _mm_cvtsi32_si128(pixels.Inside(a.first));
  edges = _mm_insert_epi32(edges, pixels.Inside(b.first), 1);
  edges = _mm_insert_epi32(edges, pixels.Inside(a.first + a.count - 1), 2);
  edges = _mm_insert_epi32(edges, pixels.Inside(b.first + b.count - 1), 3);
  static_assert(sizeof(AreaSpan) == 16 && offsetof(AreaSpan, firstWeight) == 8 && offsetof(AreaSpan, lastWeight) == 12,
                "the weights in a span's third and fourth 32-bit lanes");
  const __m256i fields =
      _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(&b), reinterpret_cast<const __m128i*>(&a));
  sum = _mm256_add_epi32(sum, _mm256_mullo_epi32(_mm256_cvtepu8_epi32(edges), _mm256_shuffle_epi32(fields, 0xAA)));
  sum = _mm256_add_epi32(
      sum, _mm256_mullo_epi32(_mm256_cvtepu8_epi32(_mm_srli_si128(edges, 8)), _mm256_shuffle_epi32(fields, 0xFF)));
  StorePair(averages.Of(sum), out, channels);
}

// One column alone: its average divided by the narrow multiplication or in
// double precision.
template <int kBytes>
BMPRESIZE_AVX2 inline void AverageColumn(const RowPixels<kBytes>& pixels, const AreaSpan& span,
                                         std::uint32_t middleWeight, const AreaDivider& divider,
                                         const NarrowAverager& averages, std::uint8_t* out) {
  if (span.count == 1) {
    const std::int32_t bits =
        pixels.Bits(span.first);  // its own value; a fourth byte of 3 channels is overwritten next
    std::memcpy(out, &bits, 4);
    return;
  }
  const auto weight = [](std::uint32_t w) { return _mm_set1_epi32(static_cast<std::int32_t>(w)); };
  __m128i sum = _mm_mullo_epi32(SumPixels(pixels, span.first + 1, span.count - 2), weight(middleWeight));
  sum = _mm_add_epi32(sum, _mm_mullo_epi32(LoadPixel(pixels.Bits(span.first)), weight(span.firstWeight)));
  sum =
      _mm_add_epi32(sum, _mm_mullo_epi32(LoadPixel(pixels.Bits(span.first + span.count - 1)), weight(span.lastWeight)));
  const __m128i n = _mm_add_epi32(_mm_add_epi32(sum, sum), _mm256_castsi256_si128(averages.half));
  const __m128i q =
      divider.Narrow()
          ? NarrowQuotients(n, _mm256_castsi256_si128(averages.magic), averages.shift)
          : _mm256_cvttpd_epi32(_mm256_div_pd(_mm256_cvtepi32_pd(n), _mm256_set1_pd(2.0 * double(divider.Size()))));
  const __m128i words = _mm_packs_epi32(q, q);
  const std::int32_t bytes = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
  std::memcpy(out, &bytes, 4);
}

// Whether columns a and b go through AverageColumnPair: runs of 2 or more
// pixels, short enough for 16-bit lanes, and b's loads within the row's end
// pixels (3 pixels past its middle, 4 bytes past a 3-byte pixel's 12).
inline bool Pairs(const AreaSpan& a, const AreaSpan& b, std::int32_t end) {
  constexpr std::int32_t kLongest = 4 * kLoadsPerWidening + 2;
  return a.count > 1 && b.count > 1 && a.count <= kLongest && b.count <= kLongest && b.first + b.count + 4 <= end;
}

// A source k times as wide as the destination, 2 <= k <= 4 x
// kLoadsPerWidening: each column covers k whole pixels, all weighed alike,
// so a pair's sums need no spans and no edges, and their average is
// floor((2 x sum + k) / 2k), by averages, a divider of k. kWhole: k / 4 when
// known here (the loads of four pixels unrolled), else -1. Pairs from the
// first column on while their loads stay within the row (3 pixels past the
// second run, 4 bytes past a 3-byte pixel's 12); answers the columns done.
template <int kBytes, int kWhole>
BMPRESIZE_AVX2 std::int32_t AverageWholeRuns(const RowPixels<kBytes>& pixels, std::int32_t k, std::int32_t count,
                                             const NarrowAverager& averages, std::uint8_t* out, int channels) {
  const __m256i ones = _mm256_set1_epi8(1);
  const __m256i keep = _mm256_broadcastsi128_si256(KeepPixels(k % 4));
  const __m256i zero = _mm256_setzero_si256();
  const std::int32_t whole = kWhole >= 0 ? 4 * kWhole : k & ~3;
  const bool tail = k % 4 != 0;
  std::int32_t x = 0;
  for (std::int32_t a = 0; x + 2 <= count && a + 2 * k + 4 <= pixels.end; x += 2, a += 2 * k) {
    __m256i words = zero;
    for (std::int32_t j = 0; j < whole; j += 4)
      words = _mm256_add_epi16(words, FourPixelPairs(pixels, a + j, a + k + j, ones));
    if (tail) words = _mm256_add_epi16(words, FourPixelPairs(pixels, a + whole, a + k + whole, keep));
    const __m256i sum = _mm256_add_epi32(_mm256_unpacklo_epi16(words, zero), _mm256_unpackhi_epi16(words, zero));
    StorePair(averages.Of(sum), out, channels);
    out += 2 * channels;
  }
  return x;
}

// AverageWholeRuns with the loads of the commonest factors (2 to 19) unrolled.
template <int kBytes>
BMPRESIZE_AVX2 std::int32_t AverageWholeRunsOf(const RowPixels<kBytes>& pixels, std::int32_t k, std::int32_t count,
                                               std::uint8_t* out, int channels) {
  const NarrowAverager averages{AreaDivider(k)};
  switch (k / 4) {
    case 0:
      return AverageWholeRuns<kBytes, 0>(pixels, k, count, averages, out, channels);
    case 1:
      return AverageWholeRuns<kBytes, 1>(pixels, k, count, averages, out, channels);
    case 2:
      return AverageWholeRuns<kBytes, 2>(pixels, k, count, averages, out, channels);
    case 3:
      return AverageWholeRuns<kBytes, 3>(pixels, k, count, averages, out, channels);
    case 4:
      return AverageWholeRuns<kBytes, 4>(pixels, k, count, averages, out, channels);
    default:
      return AverageWholeRuns<kBytes, -1>(pixels, k, count, averages, out, channels);
  }
}

template <int kBytes>
BMPRESIZE_AVX2 void AverageRow(const std::uint8_t* row, const AreaSpan* spans, std::int32_t count, int channels,
                               std::uint32_t middleWeight, const AreaDivider& divider, std::uint8_t* out) {
  // The last column's run ends at the row's end.
  const RowPixels<kBytes> pixels{row, spans[count - 1].first + spans[count - 1].count};
  const __m256i middles = _mm256_set1_epi32(static_cast<std::int32_t>(middleWeight));
  const bool narrow = divider.Narrow();
  const NarrowAverager averages(divider);
  std::int32_t x = 0;
  const std::int32_t k = pixels.end / count;
  if (narrow && k * count == pixels.end && k >= 2 && k <= 4 * kLoadsPerWidening) {
    x = AverageWholeRunsOf(pixels, k, count, out, channels);
    out += static_cast<std::ptrdiff_t>(x) * channels;
  }
  for (; x < count; ++x, out += channels) {
    const AreaSpan& span = spans[x];
    if (narrow && x + 1 < count && Pairs(span, spans[x + 1], pixels.end)) {
      AverageColumnPair(pixels, span, spans[x + 1], middles, averages, out, channels);
      ++x;
      out += channels;
      continue;
    }
    AverageColumn(pixels, span, middleWeight, divider, averages, out);
  }
}

// Rows of 3-byte pixels up to kWidestPackedRow, which kWidestSource covers.
BMPRESIZE_AVX2 void AveragePackedColumnsAvx2(const std::uint8_t* row, const AreaSpan* spans, std::int32_t count,
                                             int channels, std::uint32_t middleWeight, const AreaDivider& divider,
                                             std::uint8_t* out) {
  if (count > 0) AverageRow<3>(row, spans, count, channels, middleWeight, divider, out);
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
  const NarrowAverager averages(divider);
  const __m256i zero = _mm256_setzero_si256();
  std::size_t i = 0;
  for (; i + 16 <= count; i += 16) {
    auto* at = reinterpret_cast<__m256i*>(sums + i);
    const __m256i low = averages.Of(_mm256_loadu_si256(at));
    const __m256i high = averages.Of(_mm256_loadu_si256(at + 1));
    _mm256_storeu_si256(at, zero);
    _mm256_storeu_si256(at + 1, zero);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(PackWords(low), PackWords(high)));
  }
  if (i < count) ScalarAreaKernels().finishRowNarrow(sums + i, count - i, divider, out + i);
}

}  // namespace

const AreaKernels* Avx2AreaKernels() {
  static const AreaKernels kernels{
      "avx2",           spread::AverageColumns, ScalarAreaKernels().addRow, ScalarAreaKernels().finishRow,
      AddRowNarrowAvx2, FinishRowNarrowAvx2,    AveragePackedColumnsAvx2};
  static const bool supported = __builtin_cpu_supports("avx2");
  return supported ? &kernels : nullptr;
}

#else

const AreaKernels* Avx2AreaKernels() { return nullptr; }

#endif

}  // namespace bmpresize
