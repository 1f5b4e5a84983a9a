// SPDX-License-Identifier: MIT
#include "reference/int_power.h"

std::int32_t IntPower(std::int32_t base, std::int32_t exponent) {
  // Unsigned arithmetic gives the 32-bit wrap without signed overflow.
  std::uint32_t result = 1;
  for (std::int32_t i = 0; i < exponent; ++i) result *= static_cast<std::uint32_t>(base);
  return static_cast<std::int32_t>(result);
}
