// SPDX-License-Identifier: MIT
#include <algorithm>

#include "resample/filter_passes.h"

namespace bmpresize {

namespace {

void Across(const PixelBGRA* source, const FilterTaps& taps, std::int32_t width, int channels, std::uint8_t* out) {
  const int bits = taps.Bits();
  for (std::int32_t x = 0; x < width; ++x, out += channels) {
    const PixelBGRA* p = source + taps.First(x);
    const std::int16_t* w = taps.Weights(x);
    std::int32_t b = 0, g = 0, r = 0, a = 0;
    for (std::int32_t i = 0, n = taps.Count(x); i < n; ++i) {
      b += p[i].blue * w[i];
      g += p[i].green * w[i];
      r += p[i].red * w[i];
      a += p[i].alpha * w[i];
    }
    out[0] = RoundedSum(b, bits);
    out[1] = RoundedSum(g, bits);
    out[2] = RoundedSum(r, bits);
    out[3] = RoundedSum(a, bits);
  }
}

// A block of bytes at a time, each row's share added to sums on the stack,
// a loop the compiler makes wide.
void Down(const std::uint8_t* const* rows, const std::int16_t* weights, std::int32_t count, int bits, std::size_t bytes,
          std::uint8_t* out) {
  constexpr std::size_t kBlock = 512;
  std::int32_t sums[kBlock];
  for (std::size_t at = 0; at < bytes; at += kBlock) {
    const std::size_t n = std::min(kBlock, bytes - at);
    std::fill(sums, sums + n, 0);
    for (std::int32_t t = 0; t < count; ++t) {
      const std::uint8_t* row = rows[t] + at;
      const std::int32_t w = weights[t];
      for (std::size_t k = 0; k < n; ++k) sums[k] += row[k] * w;
    }
    for (std::size_t k = 0; k < n; ++k) out[at + k] = RoundedSum(sums[k], bits);
  }
}

}  // namespace

const FilterPasses& ScalarFilterPasses() {
  static const FilterPasses passes = {"scalar", Across, Down};
  return passes;
}

}  // namespace bmpresize
