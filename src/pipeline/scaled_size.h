// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace bmpresize {

// The new length of a side scaled by percent: percent x length as a product,
// times 0.01 (the double nearest to it), truncated toward zero. For every
// product within 32 bits this is the product / 100 with the remainder dropped
// (150 % of 3 is 4, -50 % of 10 is -5). The product is formed in 64 bits, so
// no percent wraps around; the answer is false when the result lies beyond the
// signed 32-bit range.
bool ScaledSize(std::int32_t percent, std::int32_t length, std::int32_t& result);

}  // namespace bmpresize
