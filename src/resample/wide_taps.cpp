// SPDX-License-Identifier: MIT
#include "resample/wide_taps.h"

#include <algorithm>
#include <cstdlib>
#include <new>

#include "resample/filter_taps.h"

namespace bmpresize {

std::int32_t WideTaps::StrideFor(std::int32_t sourceSize, std::int32_t size, const FilterKernel* kernel) {
  if (sourceSize == size) return 1;
  if (kernel != nullptr) return FilterTaps::StrideFor(sourceSize, size, *kernel);
  // A run n long, in units of m, meets at most ceil(n / m) + 1 source pixels.
  const std::int64_t most = (std::int64_t{sourceSize} + size - 1) / size + 1;
  return static_cast<std::int32_t>(std::min<std::int64_t>(most, sourceSize));
}

std::uint64_t WideTaps::BytesFor(std::int32_t sourceSize, std::int32_t size, const FilterKernel* kernel) {
  const auto stride = static_cast<std::uint64_t>(StrideFor(sourceSize, size, kernel));
  const std::uint64_t own = static_cast<std::uint64_t>(size) * (2 + stride) * sizeof(std::int32_t);
  const bool convolves = kernel != nullptr && sourceSize != size;
  return own + (convolves ? FilterTaps::BytesFor(sourceSize, size, *kernel) : 0);
}

WideTaps::WideTaps(std::int32_t sourceSize, std::int32_t size, const FilterKernel* kernel)
    : stride_(StrideFor(sourceSize, size, kernel)) {
  if (!Allocate(size)) return;
  if (sourceSize == size) {
    MakeKept(size);
  } else if (kernel == nullptr) {
    MakeArea(sourceSize, size);
  } else if (!MakeConvolution(sourceSize, size, *kernel)) {
    return;
  }
  std::int64_t most = 0, widest = 0;
  for (std::int32_t x = 0; x < size; ++x) {
    std::int64_t absolute = 0;
    for (std::int32_t i = 0; i < count_[x]; ++i) {
      absolute += std::abs(std::int64_t{Weights(x)[i]});
      widest = std::max(widest, std::abs(std::int64_t{Weights(x)[i]}));
    }
    most = std::max(most, absolute);
  }
  most_ = most;
  narrow_ = 65535 * most < (std::int64_t{1} << 31);
  bytewise_ = widest <= 32767 && 255 * most < (std::int64_t{1} << 31);
  ready_ = true;
}

bool WideTaps::Allocate(std::int32_t size) {
  // The weights' count in 64 bits: on a 32-bit system it may not fit a size_t.
  const std::uint64_t weights = static_cast<std::uint64_t>(size) * static_cast<std::uint64_t>(stride_);
  if (weights > SIZE_MAX / sizeof(std::int32_t)) return false;
  const auto pixels = static_cast<std::size_t>(size);
  first_.reset(new (std::nothrow) std::int32_t[pixels]);
  count_.reset(new (std::nothrow) std::int32_t[pixels]);
  weights_.reset(new (std::nothrow) std::int32_t[static_cast<std::size_t>(weights)]);
  return first_ && count_ && weights_;
}

// Sums of an axis are 0 to 65535 x d at most (the weights add up to d; a
// convolution's larger ones have a power of 2 for d), so n = 2 x sum + d
// stays below 131072 x d. The reciprocal floor(2^47 / 2d) + 1 is exact while
// n x 2d < 2^47, up to d of about 23000, and n times it stays below 2^64.
void WideTaps::SetDivisor(std::int64_t divisor) {
  divisor_ = divisor;
  shift_ = 0;
  while ((std::int64_t{1} << shift_) < divisor) ++shift_;
  if ((std::int64_t{1} << shift_) == divisor) {
    half_ = shift_ > 0 ? std::uint64_t{1} << (shift_ - 1) : 0;
    return;
  }
  shift_ = -1;
  const auto d = static_cast<std::uint64_t>(divisor);
  const std::uint64_t largest = 131072 * d;
  const std::uint64_t bound = std::uint64_t{1} << kMagicShift;
  if (largest <= (bound - 1) / (2 * d)) magic_ = bound / (2 * d) + 1;
}

void WideTaps::MakeKept(std::int32_t size) {
  for (std::int32_t x = 0; x < size; ++x) {
    first_[x] = x;
    count_[x] = 1;
    weights_[static_cast<std::size_t>(x)] = 1;
  }
}

void WideTaps::MakeArea(std::int32_t sourceSize, std::int32_t size) {
  const std::int64_t n = sourceSize, m = size;
  SetDivisor(n);
  for (std::int32_t x = 0; x < size; ++x) {
    const std::int64_t start = x * n, end = (x + 1) * n;
    const std::int64_t first = start / m, last = (end + m - 1) / m;  // source pixels [first, last)
    std::int32_t* w = weights_.get() + static_cast<std::size_t>(x) * static_cast<std::size_t>(stride_);
    for (std::int64_t i = first; i < last; ++i)
      w[i - first] = static_cast<std::int32_t>(std::min(end, (i + 1) * m) - std::max(start, i * m));
    first_[x] = static_cast<std::int32_t>(first);
    count_[x] = static_cast<std::int32_t>(last - first);
  }
}

bool WideTaps::MakeConvolution(std::int32_t sourceSize, std::int32_t size, const FilterKernel& kernel) {
  const FilterTaps taps(sourceSize, size, kernel);
  if (!taps.Ready()) return false;
  SetDivisor(std::int64_t{1} << taps.Bits());
  for (std::int32_t x = 0; x < size; ++x) {
    first_[x] = taps.First(x);
    count_[x] = taps.Count(x);
    std::int32_t* w = weights_.get() + static_cast<std::size_t>(x) * static_cast<std::size_t>(stride_);
    std::copy(taps.Weights(x), taps.Weights(x) + taps.Count(x), w);
  }
  return true;
}

}  // namespace bmpresize
