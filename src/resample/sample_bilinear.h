// SPDX-License-Identifier: MIT
// The bilinear point sampler: one destination pixel of a resize, computed from
// the source image with exactly specified double arithmetic, so that every CPU
// gives the same bytes.
//
//   MapAxis(sourceSize, position, destinationSize)   where a destination
//       column (or row) falls on the source: whole pixel and fraction
//   SampleBilinear(source, x, dW, y, dH)   the blended pixel at (x, y) of a
//       dW x dH destination
//
// The destination's first and last columns fall exactly on the source's first
// and last columns, and likewise for rows. Horizontal blends are truncated to
// whole numbers before the vertical blend uses them.
#pragma once

#include <cstdint>

#include "image/bmp_image.h"

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

// Blends the source pixels around two mapped positions.
PixelBGRA BlendAt(const BmpImage& source, AxisPosition column, AxisPosition row);

PixelBGRA SampleBilinear(const BmpImage& source, std::int32_t x, std::int32_t destinationWidth, std::int32_t y,
                         std::int32_t destinationHeight);
