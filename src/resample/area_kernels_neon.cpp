// SPDX-License-Identifier: MIT
// The area filter's passes with NEON on 64-bit ARM. Across a row: a pixel's
// four channels in one register, the middle of each run summed in 32-bit
// lanes, the average taken by the divider's narrow multiplication (exact for
// every sum of its axis; rows whose divider has no narrow form take the
// scalar pass). Down the rows: 32-bit sums, multiplied and added in one
// instruction, the averages by the same multiplication. The 64-bit passes
// are the scalar ones.
#include "resample/area_kernels_variants.h"

#if defined(__aarch64__)
#include <arm_neon.h>

#include <cstring>
#endif

namespace bmpresize {

#if defined(__aarch64__)

namespace {

inline uint32x4_t LoadPixel(const PixelBGRA* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return vmovl_u16(vget_low_u16(vmovl_u8(vreinterpret_u8_u32(vdup_n_u32(v)))));
}

// The sum of count pixels, a channel in each 32-bit lane.
inline uint32x4_t SumPixels(const PixelBGRA* p, std::int32_t count) {
  uint32x4_t sum = vdupq_n_u32(0);
  std::int32_t k = 0;
  for (; count - k >= 4; k += 4) {
    // Four pixels: two a 16-bit half, then the halves' lanes widened and added.
    const uint16x8_t words = vmovl_u8(vld1_u8(reinterpret_cast<const std::uint8_t*>(p + k)));
    const uint16x8_t more = vmovl_u8(vld1_u8(reinterpret_cast<const std::uint8_t*>(p + k + 2)));
    const uint16x8_t pairs = vaddq_u16(words, more);
    sum = vaddq_u32(sum, vaddl_u16(vget_low_u16(pairs), vget_high_u16(pairs)));
  }
  for (; k < count; ++k) sum = vaddq_u32(sum, LoadPixel(p + k));
  return sum;
}

// The divider's narrow averages of four 32-bit sums.
struct NarrowAverages {
  explicit NarrowAverages(const AreaDivider& divider)
      : half(vdupq_n_u32(static_cast<std::uint32_t>(divider.Size()))),
        magic(vdup_n_u32(divider.NarrowMagic())),
        shift(vdupq_n_s64(-divider.NarrowShift())) {}

  uint32x4_t Of(uint32x4_t sums) const {
    const uint32x4_t n = vaddq_u32(vaddq_u32(sums, sums), half);
    const uint64x2_t low = vshlq_u64(vmull_u32(vget_low_u32(n), magic), shift);
    const uint64x2_t high = vshlq_u64(vmull_u32(vget_high_u32(n), magic), shift);
    return vcombine_u32(vmovn_u64(low), vmovn_u64(high));
  }

  uint32x4_t half;
  uint32x2_t magic;
  int64x2_t shift;
};

void AverageColumnsNeon(const PixelBGRA* source, const AreaSpan* spans, std::int32_t count, int channels,
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
    uint32x4_t sum = vmulq_n_u32(SumPixels(p + 1, span.count - 2), middleWeight);
    sum = vmlaq_n_u32(sum, LoadPixel(p), span.firstWeight);
    sum = vmlaq_n_u32(sum, LoadPixel(p + span.count - 1), span.lastWeight);
    const uint16x4_t words = vmovn_u32(averages.Of(sum));
    const uint8x8_t bytes = vmovn_u16(vcombine_u16(words, words));
    const std::uint32_t packed = vget_lane_u32(vreinterpret_u32_u8(bytes), 0);
    std::memcpy(out, &packed, 4);
  }
}

// Products and sums modulo 2^32, which is exact as no sum reaches 2^32.
void AddRowNarrowNeon(const std::uint8_t* row, std::uint32_t weight, std::size_t count, std::uint32_t* sums) {
  std::size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const uint16x8_t words = vmovl_u8(vld1_u8(row + i));
    vst1q_u32(sums + i, vmlaq_n_u32(vld1q_u32(sums + i), vmovl_u16(vget_low_u16(words)), weight));
    vst1q_u32(sums + i + 4, vmlaq_n_u32(vld1q_u32(sums + i + 4), vmovl_u16(vget_high_u16(words)), weight));
  }
  if (i < count) ScalarAreaKernels().addRowNarrow(row + i, weight, count - i, sums + i);
}

void FinishRowNarrowNeon(std::uint32_t* sums, std::size_t count, const AreaDivider& divider, std::uint8_t* out) {
  const NarrowAverages averages(divider);
  const uint32x4_t zero = vdupq_n_u32(0);
  std::size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const uint32x4_t low = averages.Of(vld1q_u32(sums + i));
    const uint32x4_t high = averages.Of(vld1q_u32(sums + i + 4));
    vst1q_u32(sums + i, zero);
    vst1q_u32(sums + i + 4, zero);
    vst1_u8(out + i, vmovn_u16(vcombine_u16(vmovn_u32(low), vmovn_u32(high))));
  }
  if (i < count) ScalarAreaKernels().finishRowNarrow(sums + i, count - i, divider, out + i);
}

}  // namespace

const AreaKernels* NeonAreaKernels() {
  static const AreaKernels kernels{"neon",
                                   AverageColumnsNeon,
                                   ScalarAreaKernels().addRow,
                                   ScalarAreaKernels().finishRow,
                                   AddRowNarrowNeon,
                                   FinishRowNarrowNeon,
                                   nullptr};
  return &kernels;
}

#else

const AreaKernels* NeonAreaKernels() { return nullptr; }

#endif

}  // namespace bmpresize
