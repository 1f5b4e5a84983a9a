// SPDX-License-Identifier: MIT
#include "resample/area_divider.h"

namespace bmpresize {

AreaDivider::AreaDivider(std::int32_t sourceSize) : size_(static_cast<std::uint64_t>(sourceSize)) {
  const std::uint64_t divisor = 2 * size_;
  const std::uint64_t largest = 2 * 255 * size_ + size_;  // n for the largest sum
  const std::uint64_t bound = std::uint64_t{1} << kShift;
  // largest x divisor < 2^55, checked without overflow.
  if (largest <= (bound - 1) / divisor) magic_ = bound / divisor + 1;
  if (size_ > static_cast<std::uint64_t>(kLongestNarrow)) return;
  int log2 = 0;
  while ((divisor >> (log2 + 1)) != 0) ++log2;
  const int shift = 31 + log2;
  // largest x divisor < 2^52 here.
  if (largest * divisor >= (std::uint64_t{1} << shift)) return;
  narrowMagic_ = static_cast<std::uint32_t>((std::uint64_t{1} << shift) / divisor + 1);
  narrowShift_ = shift;
}

}  // namespace bmpresize
