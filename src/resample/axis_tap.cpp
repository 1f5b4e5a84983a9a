// SPDX-License-Identifier: MIT
#include "resample/axis_tap.h"

#include <cmath>

namespace bmpresize {

namespace {

constexpr double kSnap = 1e-12;

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

AxisTap TapFor(std::int32_t sourceSize, std::int32_t position, std::int32_t destinationSize) {
  const AxisPosition p = MapAxis(sourceSize, position, destinationSize);
  if (p.whole >= sourceSize - 1) return {p.whole, p.whole, 1.0, 0.0};
  return {p.whole, p.whole + 1, 1.0 - p.fraction, p.fraction};
}

}  // namespace bmpresize
