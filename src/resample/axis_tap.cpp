// SPDX-License-Identifier: MIT
#include "resample/axis_tap.h"

#include "resample/sample_bilinear.h"

AxisTap TapFor(std::int32_t sourceSize, std::int32_t position, std::int32_t destinationSize) {
  const AxisPosition p = MapAxis(sourceSize, position, destinationSize);
  if (p.whole >= sourceSize - 1) return {p.whole, p.whole, 1.0, 0.0};
  return {p.whole, p.whole + 1, 1.0 - p.fraction, p.fraction};
}
