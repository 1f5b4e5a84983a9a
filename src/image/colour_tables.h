// SPDX-License-Identifier: MIT
// The colour tables of 1, 4 and 8 bits, on a plain table of entries: the
// reader fills the standard one into a file that has none, the plan the one
// the destination is written with, and the nearest-entry lookups
// (NearestColour, SharedLookup) are built from them. The model's BmpImage
// uses them too.
//
//   PaletteSizeForDepth(d)        entries that belong to depth d (2^d; 2^24 for 32)
//   FillStandardTable(d, e)       the standard table of depth 1, 4 or 8 into e
//   FillGreyTable(d, e)           2^d evenly spaced greys of depth 1, 4 or 8 into e
//   TableFor(d, grey)             the grey table or the standard one of depth d
//   NearestIndexIn(e, n, colour)  nearest of n entries: lowest index on ties
#pragma once

#include <cstdint>

#include "image/palette.h"
#include "image/pixel_bgra.h"

namespace bmpresize {

std::int32_t PaletteSizeForDepth(std::int32_t depth);

// Writes the 2, 16 or 256 standard entries for depth 1, 4 or 8 into entries
// and answers true; any other depth writes nothing and answers false.
bool FillStandardTable(std::int32_t depth, Palette& entries);

// Writes 2^depth greys for depth 1, 4 or 8 into entries and answers 1: entry
// i is round(255 x i / (2^depth - 1)), halves up, in blue, green and red, with
// alpha 0. Any other depth writes nothing and answers false.
bool FillGreyTable(std::int32_t depth, Palette& entries);

// The grey table of depth with grey, else the standard one; entries beyond
// the depth's (all of them at another depth) are zero.
Palette TableFor(std::int32_t depth, bool grey);

// The index of the entry nearest to colour by the sum of squared differences
// of blue, green and red (alpha takes no part). Ties go to the lowest index,
// and the first exact match ends the search.
std::uint8_t NearestIndexIn(const PixelBGRA* entries, std::int32_t count, PixelBGRA colour);

}  // namespace bmpresize
