// SPDX-License-Identifier: MIT
// Where one destination column (or row) takes its colour from: two source
// pixels on the axis and their weights. The resize blends every channel as
// first x firstWeight + second x secondWeight, truncated to a whole number.
//
// A column on the source's last column (or a row on its last row) takes that
// pixel alone: second is first and the weights are 1 and 0, which gives the
// pixel exactly (a x 1.0 + b x 0.0 = a). Elsewhere the weights are 1 - f and
// f for the fraction f of MapAxis, so the blends are those of SampleBilinear.
//
//   MapAxis(sourceSize, position, destinationSize)   where a destination
//       column (or row) falls on the source: whole pixel and fraction
//   TapFor(sourceSize, position, destinationSize)    the two pixels and weights
#pragma once

#include <cstdint>

namespace bmpresize {

// A position on one source axis: the whole pixel and the fraction towards the next one.
struct AxisPosition {
  std::int32_t whole;
  double fraction;
};

// Maps a destination coordinate onto a source axis of sourceSize pixels.
// Positions within 1e-12 of either end snap onto the end. A destination of one
// pixel along an axis on which the source is longer maps onto the source's
// first pixel.
AxisPosition MapAxis(std::int32_t sourceSize, std::int32_t position, std::int32_t destinationSize);

struct AxisTap {
  std::int32_t first;
  std::int32_t second;
  double firstWeight;
  double secondWeight;
};

AxisTap TapFor(std::int32_t sourceSize, std::int32_t position, std::int32_t destinationSize);

}  // namespace bmpresize
