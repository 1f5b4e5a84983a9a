// SPDX-License-Identifier: MIT
// The convolution filters' passes with AVX2, chosen at run time when the CPU
// has it. Down the rows, 32 bytes of two rows at a time, each 128-bit half
// of a register as the SSE2 pass takes 16 (the unpacking and packing stay
// inside the halves, so the bytes come out in order): the two rows' bytes
// interleaved, then widened to the 16-bit pairs that are multiplied by the
// two weights. Across a row, two destination pixels a step, one in each
// half; four taps of a pixel at a time, their bytes sorted by channel and
// widened by one shuffle, multiplied by the weights in pairs, the pairs
// added at the end. The same whole numbers as the scalar passes.
#include "resample/filter_passes_variants.h"

#if (defined(__x86_64__) || defined(__i386__)) && defined(__SSE2__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>

#include <cstring>

#include "resample/filter_passes_sse2.h"
#endif

namespace bmpresize {

#if (defined(__x86_64__) || defined(__i386__)) && defined(__SSE2__) && (defined(__GNUC__) || defined(__clang__))

#define BMPRESIZE_AVX2 __attribute__((target("avx2")))

namespace {

BMPRESIZE_AVX2 inline __m256i WeightPair(std::int16_t first, std::int16_t second) {
  return _mm256_set1_epi32(
      static_cast<std::int32_t>(static_cast<std::uint16_t>(first)) |
      static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint16_t>(second)) << 16));
}

BMPRESIZE_AVX2 inline void AddTwoRows(__m256i a, __m256i b, __m256i weights, __m256i* sums) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i low = _mm256_unpacklo_epi8(a, b), high = _mm256_unpackhi_epi8(a, b);  // a0 b0 a1 b1 ..
  sums[0] = _mm256_add_epi32(sums[0], _mm256_madd_epi16(_mm256_unpacklo_epi8(low, zero), weights));
  sums[1] = _mm256_add_epi32(sums[1], _mm256_madd_epi16(_mm256_unpackhi_epi8(low, zero), weights));
  sums[2] = _mm256_add_epi32(sums[2], _mm256_madd_epi16(_mm256_unpacklo_epi8(high, zero), weights));
  sums[3] = _mm256_add_epi32(sums[3], _mm256_madd_epi16(_mm256_unpackhi_epi8(high, zero), weights));
}

BMPRESIZE_AVX2 inline __m256i Load32(const std::uint8_t* p) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

BMPRESIZE_AVX2 inline __m256i RoundLanes(__m256i sums, __m256i half, __m128i bits) {
  return _mm256_sra_epi32(_mm256_add_epi32(sums, half), bits);
}

// Four taps of one destination pixel, each channel's four bytes side by side
// (b0 b1 b2 b3 g0 .. g3 | r0 .. r3 a0 .. a3 as 16-bit lanes), times the four
// weights as pairs (w0 w1, w2 w3) repeated: sums b01 b23 g01 g23 | r01 r23
// a01 a23.
BMPRESIZE_AVX2 inline __m256i FourTaps(const PixelBGRA* p, const std::int16_t* w) {
  const __m128i byChannel = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)),
                                             _mm_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15));
  std::int64_t four;
  std::memcpy(&four, w, 8);
  return _mm256_madd_epi16(_mm256_cvtepu8_epi16(byChannel), _mm256_set1_epi64x(four));
}

// The sums of FourTaps as b, g, r, a.
BMPRESIZE_AVX2 inline __m128i ChannelSums(__m256i sums) {
  const __m256i pairs = _mm256_hadd_epi32(sums, sums);  // b g b g | r a r a
  return _mm_unpacklo_epi64(_mm256_castsi256_si128(pairs), _mm256_extracti128_si256(pairs, 1));
}

// Destination pixel x alone, its taps four, two and one at a time: for the
// pixels whose taps, rounded up to four, would pass the end of the row.
BMPRESIZE_AVX2 void AcrossOne(const PixelBGRA* source, const FilterTaps& taps, std::int32_t x, std::uint8_t* out) {
  const __m128i half = _mm_set1_epi32(taps.Bits() > 0 ? 1 << (taps.Bits() - 1) : 0);
  const __m128i bits = _mm_cvtsi32_si128(taps.Bits());
  const PixelBGRA* p = source + taps.First(x);
  const std::int16_t* w = taps.Weights(x);
  const std::int32_t n = taps.Count(x);
  __m256i wide = _mm256_setzero_si256();
  std::int32_t i = 0;
  for (; i + 4 <= n; i += 4) wide = _mm256_add_epi32(wide, FourTaps(p + i, w + i));
  __m128i sums = ChannelSums(wide);
  for (; i + 2 <= n; i += 2)
    sums = _mm_add_epi32(sums, sse2_passes::TwoTaps(p + i, sse2_passes::WeightPair(w[i], w[i + 1])));
  if (i < n) sums = _mm_add_epi32(sums, sse2_passes::OneTap(p + i, w[i]));
  const __m128i lanes = _mm_sra_epi32(_mm_add_epi32(sums, half), bits);
  const __m128i packed = _mm_packs_epi32(lanes, lanes);
  const std::int32_t bytes = _mm_cvtsi128_si32(_mm_packus_epi16(packed, packed));
  std::memcpy(out, &bytes, 4);
}

