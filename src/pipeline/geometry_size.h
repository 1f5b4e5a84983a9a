// SPDX-License-Identifier: MIT
// The size an ImageMagick geometry (options.geometry and its fields) gives a
// source of width x height, as ImageMagick 6.9 works it out: the scale in
// double precision, each side rounded to nearest from it, an area's sides
// truncated, and only-shrink or only-enlarge holding each side to the
// source's on its own. Nothing but arithmetic, as ResizedSize.
#pragma once

#include <cstdint>

#include "bmpresize.h"
#include "result/status.h"

namespace bmpresize {

struct GeometrySides {
  std::int64_t width;
  std::int64_t height;
};

// The geometry's bits and numbers within their ranges and in a combination
// that means something; OPTION with the value refused otherwise.
Status CheckGeometry(const bmpresize_options& options);

// The size for a source of width x height (both at least 1) under a geometry
// CheckGeometry took; each side at least 1, and below 2^62.
GeometrySides GeometrySize(std::int64_t width, std::int64_t height, const bmpresize_options& options);

}  // namespace bmpresize
