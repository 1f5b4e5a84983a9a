// SPDX-License-Identifier: MIT
// The two passes of the convolution filters, on whole rows:
//
//   across   one source row of pixels (blue, green, red, alpha) into one row
//            of destination columns, each the sum of its taps' pixels times
//            their weights (filter_taps.h); the first `channels` bytes of
//            each pixel are kept, packed
//   down     count filtered rows into one, byte by byte: the sum of each
//            row's byte times its weight
//
// Every sum is made in 32-bit integers, which the taps' bounds keep from
// overflowing, and becomes floor((sum + 2^(bits - 1)) / 2^bits) clipped to
// 0-255: the weighted average rounded to nearest, halves up. A kernel may
// write up to kRowBlendSlack bytes past the end of its output.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/pixel_bgra.h"
#include "resample/filter_taps.h"

namespace bmpresize {

struct FilterPasses {
  const char* name;
  void (*across)(const PixelBGRA* source, const FilterTaps& taps, std::int32_t width, int channels, std::uint8_t* out);
  void (*down)(const std::uint8_t* const* rows, const std::int16_t* weights, std::int32_t count, int bits,
               std::size_t bytes, std::uint8_t* out);
};

// The plain C++ versions: the reference the others are tested against.
const FilterPasses& ScalarFilterPasses();
// The fastest versions this CPU runs.
const FilterPasses& BestFilterPasses();
// Every version built into this library that this CPU can run, scalar first.
std::size_t AvailableFilterPasses(const FilterPasses** out, std::size_t capacity);

// A sum of weighted bytes as the byte it rounds to.
inline std::uint8_t RoundedSum(std::int32_t sum, int bits) {
  const std::int32_t half = bits > 0 ? std::int32_t{1} << (bits - 1) : 0;
  if (sum < -half) return 0;
  const std::int32_t value = (sum + half) >> bits;
  return static_cast<std::uint8_t>(value > 255 ? 255 : value);
}

// The down pass on bytes from to end - 1 alone: the scalar pass, and the
// tail of the instruction-set ones.
inline void DownBytes(const std::uint8_t* const* rows, const std::int16_t* weights, std::int32_t count, int bits,
                      std::size_t from, std::size_t end, std::uint8_t* out) {
  for (std::size_t k = from; k < end; ++k) {
    std::int32_t sum = 0;
    for (std::int32_t t = 0; t < count; ++t) sum += rows[t][k] * weights[t];
    out[k] = RoundedSum(sum, bits);
  }
}

}  // namespace bmpresize
