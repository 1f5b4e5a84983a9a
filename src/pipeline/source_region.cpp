// SPDX-License-Identifier: MIT
#include "pipeline/source_region.h"

#include <algorithm>

namespace bmpresize {

Status RegionFor(const bmpresize_options& options, std::int32_t width, std::int32_t height, SourceRegion& region) {
  region.pictureWidth = width;
  region.pictureHeight = height;
  if (options.region_width == 0 && options.region_height == 0) {
    region.x = region.y = 0;
    region.width = width;
    region.height = height;
    return {};
  }
  const bool inside = std::int64_t{options.region_x} + options.region_width <= width &&
                      std::int64_t{options.region_y} + options.region_height <= height;
  if (!inside) return Because(BMPRESIZE_CAUSE_REGION, width, height);
  region.x = options.region_x;
  region.y = options.region_y;
  region.width = options.region_width;
  region.height = options.region_height;
  return {};
}

DataShortfall RegionShortfall(const DataShortfall& picture, const SourceRegion& region) {
  if (region.IsWhole()) return picture;
  DataShortfall shortfall = picture;
  shortfall.height = region.height;
  // The rows that came from the file are the picture's bottom ones, or its
  // top ones in a top-down file; the region's begin that many rows in.
  const std::int64_t before = picture.topDown ? region.y : region.RowsBelow();
  shortfall.rowsRead = std::clamp<std::int64_t>(picture.rowsRead - before, 0, region.height);
  shortfall.cutShort = picture.cutShort && shortfall.rowsRead < region.height;
  if (!shortfall.cutShort) {
    shortfall.rowsRead = 0;
    shortfall.repeatsLastPixel = false;
  }
  return shortfall;
}

}  // namespace bmpresize
