// SPDX-License-Identifier: MIT
#include "pipeline/source_region.h"

#include <algorithm>

namespace bmpresize {

namespace {

// The largest centred rectangle of box's aspect within region: the side
// that has room to spare is cut to the aspect (rounded to nearest, halves
// up, at least 1) and the cut shared, the odd pixel on the far side.
void CentreCover(std::int64_t boxWidth, std::int64_t boxHeight, SourceRegion& region) {
  const std::int64_t width = region.width;
  const std::int64_t height = region.height;
  // Below 2^31 each, 2 x height x boxWidth + boxHeight stays below 2^63.
  if (width * boxHeight > height * boxWidth) {
    const auto kept =
        static_cast<std::int32_t>(std::max<std::int64_t>(1, (2 * height * boxWidth + boxHeight) / (2 * boxHeight)));
    region.x += (region.width - kept) / 2;
    region.width = kept;
  } else {
    const auto kept =
        static_cast<std::int32_t>(std::max<std::int64_t>(1, (2 * width * boxHeight + boxWidth) / (2 * boxWidth)));
    region.y += (region.height - kept) / 2;
    region.height = kept;
  }
}

}  // namespace

Status RegionFor(const RegionAsked& asked, std::int32_t width, std::int32_t height, SourceRegion& region) {
  region.pictureWidth = width;
  region.pictureHeight = height;
  region.x = region.y = 0;
  region.width = width;
  region.height = height;
  if (asked.width != 0 || asked.height != 0) {
    const bool inside = std::int64_t{asked.x} + asked.width <= width && std::int64_t{asked.y} + asked.height <= height;
    if (!inside) return Because(BMPRESIZE_CAUSE_REGION, width, height);
    region.x = asked.x;
    region.y = asked.y;
    region.width = asked.width;
    region.height = asked.height;
  }
  if (asked.coverWidth > 0 && asked.coverHeight > 0) CentreCover(asked.coverWidth, asked.coverHeight, region);
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
