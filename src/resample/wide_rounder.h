// SPDX-License-Identifier: MIT
// What the instruction-set loops of the 16-bit passes share on x86: the
// rounding of four sums at a time, and the AVX2 pass across.
#pragma once

#include <cstddef>
#include <cstdint>

#include "resample/wide_taps.h"

#if defined(__SSE2__)
#include <emmintrin.h>

namespace bmpresize {

// How sums of bytes times weights, 256 x high + low, become their values,
// four at a time, as WideTaps::Rounded makes them:
//   kScalar   by Rounded each
//   kShift    the sums fit 32 bits, the divisor is 2^s, s below 32
//   kMagic    the sums fit 32 bits, the divisor has a reciprocal m
//   kHalves   the divisor is 2^s, s 8 or more, and high + low / 256 with
//             the half of 2^s fits 31 bits: that over 2^(s - 8) is the value
class FourRounder {
 public:
  explicit FourRounder(const WideTaps& taps) : taps_(taps) {
    const int shift = taps.Shift();
    const std::int64_t halfRoom = 257 * taps.Most() + (std::int64_t{1} << 24);
    if (taps.Narrow() && shift >= 0 && shift <= 31) {
      way_ = kShift;
    } else if (taps.Narrow() && taps.Magic() != 0) {
      way_ = kMagic;
    } else if (shift >= 8 && shift <= 31 && halfRoom < (std::int64_t{1} << 31)) {
      way_ = kHalves;
    }
    const std::uint32_t half = shift > 0 && shift <= 31 ? 1u << (shift - 1) : 0;
    half_ = _mm_set1_epi32(static_cast<std::int32_t>(half));
    halfLowByte_ = _mm_set1_epi32(static_cast<std::int32_t>(half & 255));
    halfHigh_ = _mm_set1_epi32(static_cast<std::int32_t>(half >> 8));
    count_ = _mm_cvtsi32_si128(way_ == kHalves ? shift - 8 : shift);
    magicLow_ = _mm_set1_epi64x(static_cast<std::int64_t>(taps.Magic() & 0xFFFFFFFF));
    magicHigh_ = _mm_set1_epi64x(static_cast<std::int64_t>(taps.Magic() >> 32));
    divisor_ = _mm_set1_epi64x(taps.Divisor());
  }

  void Store(__m128i low, __m128i high, std::uint16_t* out) const {
    if (way_ == kScalar) return StoreEach(low, high, out);
    __m128i values;
    if (way_ == kHalves) {
      const __m128i carry = _mm_srai_epi32(_mm_add_epi32(_mm_and_si128(low, _mm_set1_epi32(255)), halfLowByte_), 8);
      const __m128i whole = _mm_add_epi32(_mm_add_epi32(high, _mm_srai_epi32(low, 8)), _mm_add_epi32(carry, halfHigh_));
      values = _mm_sra_epi32(whole, count_);
    } else {
      values = Divided(_mm_add_epi32(_mm_slli_epi32(high, 8), low));
    }
    StoreClipped(values, out);
  }

 private:
  enum Way { kScalar, kShift, kMagic, kHalves };

  void StoreEach(__m128i low, __m128i high, std::uint16_t* out) const {
    std::int32_t lows[4], highs[4];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(lows), low);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(highs), high);
    for (int c = 0; c < 4; ++c) out[c] = taps_.Rounded(std::int64_t{highs[c]} * 256 + lows[c]);
  }

  // Four sums below 2^31 (kShift, kMagic), those below 0 made 0, divided.
  __m128i Divided(__m128i sums) const {
    sums = _mm_and_si128(sums, _mm_cmpgt_epi32(sums, _mm_setzero_si128()));
    // Below 2^31, so the sum with the half of 2^s added stays below 2^32.
    if (way_ == kShift) return _mm_srl_epi32(_mm_add_epi32(sums, half_), count_);
    const __m128i front = DividedTwo(_mm_unpacklo_epi32(sums, _mm_setzero_si128()));
    const __m128i back = DividedTwo(_mm_unpackhi_epi32(sums, _mm_setzero_si128()));
    return _mm_unpacklo_epi64(_mm_shuffle_epi32(front, _MM_SHUFFLE(3, 3, 2, 0)),
                              _mm_shuffle_epi32(back, _MM_SHUFFLE(3, 3, 2, 0)));
  }

  // Two sums in 64-bit lanes: ((2 x sum + d) x m) >> 47, the product made of
  // 32-bit halves modulo 2^64 as Rounded makes it.
  __m128i DividedTwo(__m128i sums) const {
    const __m128i x = _mm_add_epi64(_mm_slli_epi64(sums, 1), divisor_);
    const __m128i carries =
        _mm_add_epi64(_mm_mul_epu32(x, magicHigh_), _mm_mul_epu32(_mm_srli_epi64(x, 32), magicLow_));
    const __m128i product = _mm_add_epi64(_mm_mul_epu32(x, magicLow_), _mm_slli_epi64(carries, 32));
    return _mm_srli_epi64(product, WideTaps::kMagicShift);
  }

  // Four values clipped to 0-65535 into out.
  static void StoreClipped(__m128i values, std::uint16_t* out) {
    values = _mm_and_si128(values, _mm_cmpgt_epi32(values, _mm_setzero_si128()));
    const __m128i top = _mm_set1_epi32(65535);
    const __m128i over = _mm_cmpgt_epi32(values, top);
    values = _mm_or_si128(_mm_andnot_si128(over, values), _mm_and_si128(over, top));
    // 0-65535 as signed 16-bit values, packed, and back.
    const __m128i bias = _mm_sub_epi32(values, _mm_set1_epi32(32768));
    const __m128i packed = _mm_packs_epi32(bias, bias);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_xor_si128(packed, _mm_set1_epi16(-32768)));
  }

  const WideTaps& taps_;
  Way way_ = kScalar;
  __m128i half_, halfLowByte_, halfHigh_, count_, magicLow_, magicHigh_, divisor_;
};

// The pass across as the SSE2 one makes it (WideTaps::Bytewise taps), eight
// taps a step; false where this build or this CPU has no AVX2.
bool FilterValuesAcrossAvx2(const std::uint16_t* source, const WideTaps& taps, std::int32_t width, std::uint16_t* out);

// The pass down as the SSE2 one makes it (WideTaps::Bytewise taps), sixteen
// values a step, from the first value on: how many values it made (0 where
// this build or this CPU has no AVX2), a multiple of 16.
std::size_t FilterValuesDownAvx2(const std::uint16_t* const* rows, const std::int32_t* weights, std::int32_t count,
                                 const WideTaps& taps, std::size_t values, std::uint16_t* out);

}  // namespace bmpresize
#endif
