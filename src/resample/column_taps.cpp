// SPDX-License-Identifier: MIT
#include "resample/column_taps.h"

#include <new>

namespace bmpresize {

ColumnTaps::ColumnTaps(std::int32_t sourceWidth, std::int32_t width)
    : taps_(new (std::nothrow) AxisTap[static_cast<std::size_t>(width)]) {
  if (!taps_) return;
  for (std::int32_t x = 0; x < width; ++x) {
    taps_[x] = TapFor(sourceWidth, x, width);
    if (taps_[x].secondWeight != 0.0) copies_ = false;
  }
}

}  // namespace bmpresize
