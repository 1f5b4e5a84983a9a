// SPDX-License-Identifier: MIT
#include "pipeline/source_region.h"

#include <algorithm>

namespace bmpresize {

Status RegionFor(const RegionAsked& asked, std::int32_t width, std::int32_t height, SourceRegion& region) {
  region.pictureWidth = width;
  region.pictureHeight = height;
  if (asked.width == 0 && asked.height == 0) {
    region.x = region.y = 0;
    region.width = width;
    region.height = height;
    return {};
  }
  const bool inside = std::int64_t{asked.x} + asked.width <= width && std::int64_t{asked.y} + asked.height <= height;
  if (!inside) return Because(BMPRESIZE_CAUSE_REGION, width, height);
  region.x = asked.x;
  region.y = asked.y;
  region.width = asked.width;
  region.height = asked.height;
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
