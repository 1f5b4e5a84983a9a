// SPDX-License-Identifier: MIT
// The taps of a convolution filter along one axis: for each destination
// pixel, the run of source pixels it reads and their weights as whole
// numbers. Along an axis of n source pixels made into m, with kernel K of
// radius r (filter_kernel.h):
//
//   s = n / m, f = max(1, s), the support r x f
//   c = (x + 0.5) x s                       the centre of destination pixel x
//   taps i from max(0, floor(c - r f + 0.5)) to min(n, floor(c + r f + 0.5)) - 1
//   w(i) = K((i - c + 0.5) / f) / (the sum of those)
//
// in IEEE double, counted from the top (or left) of the picture. The weights
// are then made whole numbers of 1 / 2^bits by rounding their running sums:
// with S(i) = 2^bits x (w(first) + ... + w(i)), q(i) = R(S(i)) - R(S(i - 1)),
// R(v) = floor(v + 0.5), R(S(first - 1)) = 0 and R(S(last)) = 2^bits, so
// that they add up to exactly 2^bits and every running sum stays within a
// half of its own, however many taps there are. bits is the largest of 22
// down to 0 at which, over the whole axis, every q fits in 16 bits and
// 255 x sum |q| + 2^(bits - 1) stays below 2^31: the passes then sum in
// 32-bit integers without overflow, and the SIMD ones multiply 16-bit pixels
// by 16-bit weights. The taps depend on the two sizes and the kernel alone,
// so one set is built for each axis of a resize and read by every band of it.
#pragma once

#include <cstdint>
#include <memory>

#include "resample/filter_kernel.h"

namespace bmpresize {

class FilterTaps {
 public:
  // Takes its blocks; Ready() says whether they were had.
  FilterTaps(std::int32_t sourceSize, std::int32_t size, const FilterKernel& kernel);
  bool Ready() const { return ready_; }

  // The most taps a destination pixel has: the stride of Weights().
  std::int32_t Stride() const { return stride_; }
  // The most taps any destination pixel has (at most the stride; the
  // weights past a pixel's count up to the stride are zeros).
  std::int32_t MostCount() const { return most_; }
  // The source pixels along the axis: every tap lies before it.
  std::int32_t SourceSize() const { return sourceSize_; }
  int Bits() const { return bits_; }
  // The first tap of destination pixel x, and how many it has.
  std::int32_t First(std::int32_t x) const { return first_[x]; }
  std::int32_t Count(std::int32_t x) const { return count_[x]; }
  const std::int32_t* Firsts() const { return first_.get(); }
  const std::int32_t* Counts() const { return count_.get(); }
  // Its weights: Count(x) of them from Weights() + x x Stride().
  const std::int16_t* Weights(std::int32_t x) const {
    return weights_.get() + static_cast<std::size_t>(x) * static_cast<std::size_t>(stride_);
  }

  // The most taps a destination pixel can have, and the bytes of the taps.
  static std::int32_t StrideFor(std::int32_t sourceSize, std::int32_t size, const FilterKernel& kernel);
  static std::uint64_t BytesFor(std::int32_t sourceSize, std::int32_t size, const FilterKernel& kernel);

 private:
  std::int32_t sourceSize_ = 0;
  std::int32_t stride_ = 0;
  std::int32_t most_ = 0;
  int bits_ = 0;
  bool ready_ = false;
  std::unique_ptr<std::int32_t[]> first_;
  std::unique_ptr<std::int32_t[]> count_;
  std::unique_ptr<std::int16_t[]> weights_;
};

}  // namespace bmpresize