// Four pixels from p in both halves of a register, sorted by channel as
// FourTaps sorts them, by a single shuffle that also widens them to 16 bits.
BMPRESIZE_AVX2 inline __m256i ByChannel(const PixelBGRA* p) {
  const __m256i order = _mm256_setr_epi8(0, -1, 4, -1, 8, -1, 12, -1, 1, -1, 5, -1, 9, -1, 13, -1,  //
                                         2, -1, 6, -1, 10, -1, 14, -1, 3, -1, 7, -1, 11, -1, 15, -1);
  const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  return _mm256_shuffle_epi8(_mm256_broadcastsi128_si256(four), order);
}

// Two pixels' sums (as FourTaps makes them) rounded, clipped and written, channels bytes apart.
BMPRESIZE_AVX2 inline void WritePair(__m256i one, __m256i two, __m256i half, __m128i bits, int channels,
                                     std::uint8_t* out) {
  const __m256i sums = _mm256_hadd_epi32(one, two);  // b g b' g' | r a r' a'
  const __m256i words = _mm256_packs_epi32(RoundLanes(sums, half, bits), _mm256_setzero_si256());
  const __m256i bytes = _mm256_packus_epi16(words, words);
  const __m128i pixels = _mm_unpacklo_epi16(_mm256_castsi256_si128(bytes), _mm256_extracti128_si256(bytes, 1));
  const std::int32_t first = _mm_cvtsi128_si32(pixels);
  const std::int32_t second = _mm_extract_epi32(pixels, 1);
  std::memcpy(out, &first, 4);
  std::memcpy(out + channels, &second, 4);
}

// The sums of FourTaps over steps of four taps from p, with weights w: as
// many steps for every pixel, the weights past a pixel's count zeros up to
// the stride, and past the stride masked off by last (on the last step).
template <int kSteps>
BMPRESIZE_AVX2 inline __m256i StepSums(const PixelBGRA* p, const std::int16_t* w, int steps, std::int64_t last) {
  const int n = kSteps > 0 ? kSteps : steps;
  __m256i sums = _mm256_setzero_si256();
  std::int64_t four;
  for (int i = 0; i + 1 < n; ++i) {
    std::memcpy(&four, w + 4 * i, 8);
    sums = _mm256_add_epi32(sums, _mm256_madd_epi16(ByChannel(p + 4 * i), _mm256_set1_epi64x(four)));
  }
  std::memcpy(&four, w + 4 * (n - 1), 8);
  return _mm256_add_epi32(sums, _mm256_madd_epi16(ByChannel(p + 4 * (n - 1)), _mm256_set1_epi64x(four & last)));
}

// Destination pixels from 0 in pairs, steps of four taps each, while their
// taps so rounded stay in the row (the firsts only grow): answers the
// pixel it stopped at.
template <int kSteps>
BMPRESIZE_AVX2 std::int32_t AcrossSteps(const PixelBGRA* source, const FilterTaps& taps, std::int32_t width,
                                        int channels, int steps, std::uint8_t* out) {
  static const std::int64_t kKept[4] = {-1, 0xFFFF, 0xFFFFFFFF, 0xFFFFFFFFFFFF};
  const __m256i half = _mm256_set1_epi32(taps.Bits() > 0 ? 1 << (taps.Bits() - 1) : 0);
  const __m128i bits = _mm_cvtsi32_si128(taps.Bits());
  const std::int32_t* const firsts = taps.Firsts();
  const std::int16_t* w = taps.Weights(0);
  const auto stride = static_cast<std::size_t>(taps.Stride());
  const std::int64_t last = 4 * steps > taps.Stride() ? kKept[(taps.Stride() - 4 * (steps - 1)) & 3] : -1;
  const std::int32_t end = taps.SourceSize() - 4 * steps;
  std::int32_t x = 0;
  for (; x + 1 < width && firsts[x + 1] <= end; x += 2, w += 2 * stride, out += 2 * channels) {
    WritePair(StepSums<kSteps>(source + firsts[x], w, steps, last),
              StepSums<kSteps>(source + firsts[x + 1], w + stride, steps, last), half, bits, channels, out);
  }
  return x;
}

