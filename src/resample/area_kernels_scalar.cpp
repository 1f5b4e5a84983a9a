// SPDX-License-Identifier: MIT
#include <cstring>

#include "resample/area_kernels.h"

namespace bmpresize {

namespace {

// The weighed sums of one run of source pixels, a channel each. Up to 255 x
// the source's width: 64 bits.
struct ChannelSums {
  std::uint64_t blue = 0, green = 0, red = 0, alpha = 0;

  void Add(PixelBGRA p, std::uint64_t weight) {
    blue += p.blue * weight;
    green += p.green * weight;
    red += p.red * weight;
    alpha += p.alpha * weight;
  }
};

ChannelSums MiddleSums(const PixelBGRA* p, std::int32_t count) {
  ChannelSums sums;
  for (std::int32_t k = 0; k < count; ++k) sums.Add(p[k], 1);
  return sums;
}

void AverageColumnsScalar(const PixelBGRA* source, const AreaSpan* spans, std::int32_t count, int channels,
                          std::uint32_t middleWeight, const AreaDivider& divider, std::uint8_t* out) {
  for (std::int32_t x = 0; x < count; ++x, out += channels) {
    const AreaSpan& span = spans[x];
    const PixelBGRA* p = source + span.first;
    if (span.count == 1) {
      // The pixel's own value: floor((2 x c x S + S) / (2 x S)) = c.
      std::memcpy(out, p, 4);  // a fourth byte past a 3-channel pixel is overwritten next
      continue;
    }
    const ChannelSums middle = MiddleSums(p + 1, span.count - 2);
    ChannelSums sums;
    sums.Add(p[0], span.firstWeight);
    sums.Add(p[span.count - 1], span.lastWeight);
    out[0] = static_cast<std::uint8_t>(divider.Average(sums.blue + middle.blue * middleWeight));
    out[1] = static_cast<std::uint8_t>(divider.Average(sums.green + middle.green * middleWeight));
    out[2] = static_cast<std::uint8_t>(divider.Average(sums.red + middle.red * middleWeight));
    if (channels == 4) out[3] = static_cast<std::uint8_t>(divider.Average(sums.alpha + middle.alpha * middleWeight));
  }
}

void AddRowScalar(const std::uint8_t* row, std::uint32_t weight, std::size_t count, std::uint64_t* sums) {
  for (std::size_t i = 0; i < count; ++i) sums[i] += static_cast<std::uint64_t>(row[i]) * weight;
}

void FinishRowScalar(std::uint64_t* sums, std::size_t count, const AreaDivider& divider, std::uint8_t* out) {
  for (std::size_t i = 0; i < count; ++i) {
    out[i] = static_cast<std::uint8_t>(divider.Average(sums[i]));
    sums[i] = 0;
  }
}

void AddRowNarrowScalar(const std::uint8_t* row, std::uint32_t weight, std::size_t count, std::uint32_t* sums) {
  for (std::size_t i = 0; i < count; ++i) sums[i] += row[i] * weight;
}

void FinishRowNarrowScalar(std::uint32_t* sums, std::size_t count, const AreaDivider& divider, std::uint8_t* out) {
  for (std::size_t i = 0; i < count; ++i) {
    out[i] = static_cast<std::uint8_t>(divider.NarrowAverage(sums[i]));
    sums[i] = 0;
  }
}

}  // namespace

const AreaKernels& ScalarAreaKernels() {
  static const AreaKernels kernels{"scalar",           AverageColumnsScalar,  AddRowScalar, FinishRowScalar,
                                   AddRowNarrowScalar, FinishRowNarrowScalar, nullptr};
  return kernels;
}

}  // namespace bmpresize
