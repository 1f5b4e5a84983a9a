// SPDX-License-Identifier: MIT
// How a colour becomes a grey, for pictures written with greys: its
// luminance, then the grey table's entry nearest to it.
//
//   Luminance(b, g, r)        (19595 r + 38470 g + 7471 b + 32768) >> 16
//   NearestGreyIndex(d, l)    the entry of the grey table of depth d nearest l
#pragma once

#include <cstdint>

namespace bmpresize {

// The weights are 0.299, 0.587 and 0.114 in 16-bit fixed point, adding up
// to 2^16, rounded to nearest with halves up: 0 to 255 for every colour, a
// grey its own level, pure red 76, green 150, blue 29.
inline std::uint8_t Luminance(std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
  const std::uint32_t weighed = 19595u * red + 38470u * green + 7471u * blue;
  return static_cast<std::uint8_t>((weighed + 32768u) >> 16);
}

// Depth 1, 4 or 8: entry i of the grey table is 255 x i / (2^depth - 1), a
// whole number, so the nearest entry to level is round(level x (2^depth - 1)
// / 255), and level itself at 8 bits. The step between entries (255, 17, 1)
// is odd, so no level lies half way between two entries; were one to, the
// rounding here would give the darker.
inline std::uint8_t NearestGreyIndex(std::int32_t depth, std::uint8_t level) {
  const std::uint32_t last = (1u << depth) - 1u;
  return static_cast<std::uint8_t>((level * last + 127u) / 255u);
}

}  // namespace bmpresize
