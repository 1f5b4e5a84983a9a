// SPDX-License-Identifier: MIT
// Row blends with NEON on 64-bit ARM: two doubles a register. Products and
// sums are separate instructions (the build never contracts them into fused
// multiply-adds).
#include "resample/row_blend_variants.h"

#if defined(__aarch64__)
#include <arm_neon.h>

#include <cstring>
#endif

namespace bmpresize {

#if defined(__aarch64__)

namespace {

// Two 32-bit lanes to doubles.
inline float64x2_t ToDoubles(uint32x2_t v) { return vcvtq_f64_u64(vmovl_u32(v)); }

inline uint32x2_t Blend2(uint32x2_t a, uint32x2_t b, float64x2_t wa, float64x2_t wb) {
  const float64x2_t sum = vaddq_f64(vmulq_f64(ToDoubles(a), wa), vmulq_f64(ToDoubles(b), wb));
  return vmovn_u64(vcvtq_u64_f64(sum));  // truncates toward zero
}

// Four 32-bit lanes blended.
inline uint32x4_t Blend4(uint32x4_t a, uint32x4_t b, float64x2_t wa, float64x2_t wb) {
  return vcombine_u32(Blend2(vget_low_u32(a), vget_low_u32(b), wa, wb),
                      Blend2(vget_high_u32(a), vget_high_u32(b), wa, wb));
}

inline uint32x4_t LoadPixel(const PixelBGRA* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return vmovl_u16(vget_low_u16(vmovl_u8(vreinterpret_u8_u32(vdup_n_u32(v)))));
}

void BlendColumnsNeon(const PixelBGRA* source, const AxisTap* taps, std::int32_t count, int channels,
                      std::uint8_t* out) {
  for (std::int32_t i = 0; i < count; ++i, out += channels) {
    const AxisTap& t = taps[i];
    const uint32x4_t lanes = Blend4(LoadPixel(source + t.first), LoadPixel(source + t.second),
                                    vdupq_n_f64(t.firstWeight), vdupq_n_f64(t.secondWeight));
    const uint16x4_t words = vmovn_u32(lanes);
    const uint8x8_t bytes = vmovn_u16(vcombine_u16(words, words));
    const std::uint32_t packed = vget_lane_u32(vreinterpret_u32_u8(bytes), 0);
    std::memcpy(out, &packed, 4);  // a fourth byte past a 3-channel pixel is overwritten next
  }
}

void BlendRowsNeon(const std::uint8_t* upper, const std::uint8_t* lower, double upperWeight, double lowerWeight,
                   std::size_t count, std::uint8_t* out) {
  const float64x2_t wa = vdupq_n_f64(upperWeight);
  const float64x2_t wb = vdupq_n_f64(lowerWeight);
  std::size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const uint16x8_t a = vmovl_u8(vld1_u8(upper + i));
    const uint16x8_t b = vmovl_u8(vld1_u8(lower + i));
    const uint32x4_t low = Blend4(vmovl_u16(vget_low_u16(a)), vmovl_u16(vget_low_u16(b)), wa, wb);
    const uint32x4_t high = Blend4(vmovl_u16(vget_high_u16(a)), vmovl_u16(vget_high_u16(b)), wa, wb);
    vst1_u8(out + i, vmovn_u16(vcombine_u16(vmovn_u32(low), vmovn_u32(high))));
  }
  if (i < count) ScalarRowBlend().blendRows(upper + i, lower + i, upperWeight, lowerWeight, count - i, out + i);
}

}  // namespace

const RowBlendKernels* NeonRowBlend() {
  static const RowBlendKernels kernels{"neon", BlendColumnsNeon, BlendRowsNeon};
  return &kernels;
}

#else

const RowBlendKernels* NeonRowBlend() { return nullptr; }

#endif

}  // namespace bmpresize
