// SPDX-License-Identifier: MIT
// What a resize is asked for, and the size that gives, worked out apart from
// the library's own arithmetic for the tests that compare with it.
#pragma once

#include <cstdint>

#include "bmpresize.h"

// A percent, or a size in its place (a side of 0 keeps the aspect; with
// BMPRESIZE_FIT, a box to fit in; with BMPRESIZE_NO_ENLARGE, never larger
// than the source), the filter and the depth written.
struct Ask {
  std::int32_t percent = 100;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t flags = 0;
  int filter = BMPRESIZE_FILTER_POINT;
  std::int32_t writtenDepth = 0;  // 0: as the source calls for
  bool grey = false;
};

// The size of a w x h picture (or region) resized as asked: a side kept to
// the aspect is the nearest whole number of the exact quotient, halves up,
// in long double (exact for test sizes), and at least 1. False for a percent
// whose side passes 32 bits.
bool ReferenceSize(const Ask& ask, std::int32_t w, std::int32_t h, std::int32_t& width, std::int32_t& height);
