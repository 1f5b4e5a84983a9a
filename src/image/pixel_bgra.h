// SPDX-License-Identifier: MIT
// One pixel or palette entry: blue, green, red, alpha, one byte each, in that
// order (the order of a BMP colour-table entry and of a 32-bit BMP pixel).
#pragma once

#include <cstdint>

namespace bmpresize {

struct PixelBGRA {
  std::uint8_t blue;
  std::uint8_t green;
  std::uint8_t red;
  std::uint8_t alpha;
};

inline constexpr bool operator==(PixelBGRA a, PixelBGRA b) {
  return a.blue == b.blue && a.green == b.green && a.red == b.red && a.alpha == b.alpha;
}
inline constexpr bool operator!=(PixelBGRA a, PixelBGRA b) { return !(a == b); }

// The colour of a freshly sized image and of a palette entry that does not exist.
inline constexpr PixelBGRA kWhite{255, 255, 255, 0};

}  // namespace bmpresize
