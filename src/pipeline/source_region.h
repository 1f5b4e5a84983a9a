// SPDX-License-Identifier: MIT
// The rectangle of the source a resize reads (RegionAsked), in pixels
// from the picture's top-left corner: the whole picture unless the options
// ask for less. The resize treats it as the whole source: its edges are the
// sampler's edges, and the percent and sizes apply to its width and height.
//
// The source's rows come from the bottom up, so a region begins RowsBelow()
// rows into them; the rows above it are never asked for.
#pragma once

#include <cstdint>

#include "bmpfile/data_shortfall.h"
#include "result/status.h"

namespace bmpresize {

// The rectangle asked for, from the picture's top-left corner: width and
// height both 0 ask for the whole picture (checked: none below 0).
struct RegionAsked {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t coverWidth = 0;  // a box to cover (both above 0), or none
  std::int32_t coverHeight = 0;
};

struct SourceRegion {
  std::int32_t x = 0;
  std::int32_t y = 0;  // from the top
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t pictureWidth = 0;
  std::int32_t pictureHeight = 0;

  bool IsWhole() const { return width == pictureWidth && height == pictureHeight; }
  // Rows of the picture below the region's bottom row.
  std::int32_t RowsBelow() const { return pictureHeight - y - height; }
};

// The region asked for in a picture of width x height; REGION, with the
// picture's width and height, where it does not lie inside it. With a box to
// cover the region is then cut to the largest centred rectangle of the box's
// aspect.
Status RegionFor(const RegionAsked& asked, std::int32_t width, std::int32_t height, SourceRegion& region);

// Where the data ended, told of the region's rows as though the region were
// the whole picture: cut short only where a row of the region lacks its data.
DataShortfall RegionShortfall(const DataShortfall& picture, const SourceRegion& region);

}  // namespace bmpresize
