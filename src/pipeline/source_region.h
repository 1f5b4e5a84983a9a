// SPDX-License-Identifier: MIT
// The rectangle of the source a resize reads (options.region_*), in pixels
// from the picture's top-left corner: the whole picture unless the options
// ask for less. The resize treats it as the whole source: its edges are the
// sampler's edges, and the percent and sizes apply to its width and height.
//
// The source's rows come from the bottom up, so a region begins RowsBelow()
// rows into them; the rows above it are never asked for.
#pragma once

#include <cstdint>

#include "bmpfile/data_shortfall.h"
#include "bmpresize.h"
#include "result/status.h"

namespace bmpresize {

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

// The region the options (already checked) ask for in a picture of width x
// height; REGION, with the picture's width and height, where it does not lie
// inside it. With BMPRESIZE_COVER the region is then cut to the largest
// centred rectangle of the aspect of the box to cover.
Status RegionFor(const bmpresize_options& options, std::int32_t width, std::int32_t height, SourceRegion& region);

// Where the data ended, told of the region's rows as though the region were
// the whole picture: cut short only where a row of the region lacks its data.
DataShortfall RegionShortfall(const DataShortfall& picture, const SourceRegion& region);

}  // namespace bmpresize
