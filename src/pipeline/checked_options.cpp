// SPDX-License-Identifier: MIT
#include "pipeline/checked_options.h"

namespace bmpresize {

namespace {

Status Refuse(std::int64_t value) { return Because(BMPRESIZE_CAUSE_OPTION, value); }

}  // namespace

Status CheckOptions(const bmpresize_options& options) {
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
