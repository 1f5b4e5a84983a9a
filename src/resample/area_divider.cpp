// SPDX-License-Identifier: MIT
#include "resample/area_divider.h"

namespace bmpresize {

AreaDivider::AreaDivider(std::int32_t sourceSize) : size_(static_cast<std::uint64_t>(sourceSize)) {
  const std::uint64_t divisor = 2 * size_;
  const std::uint64_t largest = 2 * 255 * size_ + size_;  // n for the largest sum
  const std::uint64_t bound = std::uint64_t{1} << kShift;
  // largest x divisor < 2^55, checked without overflow.
  if (largest <= (bound - 1) / divisor) magic_ = bound / divisor + 1;
}

}  // namespace bmpresize
