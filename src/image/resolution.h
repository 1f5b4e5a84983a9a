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

}  // namespace bmpresize
