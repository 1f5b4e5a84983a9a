// SPDX-License-Identifier: MIT
#include "resample/sample_bilinear.h"

namespace bmpresize {

namespace {

// One blend of two channel values: two products and one sum, each rounded to
// double on its own, then truncated toward zero. A sum a hair below a whole
// number therefore gives the whole number below it.
inline std::uint8_t Blend(double a, double b, double weightA, double weightB) {
  const double pa = a * weightA;
  const double pb = b * weightB;
  return static_cast<std::uint8_t>(static_cast<int>(pa + pb));
}

inline PixelBGRA BlendPixels(PixelBGRA a, PixelBGRA b, double weightA, double weightB) {
  return {Blend(a.blue, b.blue, weightA, weightB), Blend(a.green, b.green, weightA, weightB),
          Blend(a.red, b.red, weightA, weightB), Blend(a.alpha, b.alpha, weightA, weightB)};
}

}  // namespace

PixelBGRA BlendAt(const BmpImage& source, AxisPosition column, AxisPosition row) {
  const std::int32_t x0 = column.whole;
  const std::int32_t y0 = row.whole;
  const bool lastColumn = x0 == source.Width() - 1;
  const bool lastRow = y0 == source.Height() - 1;
  const double fx = column.fraction;
  const double fy = row.fraction;

  if (lastColumn && lastRow) return source.PixelAt(x0, y0);
  if (lastColumn) return BlendPixels(source.PixelAt(x0, y0), source.PixelAt(x0, y0 + 1), 1.0 - fy, fy);
  if (lastRow) return BlendPixels(source.PixelAt(x0, y0), source.PixelAt(x0 + 1, y0), 1.0 - fx, fx);

  const PixelBGRA upper = BlendPixels(source.PixelAt(x0, y0), source.PixelAt(x0 + 1, y0), 1.0 - fx, fx);
  const PixelBGRA lower = BlendPixels(source.PixelAt(x0, y0 + 1), source.PixelAt(x0 + 1, y0 + 1), 1.0 - fx, fx);
  return BlendPixels(upper, lower, 1.0 - fy, fy);
}

PixelBGRA SampleBilinear(const BmpImage& source, std::int32_t x, std::int32_t destinationWidth, std::int32_t y,
                         std::int32_t destinationHeight) {
  return BlendAt(source, MapAxis(source.Width(), x, destinationWidth), MapAxis(source.Height(), y, destinationHeight));
}

}  // namespace bmpresize
