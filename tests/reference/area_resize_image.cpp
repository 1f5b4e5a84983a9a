// SPDX-License-Identifier: MIT
#include "reference/area_resize_image.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>

using namespace bmpresize;

namespace {

std::int64_t Overlap(std::int64_t low1, std::int64_t high1, std::int64_t low2, std::int64_t high2) {
  return std::max<std::int64_t>(0, std::min(high1, high2) - std::max(low1, low2));
}

std::uint8_t Average(std::uint64_t sum, std::int64_t side) {
  return static_cast<std::uint8_t>((2 * sum + static_cast<std::uint64_t>(side)) /
                                   (2 * static_cast<std::uint64_t>(side)));
}

using Channel = std::uint8_t PixelBGRA::*;
constexpr Channel kChannels[] = {&PixelBGRA::blue, &PixelBGRA::green, &PixelBGRA::red, &PixelBGRA::alpha};

}  // namespace

bool AreaResizeImage(const BmpImage& source, BmpImage& destination) {
  const std::int64_t w = source.Width(), h = source.Height();
  const std::int64_t dw = destination.Width(), dh = destination.Height();
  // h(x, j), at x + j * dw
  const std::unique_ptr<PixelBGRA[]> across(new (std::nothrow) PixelBGRA[static_cast<std::size_t>(dw * h)]);
  if (!across) return false;
  for (std::int64_t j = 0; j < h; ++j) {
    for (std::int64_t x = 0; x < dw; ++x) {
      for (Channel c : kChannels) {
        std::uint64_t sum = 0;
        for (std::int64_t i = 0; i < w; ++i) {
          const auto weight = static_cast<std::uint64_t>(Overlap(i * dw, (i + 1) * dw, x * w, (x + 1) * w));
          sum += source.PixelAt(static_cast<std::int32_t>(i), static_cast<std::int32_t>(j)).*c * weight;
        }
        across[static_cast<std::size_t>(x + j * dw)].*c = Average(sum, w);
      }
    }
  }
  for (std::int64_t y = 0; y < dh; ++y) {
    for (std::int64_t x = 0; x < dw; ++x) {
      PixelBGRA p{};
      for (Channel c : kChannels) {
        std::uint64_t sum = 0;
        for (std::int64_t j = 0; j < h; ++j) {
          const auto weight = static_cast<std::uint64_t>(Overlap(j * dh, (j + 1) * dh, y * h, (y + 1) * h));
          sum += across[static_cast<std::size_t>(x + j * dw)].*c * weight;
        }
        p.*c = Average(sum, h);
      }
      destination.PixelAt(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)) = p;
    }
  }
  return true;
}
