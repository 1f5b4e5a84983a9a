// SPDX-License-Identifier: MIT
// The taps of one axis for the 16-bit passes (wide_resampler.h), of any
// filter but the point sampler: for each destination pixel the run of source
// pixels it reads, their whole weights and what the weighted sum is divided
// by, rounded to nearest with halves up:
//
//   a convolution filter   the weights of FilterTaps, divided by 2^bits
//   the area filter        the overlaps ox(i) of source pixel i with
//                          destination pixel x, in units of 1 / (n x m) of
//                          the axis, divided by n (area_weights.h)
//   a kept size            each pixel itself, weight 1
//
// counted from the top (or left) of the picture, shared by every band.
#pragma once

#include <cstdint>
#include <memory>

#include "resample/filter_kernel.h"

namespace bmpresize {

class WideTaps {
 public:
  // kernel null: the area filter. Takes its blocks; Ready() says whether
  // they were had.
  WideTaps(std::int32_t sourceSize, std::int32_t size, const FilterKernel* kernel);
  bool Ready() const { return ready_; }

  std::int32_t Stride() const { return stride_; }
  std::int64_t Divisor() const { return divisor_; }
  // Whether every sum of 16-bit values, and its partial sums, fits 32 bits:
  // 65535 x the largest sum of |weights| of a pixel below 2^31.
  bool Narrow() const { return narrow_; }
  // Whether every weight fits 16 bits and a sum of bytes times them 32:
  // then a sum of 16-bit values is 256 x the sum of their high bytes plus
  // that of their low ones, each made in 32 bits.
  bool Bytewise() const { return bytewise_; }
  // log2 of the divisor where that is a whole number, else -1.
  int Shift() const { return shift_; }
  // The largest sum of |weights| of a pixel.
  std::int64_t Most() const { return most_; }
  // The reciprocal Rounded multiplies by (0 where it divides), and the
  // shift of its product.
  std::uint64_t Magic() const { return magic_; }
  static constexpr int kMagicShift = 47;
  std::int32_t First(std::int32_t x) const { return first_[x]; }
  std::int32_t Count(std::int32_t x) const { return count_[x]; }
  const std::int32_t* Weights(std::int32_t x) const {
    return weights_.get() + static_cast<std::size_t>(x) * static_cast<std::size_t>(stride_);
  }
  // A weighted sum as the value it rounds to, floor((2 x sum + d) / 2d),
  // clipped to 0-65535: by a shift where d is a power of 2, else by a
  // reciprocal where that is exact for every sum of the axis (as
  // area_divider.h does), else by a division.
  std::uint16_t Rounded(std::int64_t sum) const {
    if (sum <= 0) return 0;
    const auto n = static_cast<std::uint64_t>(sum);
    std::uint64_t value;
    if (shift_ >= 0) {
      value = (n + half_) >> shift_;
    } else if (magic_ != 0) {
      value = ((2 * n + static_cast<std::uint64_t>(divisor_)) * magic_) >> kMagicShift;
    } else {
      value = (2 * n + static_cast<std::uint64_t>(divisor_)) / (2 * static_cast<std::uint64_t>(divisor_));
    }
    return static_cast<std::uint16_t>(value > 65535 ? 65535 : value);
  }

  // The most taps a destination pixel can have, and the bytes the taps take
  // (those of the convolution filter's FilterTaps they are made from too).
  static std::int32_t StrideFor(std::int32_t sourceSize, std::int32_t size, const FilterKernel* kernel);
  static std::uint64_t BytesFor(std::int32_t sourceSize, std::int32_t size, const FilterKernel* kernel);

 private:
  bool Allocate(std::int32_t size);
  void MakeKept(std::int32_t size);
  void MakeArea(std::int32_t sourceSize, std::int32_t size);
  bool MakeConvolution(std::int32_t sourceSize, std::int32_t size, const FilterKernel& kernel);

  void SetDivisor(std::int64_t divisor);

  std::int32_t stride_ = 1;
  std::int64_t divisor_ = 1;
  bool narrow_ = false;
  bool bytewise_ = false;
  std::int64_t most_ = 0;
  int shift_ = 0;            // log2 of a divisor that is a power of 2, else -1
  std::uint64_t half_ = 0;   // half of it, where shift_ is 1 or more
  std::uint64_t magic_ = 0;  // floor(2^47 / 2d) + 1 where exact, else 0
  bool ready_ = false;
  std::unique_ptr<std::int32_t[]> first_;
  std::unique_ptr<std::int32_t[]> count_;
  std::unique_ptr<std::int32_t[]> weights_;
};

}  // namespace bmpresize
