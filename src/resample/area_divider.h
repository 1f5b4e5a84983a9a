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
//
// Axes up to 2^21 pixels also have a narrow form, for sums kept in 32 bits
// (255 x S < 2^32): n = 2 x sum + S < 2^30 and a magic below 2^32, so that a
// 32 x 32-bit product gives the average: with L = floor(log2 D), shift =
// 31 + L and narrowMagic = floor(2^shift / D) + 1 <= 2^31 + 1, exact when
// 511 x S x D < 2^shift, which holds as 2 x 511 x S < 2^31 and D < 2^(L + 1).
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

  // Whether sums of this axis may be kept and averaged in 32 bits.
  bool Narrow() const { return narrowMagic_ != 0; }
  std::uint32_t NarrowAverage(std::uint32_t sum) const {
    const std::uint64_t n = 2 * std::uint64_t{sum} + size_;
    return static_cast<std::uint32_t>((n * narrowMagic_) >> narrowShift_);
  }
  std::uint32_t NarrowMagic() const { return narrowMagic_; }
  // 32 or more.
  int NarrowShift() const { return narrowShift_; }
  static constexpr std::int32_t kLongestNarrow = std::int32_t{1} << 21;

 private:
  std::uint64_t size_;
  std::uint64_t magic_ = 0;        // 0: divides
  std::uint32_t narrowMagic_ = 0;  // 0: no narrow form
  int narrowShift_ = 0;
};

}  // namespace bmpresize
