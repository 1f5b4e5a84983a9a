// SPDX-License-Identifier: MIT
#include "image/bmp_image.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

using namespace bmpresize;

namespace {

constexpr PixelBGRA kRed{0, 0, 255, 7};

TEST(BmpImage, StartsAs24Bit1x1WithoutPalette) {
  BmpImage image;
  EXPECT_EQ(image.Depth(), 24);
  EXPECT_EQ(image.Width(), 1);
  EXPECT_EQ(image.Height(), 1);
  EXPECT_FALSE(image.HasPalette());
  EXPECT_EQ(image.GetResolution().xPixelsPerMetre, 0);
  EXPECT_EQ(image.GetResolution().yPixelsPerMetre, 0);
}

TEST(BmpImage, SetSizeMakesEveryPixelWhiteAndKeepsDepthPaletteAndResolution) {
  BmpImage image;
  ASSERT_EQ(image.SetDepth(8), 1);
  ASSERT_EQ(image.SetPaletteEntry(3, kRed), 1);
  image.SetResolution({11, 12});
  ASSERT_EQ(image.SetSize(4, 4), 1);
  image.PixelAt(1, 1) = kRed;
  ASSERT_EQ(image.SetSize(3, 2), 1);
  for (int x = 0; x < 3; ++x)
    for (int y = 0; y < 2; ++y) EXPECT_EQ(image.PixelAt(x, y), kWhite) << x << "," << y;
  EXPECT_EQ(image.Depth(), 8);
  EXPECT_EQ(image.GetPaletteEntry(3), kRed);
  EXPECT_EQ(image.GetResolution(), (Resolution{11, 12}));
}

struct RefusedSize {
  std::int32_t width, height;
};

class SetSizeRefusal : public ::testing::TestWithParam<RefusedSize> {};

TEST_P(SetSizeRefusal, LeavesImageExactlyAsItWas) {
  BmpImage image;
  ASSERT_EQ(image.SetSize(5, 3), 1);
  image.PixelAt(4, 2) = kRed;
  EXPECT_EQ(image.SetSize(GetParam().width, GetParam().height), 0);
  EXPECT_EQ(image.Width(), 5);
  EXPECT_EQ(image.Height(), 3);
  EXPECT_EQ(image.PixelAt(4, 2), kRed);
  EXPECT_EQ(image.PixelAt(0, 0), kWhite);
}

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
INSTANTIATE_TEST_SUITE_P(BmpImage, SetSizeRefusal,
                         ::testing::Values(RefusedSize{0, 10}, RefusedSize{10, -3}, RefusedSize{-1, -1},
                                           RefusedSize{0, 0},
                                           // Storage that no allocator can give (or, on 32-bit
                                           // hosts, that cannot even be addressed).
                                           RefusedSize{kMax, kMax}, RefusedSize{kMax, 1 << 20}));

TEST(BmpImage, PixelAtClampsEveryCoordinateIntoTheImage) {
  BmpImage image;
  ASSERT_EQ(image.SetSize(4, 3), 1);
  struct Case {
    std::int32_t x, y, wantX, wantY;
  };
  const Case cases[] = {{-1, -1, 0, 0},     {4 + 5, 3, 3, 2}, {2, 1, 2, 1}, {-2147483647 - 1, 1, 0, 1},
                        {kMax, kMax, 3, 2}, {1, -7, 1, 0},    {3, 99, 3, 2}};
  for (const Case& c : cases) {
    EXPECT_EQ(&image.PixelAt(c.x, c.y), &image.PixelAt(c.wantX, c.wantY)) << c.x << "," << c.y;
  }
  // Distinct coordinates inside the image are distinct pixels.
  EXPECT_NE(&image.PixelAt(1, 0), &image.PixelAt(0, 1));
}

TEST(BmpImage, RowViewSeesTheSamePixelsAsPixelAt) {
  BmpImage image;
  ASSERT_EQ(image.SetSize(3, 4), 1);
  const PixelRow row = image.Row(2);
  ASSERT_EQ(row.width, 3);
  for (int x = 0; x < 3; ++x) EXPECT_EQ(&row[x], &image.PixelAt(x, 2));
}

TEST(BmpImage, SetDepthGivesPaletteExactlyForPalettedDepths) {
  struct Case {
    std::int32_t depth;
    bool palette;
  };
  for (const Case c :
       {Case{1, true}, Case{4, true}, Case{8, true}, Case{16, false}, Case{24, false}, Case{32, false}}) {
    BmpImage image;
    ASSERT_EQ(image.SetDepth(8), 1);
    ASSERT_EQ(image.SetDepth(c.depth), 1);
    EXPECT_EQ(image.Depth(), c.depth);
    EXPECT_EQ(image.HasPalette(), c.palette) << c.depth;
  }
}

TEST(BmpImage, SetDepthRefusesUnsupportedDepthsAndKeepsPalette) {
  for (std::int32_t depth : {0, 2, 3, 5, 15, 31, 64, -8}) {
    BmpImage image;
    ASSERT_EQ(image.SetDepth(4), 1);
    ASSERT_EQ(image.SetPaletteEntry(2, kRed), 1);
    EXPECT_EQ(image.SetDepth(depth), 0) << depth;
    EXPECT_EQ(image.Depth(), 4);
    EXPECT_EQ(image.GetPaletteEntry(2), kRed);
  }
}

TEST(BmpImage, SettingTheSameDepthAgainRestoresTheStandardTable) {
  BmpImage image;
  ASSERT_EQ(image.SetDepth(8), 1);
  ASSERT_EQ(image.SetPaletteEntry(0, kRed), 1);
  ASSERT_EQ(image.SetDepth(8), 1);
  EXPECT_EQ(image.GetPaletteEntry(0), (PixelBGRA{0, 0, 0, 0}));
}

}  // namespace
