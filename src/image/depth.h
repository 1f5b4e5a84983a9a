// SPDX-License-Identifier: MIT
// The depths a picture can have, in bits per pixel.
#pragma once

#include <cstdint>

namespace bmpresize {

// Whether a picture of this depth carries a palette (1, 4 and 8 bits per pixel).
inline bool IsPalettedDepth(std::int32_t depth) { return depth == 1 || depth == 4 || depth == 8; }

// Whether the depth is one that a picture can have.
inline bool IsSupportedDepth(std::int32_t depth) {
  return IsPalettedDepth(depth) || depth == 16 || depth == 24 || depth == 32;
}

}  // namespace bmpresize
