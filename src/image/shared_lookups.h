// SPDX-License-Identifier: MIT
// The nearest-entry lookups of the standard tables of 1, 4 and 8 bits that a
// resize writes with, made once in a process and then read by every resize
// and thread: the tables never change, and a batch of small pictures would
// otherwise spend most of its time making the same grid again for each.
// (Greys need no lookup: a pixel's entry is worked out from its luminance,
// image/grey_level.h.)
//
//   SharedLookupBytes(depth)   the bytes the lookup takes, worked out once
//   SharedLookup(depth)        the lookup, made on first use
//
// A resize counts SharedLookupBytes against its memory limit whether or not
// the lookup is made yet, so that what a resize is allowed never depends on
// what ran before it.
#pragma once

#include <cstdint>

#include "image/nearest_colour.h"

namespace bmpresize {

// depth 1, 4 or 8.
std::uint64_t SharedLookupBytes(std::int32_t depth);

// nullptr when memory for it could not be had (a later call tries again).
const NearestColour* SharedLookup(std::int32_t depth);

}  // namespace bmpresize
