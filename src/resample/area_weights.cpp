// SPDX-License-Identifier: MIT
#include "resample/area_weights.h"

#include <algorithm>
#include <new>

namespace bmpresize {

AreaSpan AreaSpanFor(std::int32_t sourceSize, std::int32_t position, std::int32_t destinationSize) {
  // Every product below is under 2^62.
  const std::uint64_t s = static_cast<std::uint64_t>(sourceSize);
  const std::uint64_t d = static_cast<std::uint64_t>(destinationSize);
  const std::uint64_t start = static_cast<std::uint64_t>(position) * s;
  const std::uint64_t end = start + s;
  const std::uint64_t first = start / d;
  const std::uint64_t last = (end - 1) / d;
  AreaSpan span;
  span.first = static_cast<std::int32_t>(first);
  span.count = static_cast<std::int32_t>(last - first + 1);
  if (first == last) {
    span.firstWeight = static_cast<std::uint32_t>(s);
    span.lastWeight = 0;
  } else {
    span.firstWeight = static_cast<std::uint32_t>((first + 1) * d - start);
    span.lastWeight = static_cast<std::uint32_t>(end - last * d);
  }
  return span;
}

std::uint64_t AreaOverlap(std::int64_t sourceSize, std::int64_t i, std::int64_t destinationSize, std::int64_t x) {
  const std::int64_t low = std::max(i * destinationSize, x * sourceSize);
  const std::int64_t high = std::min((i + 1) * destinationSize, (x + 1) * sourceSize);
  return high > low ? static_cast<std::uint64_t>(high - low) : 0;
}

AreaColumns::AreaColumns(std::int32_t sourceWidth, std::int32_t width)
    : spans_(new (std::nothrow) AreaSpan[static_cast<std::size_t>(width)]) {
  if (!spans_) return;
  for (std::int32_t x = 0; x < width; ++x) spans_[x] = AreaSpanFor(sourceWidth, x, width);
}

}  // namespace bmpresize
