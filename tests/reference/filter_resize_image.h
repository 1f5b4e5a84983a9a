// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <vector>

#include "image/bmp_image.h"

// The taps of one destination pixel along an axis, in double precision.
struct ReferenceTaps {
  std::int64_t first = 0;
  std::vector<double> weights;
};
// Those of every destination pixel of an axis of n source pixels made into
// m: a convolution filter's, as below, or BMPRESIZE_FILTER_AREA's, the
// overlaps of area_resize_image.h over n.
std::vector<ReferenceTaps> ReferenceAxisTaps(std::int64_t n, std::int64_t m, int filter);

// Fills every pixel of destination with source resized by a convolution
// filter (BMPRESIZE_FILTER_LINEAR ... BMPRESIZE_FILTER_LANCZOS3), written
// plainly in double precision with the C library's sin: along an axis of n
// source pixels made into m, s = n / m, f = max(1, s), and destination pixel
// x, centred at c = (x + 0.5) s, takes source pixels i from
// max(0, floor(c - r f + 0.5)) to min(n, floor(c + r f + 0.5)) - 1 weighed by
// K((i - c + 0.5) / f) over their sum. Across each row first, rounded to
// nearest and clipped to 0-255, then down the columns, likewise; an axis that
// keeps its size is copied. The library's integer weights stay within 1 of
// this on every channel. Answers 0 when memory cannot be had.
[[nodiscard]] bool FilterResizeImage(const bmpresize::BmpImage& source, bmpresize::BmpImage& destination, int filter);
