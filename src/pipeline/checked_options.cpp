// SPDX-License-Identifier: MIT
#include "pipeline/checked_options.h"

#include <initializer_list>

#include "image/depth.h"

namespace bmpresize {

namespace {

Status Refuse(std::int64_t value) { return Because(BMPRESIZE_CAUSE_OPTION, value); }

// A region's corner and size are never negative, and its width and height
// are both 0 (the whole picture) or both above 0.
Status CheckRegion(const bmpresize_options& options) {
  for (const std::int32_t value : {options.region_x, options.region_y, options.region_width, options.region_height}) {
    if (value < 0) return Because(BMPRESIZE_CAUSE_OPTION, value);
  }
  if ((options.region_width == 0) != (options.region_height == 0)) return Because(BMPRESIZE_CAUSE_OPTION, 0);
  return {};
}

Status CheckFilter(const bmpresize_options& options) {
  if (options.filter < BMPRESIZE_FILTER_POINT || options.filter > BMPRESIZE_FILTER_LANCZOS3)
    return Because(BMPRESIZE_CAUSE_OPTION, options.filter);
  return {};
}

// The depth written: 0 for the default, or one a BMP file can have; greys
// are written at 1, 4 and 8 bits only.
Status CheckDepth(const bmpresize_options& options) {
  if (options.depth != 0 && !IsSupportedDepth(options.depth)) return Because(BMPRESIZE_CAUSE_OPTION, options.depth);
  if ((options.flags & BMPRESIZE_GREY) != 0 && options.depth != 0 && !IsPalettedDepth(options.depth))
    return Because(BMPRESIZE_CAUSE_OPTION, options.depth);
  return {};
}

}  // namespace

Status CheckOptions(const bmpresize_options& options) {
  Status status = CheckRegion(options);
  if (status.Ok()) status = CheckFilter(options);
  if (status.Ok()) status = CheckDepth(options);
  if (!status.Ok()) return status;
  // The size: no side below 0, and a box to fit in has both sides.
  if (options.width < 0) return Refuse(options.width);
  if (options.height < 0) return Refuse(options.height);
  if ((options.flags & BMPRESIZE_FIT) != 0 && options.width == 0) return Refuse(options.width);
  if ((options.flags & BMPRESIZE_FIT) != 0 && options.height == 0) return Refuse(options.height);
  // The resolution: pixels per metre, 0 for the default.
  if (options.x_ppm < 0) return Refuse(options.x_ppm);
  if (options.y_ppm < 0) return Refuse(options.y_ppm);
  return {};
}

}  // namespace bmpresize
