// SPDX-License-Identifier: MIT
#include "resample/sample_bilinear.h"

#include <cmath>

namespace {

constexpr double kSnap = 1e-12;

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

AxisPosition MapAxis(std::int32_t sourceSize, std::int32_t position, std::int32_t destinationSize) {
  const double last = static_cast<double>(sourceSize) - 1.0;
  double s = 0.0;
  // A one-pixel source axis always maps to 0; so does a one-pixel destination
  // axis, whose divisor would be 0.
  if (sourceSize != 1 && destinationSize != 1) {
    const double product = last * static_cast<double>(position);
    s = product / (static_cast<double>(destinationSize) - 1.0);
  }
  if (s < kSnap) s = 0.0;
  if (s > last - kSnap) s = last;
  // The snaps leave 0 <= s <= sourceSize - 1 for any arguments, so the
  // conversion below is always in range.
  const double whole = std::floor(s);
  AxisPosition p;
  p.whole = static_cast<std::int32_t>(whole);
  p.fraction = s - static_cast<double>(p.whole);
  return p;
}

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
