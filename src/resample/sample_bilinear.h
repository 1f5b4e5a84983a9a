// SPDX-License-Identifier: MIT
// The bilinear point sampler: one destination pixel of a resize, computed from
// the source image with exactly specified double arithmetic, so that every CPU
// gives the same bytes. It works on a whole BmpImage, so it belongs to the
// model library that the reference and the tests use; the product blends
// rows (row_blend.h) over the same axis mapping (MapAxis in axis_tap.h).
//
//   SampleBilinear(source, x, dW, y, dH)   the blended pixel at (x, y) of a
//       dW x dH destination
//
// The destination's first and last columns fall exactly on the source's first
// and last columns, and likewise for rows. Horizontal blends are truncated to
// whole numbers before the vertical blend uses them.
#pragma once

#include <cstdint>

#include "image/bmp_image.h"
#include "resample/axis_tap.h"

namespace bmpresize {

// Blends the source pixels around two mapped positions.
PixelBGRA BlendAt(const BmpImage& source, AxisPosition column, AxisPosition row);

PixelBGRA SampleBilinear(const BmpImage& source, std::int32_t x, std::int32_t destinationWidth, std::int32_t y,
                         std::int32_t destinationHeight);

}  // namespace bmpresize
