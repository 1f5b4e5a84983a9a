// SPDX-License-Identifier: MIT
// The size an ImageMagick geometry (GeometryAsked) gives a
// source of width x height, as ImageMagick 6.9 works it out: the scale in
// double precision, each side rounded to nearest from it, an area's sides
// truncated, and only-shrink or only-enlarge holding each side to the
// source's on its own. Nothing but arithmetic, as ResizedSize.
#pragma once

#include <cstdint>

#include "bmpresize.h"
#include "result/status.h"

namespace bmpresize {

// A geometry as the options give it: which parts the text had
// (BMPRESIZE_GEOMETRY_... bits; 0 for none) and its numbers.
struct GeometryAsked {
  std::int32_t bits = 0;
  std::int32_t width = 0;   // with BMPRESIZE_GEOMETRY_WIDTH (a percent with BMPRESIZE_GEOMETRY_PERCENT)
  std::int32_t height = 0;  // with BMPRESIZE_GEOMETRY_HEIGHT (likewise)
  std::int64_t area = 0;    // with BMPRESIZE_GEOMETRY_AREA: the most pixels
};

struct GeometrySides {
  std::int64_t width;
  std::int64_t height;
};

// The geometry's bits and numbers within their ranges and in a combination
// that means something; OPTION with the value refused otherwise.
Status CheckGeometry(const GeometryAsked& geometry);

// The size for a source of width x height (both at least 1) under a geometry
// CheckGeometry took; each side at least 1, and below 2^62.
GeometrySides GeometrySize(std::int64_t width, std::int64_t height, const GeometryAsked& geometry);

}  // namespace bmpresize
