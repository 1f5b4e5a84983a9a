// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

// base raised to exponent by repeated multiplication, wrapping at 32 bits
// (IntPower(2, 32) is 0); an exponent of 0 or less gives 1.
std::int32_t IntPower(std::int32_t base, std::int32_t exponent);
