// SPDX-License-Identifier: MIT
#include "pipeline/checked_options.h"

#include "image/depth.h"

namespace bmpresize {

Status CheckOptions(const bmpresize_options& options) {
  // The depth written: 0 for the default, or one a BMP file can have; greys
  // are written at 1, 4 and 8 bits only.
  if (options.depth != 0 && !IsSupportedDepth(options.depth)) return Because(BMPRESIZE_CAUSE_OPTION, options.depth);
  if ((options.flags & BMPRESIZE_GREY) != 0 && options.depth != 0 && !IsPalettedDepth(options.depth))
    return Because(BMPRESIZE_CAUSE_OPTION, options.depth);
  return {};
}

}  // namespace bmpresize
