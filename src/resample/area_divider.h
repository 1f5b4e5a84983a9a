// SPDX-License-Identifier: MIT
// The last step of the area filter along an axis of S source pixels: a sum of
// values 0 to 255 weighed by overlaps that add up to S, made an average
// rounded to nearest with halves up, floor((2 x sum + S) / (2 x S)).
//
// The division is by the same number all along the axis, so it is done as a
// multiplication by a reciprocal and a shift where that is exact for every
// sum that can occur (sum <= 255 x S): with magic = floor(2^55 / D) + 1 for
// D = 2 x S, floor(n x magic / 2^55) = floor(n / D) whenever n x D < 2^55,
// and n x magic stays below 2^64. That holds up to S of about 5.9 million;
// longer axes divide.
#pragma once

#include <cstdint>

namespace bmpresize {

class AreaDivider {
 public:
  explicit AreaDivider(std::int32_t sourceSize);

  // The average of sum, 0 to 255 for every sum of the axis.
  std::uint32_t Average(std::uint64_t sum) const {
    const std::uint64_t n = 2 * sum + size_;
    return static_cast<std::uint32_t>(magic_ != 0 ? (n * magic_) >> kShift : n / (2 * size_));
  }
  // Whether it multiplies rather than divides.
  bool Multiplies() const { return magic_ != 0; }
  std::uint64_t Size() const { return size_; }
  std::uint64_t Magic() const { return magic_; }
  static constexpr int kShift = 55;

 private:
  std::uint64_t size_;
  std::uint64_t magic_ = 0;  // 0: divides
};

}  // namespace bmpresize
