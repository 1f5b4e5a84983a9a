// SPDX-License-Identifier: MIT
// Pixels and palette entries that tests build their pictures from.
#pragma once

#include <cstdint>

#include "image/pixel_bgra.h"

// Blue, green and red all v.
inline bmpresize::PixelBGRA Grey(int v, int alpha = 0) {
  const auto b = static_cast<std::uint8_t>(v);
  return {b, b, b, static_cast<std::uint8_t>(alpha)};
}

// Entries distinct from each other and from white, each with an alpha of its
// own, so that each can be seen reaching a pixel.
inline bmpresize::PixelBGRA MarkedEntry(int i) {
  return {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i * 7 + 1), static_cast<std::uint8_t>(255 - i),
          static_cast<std::uint8_t>(i | 0x80)};
}
