// SPDX-License-Identifier: MIT
#include "image/colour_tables.h"

#include <gtest/gtest.h>

#include "image/bmp_image.h"
#include "image/grey_level.h"

using namespace bmpresize;

namespace {

PixelBGRA Rgb(int r, int g, int b, int a = 0) {
  return {static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(r),
          static_cast<std::uint8_t>(a)};
}

TEST(ColourTables, PaletteSizeByDepth) {
  struct Case {
    std::int32_t depth, size;
  };
  for (const Case c :
       {Case{1, 2}, Case{4, 16}, Case{8, 256}, Case{16, 65536}, Case{24, 16777216}, Case{32, 16777216}}) {
    BmpImage image;
    ASSERT_EQ(image.SetDepth(c.depth), 1);
    EXPECT_EQ(image.PaletteSize(), c.size) << c.depth;
  }
}

struct StandardEntry {
  std::int32_t depth, index;
  PixelBGRA colour;
};

class StandardTable : public ::testing::TestWithParam<StandardEntry> {};

TEST_P(StandardTable, HoldsTheListedColour) {
  BmpImage image;
  ASSERT_EQ(image.SetDepth(GetParam().depth), 1);
  EXPECT_EQ(image.GetPaletteEntry(GetParam().index), GetParam().colour);
}

INSTANTIATE_TEST_SUITE_P(
    ColourTables, StandardTable,
    ::testing::Values(StandardEntry{1, 0, Rgb(0, 0, 0)}, StandardEntry{1, 1, Rgb(255, 255, 255)},
                      StandardEntry{4, 1, Rgb(128, 0, 0)}, StandardEntry{4, 6, Rgb(0, 128, 128)},
                      StandardEntry{4, 7, Rgb(128, 128, 128)}, StandardEntry{4, 8, Rgb(192, 192, 192)},
                      StandardEntry{4, 9, Rgb(255, 0, 0)}, StandardEntry{4, 12, Rgb(0, 0, 255)},
                      StandardEntry{4, 15, Rgb(255, 255, 255)}, StandardEntry{8, 0, Rgb(0, 0, 0)},
                      StandardEntry{8, 5, Rgb(128, 0, 128)}, StandardEntry{8, 7, Rgb(192, 192, 192)},
                      StandardEntry{8, 8, Rgb(192, 220, 192)}, StandardEntry{8, 9, Rgb(166, 202, 240)},
                      StandardEntry{8, 10, Rgb(64, 32, 0)}, StandardEntry{8, 100, Rgb(128, 128, 64)},
                      StandardEntry{8, 245, Rgb(160, 192, 192)}, StandardEntry{8, 246, Rgb(255, 251, 240)},
                      StandardEntry{8, 247, Rgb(160, 160, 164)}, StandardEntry{8, 248, Rgb(128, 128, 128)},
                      StandardEntry{8, 252, Rgb(0, 0, 255)}, StandardEntry{8, 255, Rgb(255, 255, 255)}));

TEST(ColourTables, EveryStandardEntryHasAlphaZero) {
  for (std::int32_t depth : {1, 4, 8}) {
    BmpImage image;
    ASSERT_EQ(image.SetDepth(depth), 1);
    for (std::int32_t i = 0; i < image.PaletteSize(); ++i) EXPECT_EQ(image.GetPaletteEntry(i).alpha, 0);
  }
}

TEST(ColourTables, EntriesOutsideThePaletteReadWhiteAndRefuseWrites) {
  BmpImage four;
  ASSERT_EQ(four.SetDepth(4), 1);
  EXPECT_EQ(four.GetPaletteEntry(16), kWhite);
  EXPECT_EQ(four.GetPaletteEntry(-1), kWhite);

  BmpImage one;
  ASSERT_EQ(one.SetDepth(1), 1);
  EXPECT_EQ(one.SetPaletteEntry(2, Rgb(1, 2, 3)), 0);
  EXPECT_EQ(one.GetPaletteEntry(0), Rgb(0, 0, 0));
  EXPECT_EQ(one.GetPaletteEntry(1), Rgb(255, 255, 255));

  BmpImage eight;
  ASSERT_EQ(eight.SetDepth(8), 1);
  EXPECT_EQ(eight.SetPaletteEntry(255, Rgb(1, 2, 3, 4)), 1);
  EXPECT_EQ(eight.GetPaletteEntry(255), Rgb(1, 2, 3, 4));

  BmpImage direct;  // 24-bit: no palette at all
  for (std::int32_t i : {0, 1, 255}) EXPECT_EQ(direct.GetPaletteEntry(i), kWhite);
  EXPECT_EQ(direct.SetPaletteEntry(0, Rgb(1, 2, 3)), 0);
  EXPECT_EQ(direct.FillStandardPalette(), 0);
}

TEST(ColourTables, NearestIndexOnTheStandardTables) {
  struct Case {
    std::int32_t depth;
    PixelBGRA colour;
    int want;
  };
  const Case cases[] = {
      {1, Rgb(255, 255, 255), 1},
      {4, Rgb(255, 255, 255), 15},
      {8, Rgb(255, 255, 255), 255},
      {1, Rgb(0, 0, 0), 0},
      {4, Rgb(0, 0, 0), 0},
      {8, Rgb(0, 0, 0), 0},
      {4, Rgb(192, 192, 192), 8},
      {8, Rgb(192, 192, 192), 7},
      // Nearest, not exact: a mid grey on two colours goes to white, dark to black.
      {1, Rgb(130, 130, 130), 1},
      {1, Rgb(120, 120, 120), 0},
      // Alpha takes no part.
      {8, Rgb(255, 255, 255, 200), 255},
      {4, Rgb(192, 192, 192, 9), 8},
  };
  for (const Case& c : cases) {
    BmpImage image;
    ASSERT_EQ(image.SetDepth(c.depth), 1);
    EXPECT_EQ(image.NearestPaletteIndex(c.colour), c.want) << "depth " << c.depth;
  }
}

TEST(ColourTables, NearestIndexTiesGoToTheLowestIndex) {
  BmpImage image;
  ASSERT_EQ(image.SetDepth(4), 1);
  ASSERT_EQ(image.SetPaletteEntry(3, Rgb(10, 20, 30)), 1);
  ASSERT_EQ(image.SetPaletteEntry(5, Rgb(10, 20, 30)), 1);
  EXPECT_EQ(image.NearestPaletteIndex(Rgb(10, 20, 30)), 3);
  // Equal distance, no exact match: entries 0 (black) and 1 (red 2) from red 1.
  PixelBGRA entries[2] = {Rgb(0, 0, 0), Rgb(2, 0, 0)};
  EXPECT_EQ(NearestIndexIn(entries, 2, Rgb(1, 0, 0)), 0);
}

// Greys: a colour's luminance, and the grey table's entry nearest to it at 1,
// 4 and 8 bits. Levels 127 | 128 and 8 | 9 lie either side of the half way
// points between entries at 1 and 4 bits (127.5, 8.5).
TEST(ColourTables, GreyIndexIsTheNearestEntryToTheLuminance) {
  struct Case {
    const char* what;
    PixelBGRA colour;
    int luminance, at1, at4;
  };
  const Case cases[] = {
      {"black", Rgb(0, 0, 0), 0, 0, 0},
      {"white", Rgb(255, 255, 255), 255, 1, 15},
      {"red", Rgb(255, 0, 0), 76, 0, 4},
      {"green", Rgb(0, 255, 0), 150, 1, 9},
      {"blue", Rgb(0, 0, 255), 29, 0, 2},
      {"half of 2^16 up", Rgb(0, 52, 184), 52, 0, 3},
      {"grey 127", Rgb(127, 127, 127), 127, 0, 7},
      {"grey 128", Rgb(128, 128, 128), 128, 1, 8},
      {"grey 8", Rgb(8, 8, 8), 8, 0, 0},
      {"grey 9", Rgb(9, 9, 9), 9, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::uint8_t level = Luminance(c.colour.blue, c.colour.green, c.colour.red);
    EXPECT_EQ(level, c.luminance);
    EXPECT_EQ(NearestGreyIndex(1, level), c.at1);
    EXPECT_EQ(NearestGreyIndex(4, level), c.at4);
    EXPECT_EQ(NearestGreyIndex(8, level), c.luminance);
  }
  // Every level: the full search of the grey table, lowest index on a tie.
  for (const std::int32_t depth : {1, 4, 8}) {
    Palette greys{};
    ASSERT_TRUE(FillGreyTable(depth, greys));
    for (int v = 0; v < 256; ++v) {
      const auto level = static_cast<std::uint8_t>(v);
      ASSERT_EQ(NearestGreyIndex(depth, level),
                NearestIndexIn(greys.data(), PaletteSizeForDepth(depth), PixelBGRA{level, level, level, 0}))
          << depth << " bits, level " << v;
    }
  }
}

}  // namespace
