// SPDX-License-Identifier: MIT
#include "reference/write_bmp_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "reference/read_bmp_file.h"
#include "image/colour_tables.h"
#include "support/bmp_bytes.h"
#include "support/temp_dir.h"

using namespace bmpresize;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes WriteAndLoad(const BmpImage& image) {
  TempDir dir;
  const std::string path = dir.File("out.bmp");
  EXPECT_EQ(WriteBmpFile(image, path.c_str()), 1);
  return ReadFileBytes(path);
}

struct LayoutCase {
  const char* name;
  std::int32_t depth, width, height;
  std::uint32_t offBits, stride;
  Bytes row;  // every row of a white image, padding included
};
std::ostream& operator<<(std::ostream& os, const LayoutCase& c) { return os << c.name; }

class WrittenLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(WrittenLayout, HeadersTableAndZeroPadding) {
  const LayoutCase& c = GetParam();
  BmpImage image;
  ASSERT_EQ(image.SetDepth(c.depth), 1);
  ASSERT_EQ(image.SetSize(c.width, c.height), 1);
  const Bytes b = WriteAndLoad(image);
  const std::uint32_t imageSize = c.stride * static_cast<std::uint32_t>(c.height);
  ASSERT_EQ(b.size(), c.offBits + imageSize);
  // {offset, bytes, value} of every header field; resolution 0 is written as 3780.
  const std::uint32_t fields[][3] = {{0, 2, 0x4D42},
                                     {2, 4, c.offBits + imageSize},
                                     {6, 2, 0},
                                     {8, 2, 0},
                                     {10, 4, c.offBits},
                                     {14, 4, 40},
                                     {18, 4, static_cast<std::uint32_t>(c.width)},
                                     {22, 4, static_cast<std::uint32_t>(c.height)},
                                     {26, 2, 1},
                                     {28, 2, static_cast<std::uint32_t>(c.depth)},
                                     {30, 4, c.depth == 16 ? 3u : 0u},
                                     {34, 4, imageSize},
                                     {38, 4, 3780},
                                     {42, 4, 3780},
                                     {46, 4, 0},
                                     {50, 4, 0}};
  for (const auto& f : fields) EXPECT_EQ(f[1] == 2 ? LE16(b, f[0]) : LE32(b, f[0]), f[2]) << "field at " << f[0];
  if (c.depth == 16) {
    EXPECT_EQ(Bytes(b.begin() + 54, b.begin() + 66), (Bytes{0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0}));
  } else if (IsPalettedDepth(c.depth)) {
    Palette standard{};
    FillStandardTable(c.depth, standard);
    BmpBytes table;
    for (int i = 0; i < (1 << c.depth); ++i) table.PaletteEntry(standard[i]);
    EXPECT_EQ(Bytes(b.begin() + 54, b.begin() + c.offBits), table.data());
  }
  for (std::int32_t y = 0; y < c.height; ++y) {
    const auto at = b.begin() + c.offBits + y * c.stride;
    EXPECT_EQ(Bytes(at, at + c.stride), c.row) << "file row " << y;
  }
}

INSTANTIATE_TEST_SUITE_P(
    ReferenceWriter, WrittenLayout,
    ::testing::Values(LayoutCase{"OneBitWidth9", 1, 9, 2, 62, 4, {0xFF, 0x80, 0, 0}},
                      LayoutCase{"FourBitWidth3", 4, 3, 2, 118, 4, {0xFF, 0xF0, 0, 0}},
                      LayoutCase{"EightBitWidth5", 8, 5, 1, 1078, 8, {255, 255, 255, 255, 255, 0, 0, 0}},
                      LayoutCase{"SixteenBitWidth3", 16, 3, 2, 66, 8, {255, 255, 255, 255, 255, 255, 0, 0}},
                      LayoutCase{"SixteenBitWidth2", 16, 2, 1, 66, 4, {255, 255, 255, 255}},
                      LayoutCase{"TwentyFourWidth1", 24, 1, 3, 54, 4, {255, 255, 255, 0}},
                      LayoutCase{"TwentyFourWidth2", 24, 2, 2, 54, 8, {255, 255, 255, 255, 255, 255, 0, 0}},
                      LayoutCase{
                          "ThirtyTwoWidth3", 32, 3, 2, 54, 12, {255, 255, 255, 0, 255, 255, 255, 0, 255, 255, 255, 0}}),
    [](const auto& info) { return info.param.name; });

