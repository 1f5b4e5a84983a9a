// SPDX-License-Identifier: MIT
#include "pipeline/checked_options.h"

#include <initializer_list>

namespace bmpresize {

namespace {

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
  if (options.filter != BMPRESIZE_FILTER_POINT && options.filter != BMPRESIZE_FILTER_AREA)
    return Because(BMPRESIZE_CAUSE_OPTION, options.filter);
  return {};
}

}  // namespace

Status CheckOptions(const bmpresize_options& options) {
  Status status = CheckRegion(options);
  if (status.Ok()) status = CheckFilter(options);
  return status;
}

}  // namespace bmpresize
