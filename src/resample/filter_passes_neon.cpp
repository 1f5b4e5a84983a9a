// SPDX-License-Identifier: MIT
// The convolution filters' passes with NEON on 64-bit ARM: down the rows,
// sixteen bytes of each row widened to 16 bits and multiplied by its weight
// into 32-bit sums (the same whole numbers as the scalar pass); across a row,
// a destination pixel's four channels in one register, a tap at a time.
#include "resample/filter_passes_variants.h"

#if defined(__aarch64__)
#include <arm_neon.h>

#include <cstring>
#endif

namespace bmpresize {

#if defined(__aarch64__)

namespace {

// Four 32-bit sums as the four bytes they round to: (sum + half) >> bits,
// clipped to 0-255.
inline uint8x8_t RoundEight(int32x4_t low, int32x4_t high, int32x4_t half, int32x4_t shift) {
  const int32x4_t a = vshlq_s32(vaddq_s32(low, half), shift);
  const int32x4_t b = vshlq_s32(vaddq_s32(high, half), shift);
  return vqmovun_s16(vcombine_s16(vqmovn_s32(a), vqmovn_s32(b)));
}

void AcrossNeon(const PixelBGRA* source, const FilterTaps& taps, std::int32_t width, int channels, std::uint8_t* out) {
  const int32x4_t half = vdupq_n_s32(taps.Bits() > 0 ? 1 << (taps.Bits() - 1) : 0);
  const int32x4_t shift = vdupq_n_s32(-taps.Bits());
  for (std::int32_t x = 0; x < width; ++x, out += channels) {
    const PixelBGRA* p = source + taps.First(x);
    const std::int16_t* w = taps.Weights(x);
    int32x4_t sums = vdupq_n_s32(0);
    for (std::int32_t i = 0, n = taps.Count(x); i < n; ++i) {
      std::uint32_t v;
      std::memcpy(&v, p + i, 4);
      const int16x4_t pixel = vreinterpret_s16_u16(vget_low_u16(vmovl_u8(vreinterpret_u8_u32(vdup_n_u32(v)))));
      sums = vmlal_n_s16(sums, pixel, w[i]);
    }
    const uint8x8_t bytes = RoundEight(sums, sums, half, shift);
    const std::uint32_t four = vget_lane_u32(vreinterpret_u32_u8(bytes), 0);
    std::memcpy(out, &four, 4);
  }
}

void DownNeon(const std::uint8_t* const* rows, const std::int16_t* weights, std::int32_t count, int bits,
              std::size_t bytes, std::uint8_t* out) {
  const int32x4_t half = vdupq_n_s32(bits > 0 ? 1 << (bits - 1) : 0);
  const int32x4_t shift = vdupq_n_s32(-bits);
  std::size_t k = 0;
  for (; k + 16 <= bytes; k += 16) {
    int32x4_t sums[4] = {vdupq_n_s32(0), vdupq_n_s32(0), vdupq_n_s32(0), vdupq_n_s32(0)};
    for (std::int32_t t = 0; t < count; ++t) {
      const uint8x16_t row = vld1q_u8(rows[t] + k);
      const int16x8_t low = vreinterpretq_s16_u16(vmovl_u8(vget_low_u8(row)));
      const int16x8_t high = vreinterpretq_s16_u16(vmovl_u8(vget_high_u8(row)));
      sums[0] = vmlal_n_s16(sums[0], vget_low_s16(low), weights[t]);
      sums[1] = vmlal_n_s16(sums[1], vget_high_s16(low), weights[t]);
      sums[2] = vmlal_n_s16(sums[2], vget_low_s16(high), weights[t]);
      sums[3] = vmlal_n_s16(sums[3], vget_high_s16(high), weights[t]);
    }
    vst1q_u8(out + k,
             vcombine_u8(RoundEight(sums[0], sums[1], half, shift), RoundEight(sums[2], sums[3], half, shift)));
  }
  DownBytes(rows, weights, count, bits, k, bytes, out);
}

}  // namespace

const FilterPasses* NeonFilterPasses() {
  static const FilterPasses passes{"neon", AcrossNeon, DownNeon};
  return &passes;
}

#else

const FilterPasses* NeonFilterPasses() { return nullptr; }

#endif

}  // namespace bmpresize