TEST(ReferenceWriter, PalettedImageWritesItsOwnTableAndIndicesIntoIt) {
  BmpImage image;
  ASSERT_EQ(image.SetDepth(8), 1);
  ASSERT_EQ(image.SetSize(2, 1), 1);
  ASSERT_EQ(image.SetPaletteEntry(5, {1, 2, 3, 77}), 1);
  image.PixelAt(0, 0) = {1, 2, 3, 0};
  image.PixelAt(1, 0) = {2, 2, 3, 0};
  const Bytes b = WriteAndLoad(image);
  ASSERT_EQ(b.size(), 1082u);
  EXPECT_EQ(Bytes(b.begin() + 54 + 20, b.begin() + 54 + 24), (Bytes{1, 2, 3, 77}));
  EXPECT_EQ(Bytes(b.begin() + 1078, b.end()), (Bytes{5, 5, 0, 0}));
}

TEST(ReferenceWriter, DestinationInAMissingFolderGivesZeroAndCreatesNothing) {
  TempDir dir;
  BmpImage image;
  EXPECT_EQ(WriteBmpFile(image, dir.File("no/such.bmp").c_str()), 0);
  EXPECT_FALSE(FileExists(dir.File("no")));
  EXPECT_EQ(WriteBmpFile(image, nullptr), 0);
}

TEST(ReferenceWriter, FullDeviceGivesZero) {
  if (!FileExists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  // A small file fails only when the close flushes it; a large one in the rows.
  for (std::int32_t depth : {1, 8, 16, 24, 32}) {
    for (std::int32_t side : {1, 300}) {
      BmpImage image;
      ASSERT_EQ(image.SetDepth(depth), 1);
      ASSERT_EQ(image.SetSize(side, side), 1);
      EXPECT_EQ(WriteBmpFile(image, "/dev/full"), 0) << side << " x " << side << " at " << depth;
    }
  }
}

class RoundTrip : public ::testing::TestWithParam<std::int32_t> {};

TEST_P(RoundTrip, ReadingBackGivesTheSamePicture) {
  const std::int32_t depth = GetParam();
  BmpImage image;
  ASSERT_EQ(image.SetDepth(depth), 1);
  ASSERT_EQ(image.SetSize(7, 5), 1);   // odd width: spare bits and padding at every depth
  image.SetResolution({-1234, 4321});  // written and read as held
  Palette standard{};
  FillStandardTable(depth, standard);
  for (std::int32_t x = 0; x < 7; ++x) {
    for (std::int32_t y = 0; y < 5; ++y) {
      const auto b = static_cast<std::uint8_t>(x * 30 + y), g = static_cast<std::uint8_t>(y * 50 + x),
                 r = static_cast<std::uint8_t>(x * y * 9 + 3);
      PixelBGRA& p = image.PixelAt(x, y);
      if (IsPalettedDepth(depth)) {
        // Colours of the standard table survive the nearest-colour search.
        p = standard[(x * 7 + y * 3 + x * y) % (1 << depth)];
      } else if (depth == 16) {
        // Five bits a channel survive, green's sixth bit does not.
        p = {static_cast<std::uint8_t>(b & 0xF8), static_cast<std::uint8_t>(g & 0xF8),
             static_cast<std::uint8_t>(r & 0xF8), 0};
      } else {
        p = {b, g, r, static_cast<std::uint8_t>(depth == 32 ? x * 20 + y + 1 : 0)};
      }
    }
  }
  TempDir dir;
  const std::string path = dir.File("trip.bmp");
  ASSERT_EQ(WriteBmpFile(image, path.c_str()), 1);
  BmpImage back;
  ASSERT_EQ(ReadBmpFile(back, path.c_str()), 1);
  EXPECT_EQ(back.Depth(), depth);
  EXPECT_EQ(back.Width(), 7);
  EXPECT_EQ(back.Height(), 5);
  EXPECT_EQ(back.GetResolution().xPixelsPerMetre, -1234);
  EXPECT_EQ(back.GetResolution().yPixelsPerMetre, 4321);
  for (std::int32_t x = 0; x < 7; ++x)
    for (std::int32_t y = 0; y < 5; ++y) EXPECT_EQ(back.PixelAt(x, y), image.PixelAt(x, y)) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(ReferenceWriter, RoundTrip, ::testing::Values(1, 4, 8, 16, 24, 32));

}  // namespace