// Pairs of destination pixels with as many steps of four taps each as the
// most taps need (unrolled up to eight steps: to 2:1 shrinks with lanczos3,
// 4:1 with cubic), then the last ones alone.
BMPRESIZE_AVX2 void AcrossAvx2(const PixelBGRA* source, const FilterTaps& taps, std::int32_t width, int channels,
                               std::uint8_t* out) {
  using Steps = std::int32_t (*)(const PixelBGRA*, const FilterTaps&, std::int32_t, int, int, std::uint8_t*);
  static const Steps kUnrolled[9] = {AcrossSteps<0>, AcrossSteps<1>, AcrossSteps<2>, AcrossSteps<3>, AcrossSteps<4>,
                                     AcrossSteps<5>, AcrossSteps<6>, AcrossSteps<7>, AcrossSteps<8>};
  const int steps = (taps.MostCount() + 3) / 4;
  const std::int32_t x = steps > 0 ? kUnrolled[steps <= 8 ? steps : 0](source, taps, width, channels, steps, out) : 0;
  for (std::int32_t i = x; i < width; ++i) AcrossOne(source, taps, i, out + static_cast<std::size_t>(i) * channels);
}

// The rounded sums of 32 bytes, packed in order, at out.
BMPRESIZE_AVX2 inline void StoreSums(const __m256i* sums, __m256i half, __m128i shift, std::uint8_t* out) {
  const __m256i low = _mm256_packs_epi32(RoundLanes(sums[0], half, shift), RoundLanes(sums[1], half, shift));
  const __m256i high = _mm256_packs_epi32(RoundLanes(sums[2], half, shift), RoundLanes(sums[3], half, shift));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_packus_epi16(low, high));
}

// Rows to kHeld: their pointers and weight pairs read once, into locals
// (the bytes written may alias the caller's).
constexpr std::int32_t kHeld = 16;

BMPRESIZE_AVX2 void DownHeld(const std::uint8_t* const* rows, const std::int16_t* weights, std::int32_t count,
                             __m256i half, __m128i shift, std::size_t end, std::uint8_t* out) {
  const std::uint8_t* at[kHeld];
  __m256i pairs[kHeld / 2];
  const std::int32_t even = count & ~1;
  for (std::int32_t t = 0; t < count; ++t) at[t] = rows[t];
  for (std::int32_t t = 0; t < count; t += 2) pairs[t / 2] = WeightPair(weights[t], t + 1 < count ? weights[t + 1] : 0);
  for (std::size_t k = 0; k < end; k += 32) {
    __m256i sums[4] = {_mm256_setzero_si256(), _mm256_setzero_si256(), _mm256_setzero_si256(), _mm256_setzero_si256()};
    for (std::int32_t t = 0; t < even; t += 2) AddTwoRows(Load32(at[t] + k), Load32(at[t + 1] + k), pairs[t / 2], sums);
    if (even < count) AddTwoRows(Load32(at[even] + k), _mm256_setzero_si256(), pairs[even / 2], sums);
    StoreSums(sums, half, shift, out + k);
  }
}

BMPRESIZE_AVX2 void DownAvx2(const std::uint8_t* const* rows, const std::int16_t* weights, std::int32_t count, int bits,
                             std::size_t bytes, std::uint8_t* out) {
  const __m256i half = _mm256_set1_epi32(bits > 0 ? 1 << (bits - 1) : 0);
  const __m128i shift = _mm_cvtsi32_si128(bits);
  const std::size_t whole = bytes & ~std::size_t{31};
  if (count <= kHeld) {
    DownHeld(rows, weights, count, half, shift, whole, out);
  } else {
    for (std::size_t k = 0; k < whole; k += 32) {
      __m256i sums[4] = {_mm256_setzero_si256(), _mm256_setzero_si256(), _mm256_setzero_si256(),
                         _mm256_setzero_si256()};
      std::int32_t t = 0;
      for (; t + 2 <= count; t += 2)
        AddTwoRows(Load32(rows[t] + k), Load32(rows[t + 1] + k), WeightPair(weights[t], weights[t + 1]), sums);
      if (t < count) AddTwoRows(Load32(rows[t] + k), _mm256_setzero_si256(), WeightPair(weights[t], 0), sums);
      StoreSums(sums, half, shift, out + k);
    }
  }
  DownBytes(rows, weights, count, bits, whole, bytes, out);
}

}  // namespace

const FilterPasses* Avx2FilterPasses() {
  static const FilterPasses* const passes = []() -> const FilterPasses* {
    const FilterPasses* sse2 = Sse2FilterPasses();
    if (sse2 == nullptr || !__builtin_cpu_supports("avx2")) return nullptr;
    static const FilterPasses avx2{"avx2", AcrossAvx2, DownAvx2};
    return &avx2;
  }();
  return passes;
}

#else

const FilterPasses* Avx2FilterPasses() { return nullptr; }

#endif

}  // namespace bmpresize
