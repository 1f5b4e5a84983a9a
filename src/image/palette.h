// SPDX-License-Identifier: MIT
// A colour table's entries: room for the 256 of depth 8; depth d uses the
// first 2^d of them. The image, the reader and the writer all hold their
// tables in this one type.
#pragma once

#include <array>
#include <cstdint>

#include "image/pixel_bgra.h"

namespace bmpresize {

inline constexpr std::int32_t kMaxPaletteEntries = 256;
using Palette = std::array<PixelBGRA, kMaxPaletteEntries>;

}  // namespace bmpresize
