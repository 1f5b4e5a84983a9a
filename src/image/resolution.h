// SPDX-License-Identifier: MIT
// A picture's resolution, as BMP files carry it: pixels per metre along each
// axis. 0 means the picture carries none (the writer then writes 3780, about
// 96 dots per inch).
#pragma once

#include <cstdint>

namespace bmpresize {

struct Resolution {
  std::int32_t xPixelsPerMetre = 0;
  std::int32_t yPixelsPerMetre = 0;
};

inline constexpr bool operator==(Resolution a, Resolution b) {
  return a.xPixelsPerMetre == b.xPixelsPerMetre && a.yPixelsPerMetre == b.yPixelsPerMetre;
}
inline constexpr bool operator!=(Resolution a, Resolution b) { return !(a == b); }

// Dots per inch as pixels per metre: dpi / 0.0254 rounded to nearest, halves
// up, in integers (96 gives 3780). 0 for a dpi of 0 or less, or one whose
// pixels per metre pass INT32_MAX.
inline constexpr std::int32_t PixelsPerMetreFromDpi(std::int32_t dpi) {
  if (dpi <= 0) return 0;
  const std::int64_t ppm = (std::int64_t{dpi} * 20000 + 254) / 508;
  return ppm > INT32_MAX ? 0 : static_cast<std::int32_t>(ppm);
}

}  // namespace bmpresize
