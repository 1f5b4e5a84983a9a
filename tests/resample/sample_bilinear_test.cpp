// SPDX-License-Identifier: MIT
#include "resample/sample_bilinear.h"
#include "support/test_pixels.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace bmpresize;

namespace {

// A source whose pixel (x, y) holds distinct bytes, so a pixel taken from the
// wrong place shows.
void FillDistinct(BmpImage& image, int w, int h) {
  ASSERT_EQ(image.SetSize(w, h), 1);
  for (int x = 0; x < w; ++x)
    for (int y = 0; y < h; ++y)
      image.PixelAt(x, y) = {static_cast<std::uint8_t>(x * 16 + y), static_cast<std::uint8_t>(200 - x),
                             static_cast<std::uint8_t>(y * 7), static_cast<std::uint8_t>(x + y)};
}

TEST(SampleBilinear, EqualSizeIsTheIdentity) {
  for (auto [w, h] : {std::pair{1, 1}, std::pair{2, 3}, std::pair{7, 5}, std::pair{13, 1}}) {
    BmpImage source;
    FillDistinct(source, w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) EXPECT_EQ(SampleBilinear(source, x, w, y, h), source.PixelAt(x, y));
  }
}

TEST(SampleBilinear, DestinationCornersAreTheSourceCornersExactly) {
  struct Case {
    int sw, sh, dw, dh;
  };
  for (const Case c : {Case{4, 4, 2, 2}, Case{5, 3, 9, 7}, Case{17, 11, 3, 2}, Case{3, 9, 100, 2}}) {
    BmpImage source;
    FillDistinct(source, c.sw, c.sh);
    EXPECT_EQ(SampleBilinear(source, 0, c.dw, 0, c.dh), source.PixelAt(0, 0));
    EXPECT_EQ(SampleBilinear(source, c.dw - 1, c.dw, 0, c.dh), source.PixelAt(c.sw - 1, 0));
    EXPECT_EQ(SampleBilinear(source, 0, c.dw, c.dh - 1, c.dh), source.PixelAt(0, c.sh - 1));
    EXPECT_EQ(SampleBilinear(source, c.dw - 1, c.dw, c.dh - 1, c.dh), source.PixelAt(c.sw - 1, c.sh - 1));
  }
}

TEST(SampleBilinear, TwoPixelRampGivesThirds) {
  BmpImage source;
  ASSERT_EQ(source.SetSize(2, 1), 1);
  source.PixelAt(0, 0) = {0, 0, 0, 0};
  source.PixelAt(1, 0) = {255, 0, 0, 0};
  const int want[] = {0, 85, 170, 255};
  for (int x = 0; x < 4; ++x) EXPECT_EQ(SampleBilinear(source, x, 4, 0, 1).blue, want[x]) << x;
}

TEST(SampleBilinear, HalfWayPositionsBlendNeighboursEqually) {
  BmpImage source;
  ASSERT_EQ(source.SetSize(3, 3), 1);
  const int v[3][3] = {{0, 100, 50}, {200, 30, 90}, {10, 250, 120}};  // [y][x]
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) source.PixelAt(x, y) = Grey(v[y][x], v[y][x] / 2);

  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 5; ++x) {
      const int x0 = x / 2, y0 = y / 2;
      auto at = [&](int i, int j) { return v[j < 3 ? j : 2][i < 3 ? i : 2]; };
      // Horizontal blends first, truncated, then the vertical one.
      const int upper = (x % 2) ? static_cast<int>(at(x0, y0) * 0.5 + at(x0 + 1, y0) * 0.5) : at(x0, y0);
      const int lower = (x % 2) ? static_cast<int>(at(x0, y0 + 1) * 0.5 + at(x0 + 1, y0 + 1) * 0.5) : at(x0, y0 + 1);
      const int want = (y % 2) ? static_cast<int>(upper * 0.5 + lower * 0.5) : upper;
      EXPECT_EQ(SampleBilinear(source, x, 5, y, 5).green, want) << x << "," << y;
    }
  }
}

