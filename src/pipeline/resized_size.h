// SPDX-License-Identifier: MIT
// The size of the resized picture, from the size of what is resized (the
// whole picture, or a region of it) and the options: a percent, a width or a
// height that keeps the aspect, an exact size, or a box to fit in. Nothing
// but arithmetic, so that any source of a size can be fed to it.
#pragma once

#include <cstdint>

#include "pipeline/geometry_size.h"
#include "result/status.h"

namespace bmpresize {

struct PictureSize {
  std::int32_t width = 0;
  std::int32_t height = 0;
};

// The size a resize is asked for: a percent of each side, or, when width or
// height is above 0, a size in its place (as the public options ask it).
struct SizeAsked {
  std::int32_t percent = 100;
  std::int32_t width = 0;   // 0: kept to the aspect, or the percent when height is 0 too
  std::int32_t height = 0;  // likewise
  bool fit = false;         // width x height is a box to fit in
  bool noEnlarge = false;   // never larger than the source
  GeometryAsked geometry;   // in place of the percent and the size when its bits are not 0
};

// The side that keeps the aspect of a picture side x other when side
// becomes target: other x target / side, rounded to nearest with halves up,
// in integers, and never below 1. Every argument is at least 1; the answer
// may pass 32 bits.
std::int64_t AspectSide(std::int64_t side, std::int64_t other, std::int64_t target);

// The resized size of a source of width x height (both at least 1) as asked
// (checked: no side below 0, a box with both). A percent whose side passes 32 bits is
// SIDE_TOO_LARGE (value: the percent); a side kept to the aspect that does is
// FILE_TOO_LARGE (value: the width, limit: the height), which no such file
// could escape. A percent side below 1 makes the picture 1 x 1. A geometry
// (GeometrySize) takes the place of the percent and the size.
Status ResizedSize(std::int32_t width, std::int32_t height, const SizeAsked& asked, PictureSize& size);

}  // namespace bmpresize
