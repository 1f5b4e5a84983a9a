// SPDX-License-Identifier: MIT
// The two blends of a separable resize, on whole rows:
//
//   blendColumns   one source row of pixels (blue, green, red, alpha) into one
//                  row of destination columns, each from its two taps; the
//                  first `channels` bytes of each pixel are kept (3: blue,
//                  green, red; 4: with alpha), packed
//   blendRows      two such rows into one, byte by byte, with one pair of
//                  weights: upper x upperWeight + lower x lowerWeight
//
// Every byte is two double products and one double sum, each rounded on its
// own, truncated toward zero: exactly what SampleBilinear computes. The
// instruction-set versions must give the same bytes as the scalar one; a
// kernel may write up to kRowBlendSlack bytes past the end of its output.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/pixel_bgra.h"
#include "resample/axis_tap.h"

namespace bmpresize {

inline constexpr std::size_t kRowBlendSlack = 32;

struct RowBlendKernels {
  const char* name;
  void (*blendColumns)(const PixelBGRA* source, const AxisTap* taps, std::int32_t count, int channels,
                       std::uint8_t* out);
  void (*blendRows)(const std::uint8_t* upper, const std::uint8_t* lower, double upperWeight, double lowerWeight,
                    std::size_t count, std::uint8_t* out);
};

// The plain C++ versions: the reference the others are tested against.
const RowBlendKernels& ScalarRowBlend();
// The fastest versions this CPU runs.
const RowBlendKernels& BestRowBlend();
// Every version built into this library that this CPU can run, scalar first.
std::size_t AvailableRowBlends(const RowBlendKernels** out, std::size_t capacity);

}  // namespace bmpresize