TEST(SampleBilinear, WhiteEnlargedToEightTruncatesColumnAndRowThreeTo254) {
  BmpImage source;
  ASSERT_EQ(source.SetSize(2, 2), 1);  // white, alpha 0
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      const int want = (x == 3 || y == 3) ? 254 : 255;
      EXPECT_EQ(SampleBilinear(source, x, 8, y, 8),
                (PixelBGRA{static_cast<std::uint8_t>(want), static_cast<std::uint8_t>(want),
                           static_cast<std::uint8_t>(want), 0}))
          << x << "," << y;
    }
  }
}

TEST(SampleBilinear, BlendsAreTruncatedNotRounded) {
  // Known answers that any fused multiply-add or wider intermediate changes:
  // 15 * (1 - 0.7) + 5 * 0.7 is 8 in plain doubles.
  BmpImage source;
  ASSERT_EQ(source.SetSize(2, 1), 1);
  source.PixelAt(0, 0) = Grey(15);
  source.PixelAt(1, 0) = Grey(5);
  // Destination width 11 puts column 7 at 0.7.
  EXPECT_EQ(SampleBilinear(source, 7, 11, 0, 1).red, 8);
}

TEST(SampleBilinear, OnePixelSourceAxesRepeatTheirPixel) {
  BmpImage column;
  FillDistinct(column, 1, 4);
  for (int x = 0; x < 5; ++x) EXPECT_EQ(SampleBilinear(column, x, 5, 3, 4), column.PixelAt(0, 3));

  BmpImage row;
  FillDistinct(row, 4, 1);
  for (int y = 0; y < 5; ++y) EXPECT_EQ(SampleBilinear(row, 2, 4, y, 5), row.PixelAt(2, 0));

  BmpImage single;
  ASSERT_EQ(single.SetSize(1, 1), 1);
  single.PixelAt(0, 0) = {1, 2, 3, 4};
  EXPECT_EQ(SampleBilinear(single, 6, 9, 2, 3), single.PixelAt(0, 0));
}

TEST(SampleBilinear, OnePixelDestinationAxisTakesTheFirstSourcePixel) {
  BmpImage source;
  FillDistinct(source, 6, 5);
  EXPECT_EQ(SampleBilinear(source, 0, 1, 0, 1), source.PixelAt(0, 0));
  // One column wide, full height: column 0 of each row.
  for (int y = 0; y < 5; ++y) EXPECT_EQ(SampleBilinear(source, 0, 1, y, 5), source.PixelAt(0, y));
}

TEST(SampleBilinear, AlphaIsBlendedLikeTheColours) {
  BmpImage source;
  ASSERT_EQ(source.SetSize(2, 1), 1);
  source.PixelAt(0, 0) = Grey(0, 0);
  source.PixelAt(1, 0) = Grey(0, 255);
  EXPECT_EQ(SampleBilinear(source, 1, 4, 0, 1).alpha, 85);
}

TEST(SampleBilinear, PositionsOutsideTheDestinationSnapToTheEnds) {
  BmpImage source;
  FillDistinct(source, 3, 3);
  EXPECT_EQ(SampleBilinear(source, -5, 4, 0, 4), source.PixelAt(0, 0));
  EXPECT_EQ(SampleBilinear(source, 9, 4, 0, 4), source.PixelAt(2, 0));
  EXPECT_EQ(SampleBilinear(source, 2147483647, 2, 2147483647, 2), source.PixelAt(2, 2));
}

TEST(MapAxis, SnapsPositionsWithinEpsilonOfTheEnds) {
  // 2 source pixels over 2^31 - 1 destination pixels: column 1 maps to about
  // 4.7e-10, above the snap, and the second last column maps 4.7e-10 short of
  // the end, also outside it.
  const AxisPosition nearStart = MapAxis(2, 1, 2147483647);
  EXPECT_EQ(nearStart.whole, 0);
  EXPECT_GT(nearStart.fraction, 0.0);
  const AxisPosition end = MapAxis(5, 9, 10);
  EXPECT_EQ(end.whole, 4);
  EXPECT_EQ(end.fraction, 0.0);
}

}  // namespace
