// SPDX-License-Identifier: MIT
#include "pipeline/scaled_size.h"

#include <gtest/gtest.h>

#include <cstdint>

using namespace bmpresize;

namespace {

constexpr std::int32_t kMax = INT32_MAX;
constexpr std::int32_t kMin = INT32_MIN;

TEST(ScaledSize, TruncatesTowardZeroAndHoldsToThe32BitRange) {
  struct Case {
    std::int32_t percent, length;
    bool ok;
    std::int32_t want;
  };
  const Case cases[] = {
      {100, 7, true, 7},
      {150, 3, true, 4},
      {50, 1, true, 0},
      {33, 100, true, 33},
      {1, 150, true, 1},
      {-50, 10, true, -5},
      {-150, 3, true, -4},  // -4.5: toward zero, not down
      {-1, 50, true, 0},
      {0, kMax, true, 0},
      {kMax, 1, true, 21474836},
      {100, kMax, true, kMax},
      {kMax, 100, true, kMax},
      {100, kMin, true, kMin},
      {kMin, 100, true, kMin},
      // Products beyond 32 bits whose hundredth still fits.
      {400, 536870911, true, 2147483644},
      {199, 1 << 30, true, 2136746229},
      {-536870912, 400, true, kMin},
      {-300, 715827882, true, -2147483646},
      {-32050, 6700417, true, kMin},  // -2147483648.5 truncates onto the lowest value
      // Results beyond the range.
      {400, 536870912, false, 0},  // exactly 2^31
      {300, 715827883, false, 0},
      {-300, 715827883, false, 0},  // -2^31 - 1
      {kMax, 101, false, 0},
      {kMin, 101, false, 0},
      {kMax, kMax, false, 0},
      {kMin, kMin, false, 0},
      {kMin, kMax, false, 0},
  };
  for (const Case& c : cases) {
    std::int32_t result = 12345;
    EXPECT_EQ(ScaledSize(c.percent, c.length, result), c.ok) << c.percent << " % of " << c.length;
    if (c.ok) {
      EXPECT_EQ(result, c.want) << c.percent << " % of " << c.length;
    }
  }
}

TEST(ScaledSize, EqualsWholeHundredthsAcrossThe32BitProducts) {
  // Around many multiples of 100 of every magnitude, as percent x 1 and 1 x length.
  for (std::int64_t k = -21474836; k <= 21474836; k += 4099) {
    for (const std::int64_t r : {-99, -1, 0, 1, 50, 99}) {
      const std::int64_t product = 100 * k + r;
      if (product < kMin || product > kMax) continue;
      const auto p = static_cast<std::int32_t>(product);
      std::int32_t a = 0, b = 0;
      ASSERT_TRUE(ScaledSize(p, 1, a));
      ASSERT_TRUE(ScaledSize(1, p, b));
      ASSERT_EQ(a, product / 100) << product;
      ASSERT_EQ(b, product / 100) << product;
    }
  }
}

}  // namespace
