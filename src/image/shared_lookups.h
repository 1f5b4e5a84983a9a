// SPDX-License-Identifier: MIT
// The nearest-entry lookups of the tables a resize writes with (the standard
// and the grey tables of 1, 4 and 8 bits), made once in a process and then
// read by every resize and thread: the tables never change, and a batch of
// small pictures would otherwise spend most of its time making the same grid
// again for each.
//
//   SharedLookupBytes(depth, grey)   the bytes the lookup takes, worked out once
//   SharedLookup(depth, grey)        the lookup, made on first use
//
// A resize counts SharedLookupBytes against its memory limit whether or not
// the lookup is made yet, so that what a resize is allowed never depends on
// what ran before it.
#pragma once

#include <cstdint>

#include "image/nearest_colour.h"

namespace bmpresize {

// depth 1, 4 or 8; grey for the grey table, else the standard one.
std::uint64_t SharedLookupBytes(std::int32_t depth, bool grey);

// nullptr when memory for it could not be had (a later call tries again).
const NearestColour* SharedLookup(std::int32_t depth, bool grey);

}  // namespace bmpresize
