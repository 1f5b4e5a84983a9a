// SPDX-License-Identifier: MIT
#include "reference/int_power.h"

#include <gtest/gtest.h>

namespace {

TEST(IntPower, RepeatedMultiplicationWrappingAt32Bits) {
  struct Case {
    std::int32_t base, exponent, want;
  };
  for (const Case c : {Case{2, 0, 1}, Case{2, 8, 256}, Case{3, -2, 1}, Case{2, 24, 16777216},
                       Case{2, 31, -2147483647 - 1}, Case{2, 32, 0}, Case{10, 3, 1000}}) {
    EXPECT_EQ(IntPower(c.base, c.exponent), c.want) << c.base << "^" << c.exponent;
  }
}

}  // namespace
