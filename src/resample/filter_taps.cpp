// SPDX-License-Identifier: MIT
#include "resample/filter_taps.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>

namespace bmpresize {

namespace {

constexpr int kMostBits = 22;
constexpr std::size_t kPadding = 3;

template <typename T>
std::unique_ptr<T[]> Allocate(std::size_t n) {
  return std::unique_ptr<T[]>(new (std::nothrow) T[n]);
}

// The geometry of one axis, the same for every destination pixel.
struct AxisGeometry {
  double scale;    // s
  double widened;  // f
  double support;  // r x f
};

AxisGeometry GeometryFor(std::int32_t sourceSize, std::int32_t size, const FilterKernel& kernel) {
  const double scale = static_cast<double>(sourceSize) / static_cast<double>(size);
  const double widened = std::max(1.0, scale);
  return {scale, widened, kernel.radius * widened};
}

// The run of destination pixel x and its weights, normalised, into weights
// (room for the stride). Answers the first tap; count is set.
std::int32_t WeighPixel(std::int32_t sourceSize, std::int32_t x, const AxisGeometry& axis, const FilterKernel& kernel,
                        std::int32_t stride, double* weights, std::int32_t& count) {
  const double centre = (x + 0.5) * axis.scale;
  const double low = std::max(0.0, std::floor(centre - axis.support + 0.5));
  const double high = std::min(static_cast<double>(sourceSize), std::floor(centre + axis.support + 0.5));
  const auto first = static_cast<std::int32_t>(low);
  count = std::min(stride, static_cast<std::int32_t>(high) - first);
  double sum = 0.0;
  for (std::int32_t i = 0; i < count; ++i) {
    weights[i] = kernel.value((first + i - centre + 0.5) / axis.widened);
    sum += weights[i];
  }
  if (sum != 0.0) {
    for (std::int32_t i = 0; i < count; ++i) weights[i] /= sum;
  }
  return first;
}

// The weights of one pixel as whole numbers of 1 / 2^bits adding up to
// 2^bits, each the step between its running sum and the one before, both
// rounded; false where they break the bounds the passes rely on.
bool QuantisePixel(const double* weights, std::int32_t count, int bits, std::int16_t* out) {
  const double one = std::ldexp(1.0, bits);
  double running = 0.0;
  std::int64_t before = 0;
  std::int64_t absolute = 0;
  for (std::int32_t i = 0; i < count; ++i) {
    running += weights[i];
    const std::int64_t upTo =
        i + 1 == count ? std::int64_t{1} << bits : static_cast<std::int64_t>(std::floor(running * one + 0.5));
    const std::int64_t q = upTo - before;
    before = upTo;
    if (q > 32767 || q < -32767) return false;
    absolute += q < 0 ? -q : q;
    out[i] = static_cast<std::int16_t>(q);
  }
  const std::int64_t half = bits > 0 ? std::int64_t{1} << (bits - 1) : 0;
  return 255 * absolute + half <= INT32_MAX;
}

}  // namespace

std::int32_t FilterTaps::StrideFor(std::int32_t sourceSize, std::int32_t size, const FilterKernel& kernel) {
  const double support = GeometryFor(sourceSize, size, kernel).support;
  return static_cast<std::int32_t>(std::min<double>(sourceSize, std::floor(2.0 * support) + 2.0));
}

std::uint64_t FilterTaps::BytesFor(std::int32_t sourceSize, std::int32_t size, const FilterKernel& kernel) {
  const auto stride = static_cast<std::uint64_t>(StrideFor(sourceSize, size, kernel));
  const auto pixels = static_cast<std::uint64_t>(size);
  // The firsts and counts, the weights, and one pixel's in double while they are made.
  return pixels * (2 * sizeof(std::int32_t) + stride * sizeof(std::int16_t)) + kPadding * sizeof(std::int16_t) +
         stride * sizeof(double);
}

FilterTaps::FilterTaps(std::int32_t sourceSize, std::int32_t size, const FilterKernel& kernel)
    : sourceSize_(sourceSize), stride_(StrideFor(sourceSize, size, kernel)) {
  // The weights' count in 64 bits: on a 32-bit system it may not fit a size_t.
  const std::uint64_t weights = static_cast<std::uint64_t>(size) * static_cast<std::uint64_t>(stride_);
  if (weights > SIZE_MAX / sizeof(std::int16_t) - kPadding) return;
  const auto pixels = static_cast<std::size_t>(size);
  first_ = Allocate<std::int32_t>(pixels);
  count_ = Allocate<std::int32_t>(pixels);
  // Zeros past the last pixel's weights: a pass may read its taps four at a time.
  weights_ =
      std::unique_ptr<std::int16_t[]>(new (std::nothrow) std::int16_t[static_cast<std::size_t>(weights) + kPadding]());
  const std::unique_ptr<double[]> scratch = Allocate<double>(static_cast<std::size_t>(stride_));
  if (!first_ || !count_ || !weights_ || !scratch) return;
  const AxisGeometry axis = GeometryFor(sourceSize, size, kernel);
  // The largest bits at which every pixel keeps the bounds: lowered at each
  // pixel that breaks them, and checked over again until none does.
  bits_ = kMostBits;
  for (bool lowered = true; lowered;) {
    lowered = false;
    for (std::int32_t x = 0; x < size; ++x) {
      first_[x] = WeighPixel(sourceSize, x, axis, kernel, stride_, scratch.get(), count_[x]);
      std::int16_t* weights = weights_.get() + static_cast<std::size_t>(x) * static_cast<std::size_t>(stride_);
      while (!QuantisePixel(scratch.get(), count_[x], bits_, weights) && bits_ > 0) {
        --bits_;
        lowered = true;
      }
    }
  }
  most_ = size > 0 ? *std::max_element(count_.get(), count_.get() + size) : 0;
  ready_ = true;
}

}  // namespace bmpresize
