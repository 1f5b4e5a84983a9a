// SPDX-License-Identifier: MIT
#include "resample/row_blend.h"
#include "resample/row_blend_variants.h"

namespace bmpresize {

namespace {

inline std::uint8_t Blend(std::uint8_t a, std::uint8_t b, double weightA, double weightB) {
  const double pa = static_cast<double>(a) * weightA;
  const double pb = static_cast<double>(b) * weightB;
  return static_cast<std::uint8_t>(static_cast<int>(pa + pb));
}

void BlendColumnsScalar(const PixelBGRA* source, const AxisTap* taps, std::int32_t count, int channels,
                        std::uint8_t* out) {
  for (std::int32_t i = 0; i < count; ++i, out += channels) {
    const AxisTap& t = taps[i];
    const PixelBGRA a = source[t.first];
    const PixelBGRA b = source[t.second];
    out[0] = Blend(a.blue, b.blue, t.firstWeight, t.secondWeight);
    out[1] = Blend(a.green, b.green, t.firstWeight, t.secondWeight);
    out[2] = Blend(a.red, b.red, t.firstWeight, t.secondWeight);
    if (channels == 4) out[3] = Blend(a.alpha, b.alpha, t.firstWeight, t.secondWeight);
  }
}

void BlendRowsScalar(const std::uint8_t* upper, const std::uint8_t* lower, double upperWeight, double lowerWeight,
                     std::size_t count, std::uint8_t* out) {
  for (std::size_t i = 0; i < count; ++i) out[i] = Blend(upper[i], lower[i], upperWeight, lowerWeight);
}

}  // namespace

const RowBlendKernels& ScalarRowBlend() {
  static const RowBlendKernels kernels{"scalar", BlendColumnsScalar, BlendRowsScalar};
  return kernels;
}

}  // namespace bmpresize
