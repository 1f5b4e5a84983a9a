// SPDX-License-Identifier: MIT
// Colour tables that work on a plain array of entries, for code that streams
// rows without a whole BmpImage (the reader's and the writer's row stages).
// BmpImage's own palette operations are built on these.
//
//   PaletteSizeForDepth(d)        entries that belong to depth d (2^d; 2^24 for 32)
//   FillStandardTable(d, e)       the standard table of depth 1, 4 or 8 into e
//   FillGreyTable(d, e)           2^d evenly spaced greys of depth 1, 4 or 8 into e
//   NearestIndexIn(e, n, colour)  nearest of n entries: lowest index on ties
#pragma once

#include <cstdint>

#include "image/palette.h"
#include "image/pixel_bgra.h"

namespace bmpresize {

std::int32_t PaletteSizeForDepth(std::int32_t depth);

// Writes the 2, 16 or 256 standard entries for depth 1, 4 or 8 into entries
// and answers 1; any other depth writes nothing and answers 0.
bool FillStandardTable(std::int32_t depth, Palette& entries);

// Writes 2^depth greys for depth 1, 4 or 8 into entries and answers 1: entry
// i is round(255 x i / (2^depth - 1)), halves up, in blue, green and red, with
// alpha 0. Any other depth writes nothing and answers 0.
bool FillGreyTable(std::int32_t depth, Palette& entries);

// The index of the entry nearest to colour by the sum of squared differences
// of blue, green and red (alpha takes no part). Ties go to the lowest index,
// and the first exact match ends the search.
std::uint8_t NearestIndexIn(const PixelBGRA* entries, std::int32_t count, PixelBGRA colour);

}  // namespace bmpresize
