// SPDX-License-Identifier: MIT
#include "reference/read_bmp_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "image/colour_tables.h"
#include "support/bmp_bytes.h"
#include "support/temp_dir.h"
#include "support/test_pixels.h"

using namespace bmpresize;

namespace {

constexpr PixelBGRA kMark{1, 2, 3, 4};
constexpr std::int32_t kXRes = 1234, kYRes = -5678;

// An image with a state of its own, to see what a read replaces and what it keeps.
void MakeDirty(BmpImage& image) {
  ASSERT_EQ(image.SetDepth(8), 1);
  ASSERT_EQ(image.SetSize(3, 2), 1);
  image.PixelAt(2, 1) = kMark;
  ASSERT_EQ(image.SetPaletteEntry(0, kMark), 1);
  image.SetResolution({77, 88});
}

int ReadBytes(const BmpBytes& bytes, BmpImage& image) {
  TempDir dir;
  const std::string path = dir.File("in.bmp");
  WriteFileBytes(path, bytes.data());
  return ReadBmpFile(image, path.c_str());
}

void ExpectReset(const BmpImage& image, std::int32_t xRes, std::int32_t yRes) {
  EXPECT_EQ(image.Width(), 1);
  EXPECT_EQ(image.Height(), 1);
  EXPECT_EQ(image.Depth(), 1);
  EXPECT_EQ(image.PixelAt(0, 0), kWhite);
  EXPECT_EQ(image.GetPaletteEntry(0), (PixelBGRA{0, 0, 0, 0}));
  EXPECT_EQ(image.GetPaletteEntry(1), kWhite);
  EXPECT_EQ(image.GetResolution().xPixelsPerMetre, xRes);
  EXPECT_EQ(image.GetResolution().yPixelsPerMetre, yRes);
}

struct DirectCase {
  const char* name;
  std::uint16_t depth;
  std::uint32_t offBits;
  std::size_t gap;  // bytes of 0xEE before the pixel data
};
std::ostream& operator<<(std::ostream& os, const DirectCase& c) { return os << c.name; }

class DirectColourRead : public ::testing::TestWithParam<DirectCase> {};

TEST_P(DirectColourRead, RowsRunBottomUpAndPaddingIsSkipped) {
  const DirectCase& c = GetParam();
  const int bytesPerPixel = c.depth / 8;
  BmpBytes file;
  file.Headers(2, 2, c.depth, c.offBits, 0, kXRes, kYRes).Bytes(std::vector<std::uint8_t>(c.gap, 0xEE));
  // File pixel k is {10k+1, 10k+2, 10k+3, 10k+4}: k = 0, 1 the bottom row, 2, 3 the top.
  for (int row = 0; row < 2; ++row) {
    for (int k = 2 * row; k < 2 * row + 2; ++k)
      for (int i = 1; i <= bytesPerPixel; ++i) file.U8(10 * k + i);
    file.Bytes(std::vector<std::uint8_t>((4 - 2 * bytesPerPixel % 4) % 4, 0xEE));
  }
  BmpImage image;
  MakeDirty(image);
  ASSERT_EQ(ReadBytes(file, image), 1);
  EXPECT_EQ(image.Depth(), c.depth);
  EXPECT_EQ(image.Width(), 2);
  EXPECT_EQ(image.Height(), 2);
  EXPECT_FALSE(image.HasPalette());
  EXPECT_EQ(image.GetResolution().xPixelsPerMetre, kXRes);
  EXPECT_EQ(image.GetResolution().yPixelsPerMetre, kYRes);
  const int at[4][2] = {{0, 1}, {1, 1}, {0, 0}, {1, 0}};
  for (int k = 0; k < 4; ++k) {
    const auto v = static_cast<std::uint8_t>(10 * k);
    const PixelBGRA expected{static_cast<std::uint8_t>(v + 1), static_cast<std::uint8_t>(v + 2),
                             static_cast<std::uint8_t>(v + 3), static_cast<std::uint8_t>(c.depth == 32 ? v + 4 : 0)};
    EXPECT_EQ(image.PixelAt(at[k][0], at[k][1]), expected) << "file pixel " << k;
  }
}

INSTANTIATE_TEST_SUITE_P(ReferenceReader, DirectColourRead,
                         ::testing::Values(DirectCase{"TwentyFour", 24, 54, 0}, DirectCase{"ThirtyTwo", 32, 54, 0},
                                           DirectCase{"GapLongerThanAChunk", 24, 54 + 9000, 9000},
                                           DirectCase{"OffsetBelowHeaders", 24, 20, 0},
                                           DirectCase{"OffsetWithTopBitSet", 32, 0x80000000u, 0}),
                         [](const auto& info) { return info.param.name; });

struct PaletteCase {
  const char* name;
  std::uint16_t depth;
  std::uint32_t offBits;
  int fileEntries;   // MarkedEntry(0 ...) written after the headers
  std::size_t gap;   // bytes of 0xEE after them
  bool pixelData;    // false: the file ends two bytes into the next entry
  int fromFile;      // entries below this come from the file,
  int standardUpTo;  // those below this keep the standard colour, the rest are white
};
std::ostream& operator<<(std::ostream& os, const PaletteCase& c) { return os << c.name; }

class PaletteRead : public ::testing::TestWithParam<PaletteCase> {};

TEST_P(PaletteRead, EntryCountComesFromThePixelDataOffset) {
  const PaletteCase& c = GetParam();
  BmpBytes file;
  file.Headers(3, 1, c.depth, c.offBits, 0, kXRes, kYRes);
  for (int i = 0; i < c.fileEntries; ++i) file.PaletteEntry(MarkedEntry(i));
  file.Bytes(std::vector<std::uint8_t>(c.gap, 0xEE));
  // One row of indices 0, 1 and the last entry.
  if (c.pixelData && c.depth == 1) file.Bytes({0x60, 0, 0, 0});
  if (c.pixelData && c.depth == 4) file.Bytes({0x01, 0xF0, 0, 0});
  if (c.pixelData && c.depth == 8) file.Bytes({0, 1, 255, 0});
  if (!c.pixelData) file.Bytes({9, 9});

  BmpImage image;
  MakeDirty(image);
  ASSERT_EQ(ReadBytes(file, image), 1);
  ASSERT_EQ(image.Depth(), c.depth);
  const int entries = 1 << c.depth;
  Palette standard{};
  FillStandardTable(c.depth, standard);
  for (int i = 0; i < entries; ++i) {
    const PixelBGRA expected = i < c.fromFile ? MarkedEntry(i) : i < c.standardUpTo ? standard[i] : kWhite;
    EXPECT_EQ(image.GetPaletteEntry(i), expected) << "entry " << i;
  }
  const int indices[3] = {0, 1, entries - 1};
  for (int x = 0; x < 3; ++x) {
    // The entry's fourth byte reaches the pixel as its alpha.
    EXPECT_EQ(image.PixelAt(x, 0), c.pixelData ? image.GetPaletteEntry(indices[x]) : kWhite) << "pixel " << x;
  }
}

INSTANTIATE_TEST_SUITE_P(
    ReferenceReader, PaletteRead,
    ::testing::Values(PaletteCase{"OneBitFullTable", 1, 62, 2, 0, true, 2, 2},
                      PaletteCase{"EightBitSixteenEntries", 8, 118, 16, 0, true, 16, 16},
                      PaletteCase{"FourBitSurplusEntriesSkipped", 4, 54 + 4 * 20, 20, 0, true, 16, 16},
                      PaletteCase{"EightBitGapAfterTable", 8, 54 + 1024 + 10, 256, 10, true, 256, 256},
                      PaletteCase{"FourBitNoTable", 4, 54, 0, 0, true, 0, 0},
                      PaletteCase{"EightBitOffsetBelowHeaders", 8, 10, 0, 0, true, 0, 0},
                      PaletteCase{"EightBitOffsetWithTopBitSet", 8, 0xFFFFFFF0u, 0, 0, true, 0, 0},
                      // Pixel data follows the last whole entry, not bfOffBits.
                      PaletteCase{"OneBitOffsetInsideSecondEntry", 1, 61, 1, 0, true, 1, 1},
                      PaletteCase{"EightBitFileEndsInTable", 8, 1078, 3, 0, false, 3, 256}),
    [](const auto& info) { return info.param.name; });

// A 3 x 2 16-bit file; values and pixels in file order, bottom row first.
struct SixteenCase {
  const char* name;
  std::uint32_t compression;
  std::vector<std::uint32_t> masks;  // written after the headers
  std::uint32_t offBits;
  std::size_t gap;
  std::vector<std::uint16_t> values;
  std::vector<PixelBGRA> pixels;
};
std::ostream& operator<<(std::ostream& os, const SixteenCase& c) { return os << c.name; }

BmpBytes SixteenBitFile(const SixteenCase& c) {
  BmpBytes file;
  file.Headers(3, 2, 16, c.offBits, c.compression, kXRes, kYRes);
  for (std::uint32_t m : c.masks) file.U32(m);
  file.Bytes(std::vector<std::uint8_t>(c.gap, 0xEE));
  for (std::size_t i = 0; i < c.values.size(); ++i) {
    file.U16(c.values[i]);
    if (i % 3 == 2) file.U8(0xEE).U8(0xEE);  // odd width: two padding bytes
  }
  return file;
}

void ExpectSixteenBitPixels(const BmpImage& image, const std::vector<PixelBGRA>& pixels) {
  for (std::size_t i = 0; i < 6; ++i) {
    const auto x = static_cast<std::int32_t>(i % 3), y = static_cast<std::int32_t>(1 - i / 3);
    EXPECT_EQ(image.PixelAt(x, y), pixels[i]) << "file pixel " << i;
  }
}

class SixteenBitRead : public ::testing::TestWithParam<SixteenCase> {};

TEST_P(SixteenBitRead, MasksSelectTheChannels) {
  BmpImage image;
  MakeDirty(image);
  ASSERT_EQ(ReadBytes(SixteenBitFile(GetParam()), image), 1);
  EXPECT_EQ(image.Depth(), 16);
  EXPECT_FALSE(image.HasPalette());
  ExpectSixteenBitPixels(image, GetParam().pixels);
}

const std::vector<std::uint16_t> k555Values = {0x7FFF, 0x8000, 0x001F, 0x03E0, 0x7C00, 0x0421};
const std::vector<PixelBGRA> k555Pixels = {Grey(248), Grey(0), {248, 0, 0, 0}, {0, 248, 0, 0}, {0, 0, 248, 0}, Grey(8)};
const std::vector<std::uint16_t> k565Values = {0xFFFF, 0x0020, 0x0840, 0xF800, 0x07E0, 0x001F};
const std::vector<PixelBGRA> k565Pixels = {Grey(248),      Grey(0),        {0, 8, 8, 0},
                                           {0, 0, 248, 0}, {0, 248, 0, 0}, {248, 0, 0, 0}};

INSTANTIATE_TEST_SUITE_P(
    ReferenceReader, SixteenBitRead,
    ::testing::Values(
        SixteenCase{"RgbDefaultMasks", 0, {}, 54, 0, k555Values, k555Pixels},
        SixteenCase{"RgbOffsetBelowHeaders", 0, {}, 0, 0, k555Values, k555Pixels},
        SixteenCase{
            "BitfieldsHighHalvesIgnored", 3, {0xABCDF800, 0x123407E0, 0xFFFF001F}, 66, 0, k565Values, k565Pixels},
        SixteenCase{"BitfieldsOffsetBelowHeaders", 3, {0xF800, 0x07E0, 0x001F}, 0, 0, k565Values, k565Pixels},
        SixteenCase{"BitfieldsGapAfterMasks",
                    3,
                    {0xFF00, 0x00FF, 0},
                    66 + 6,
                    6,
                    {0xFFFF, 0x0807, 0x00F8, 0xF800, 0x1234, 0},
                    {{0, 248, 248, 0}, {0, 0, 8, 0}, {0, 248, 0, 0}, {0, 0, 248, 0}, {0, 48, 16, 0}, Grey(0)}}),
    [](const auto& info) { return info.param.name; });

TEST(ReferenceReader, SixteenBitPixelsPastTheEndRepeatTheLastValueRead) {
  // File pixel i has value (i + 1) x 0x0421, grey 8(i + 1). {bytes kept, whole pixels among them}:
  const std::pair<std::size_t, std::size_t> cuts[] = {{0, 0}, {1, 0},  {2, 1},  {5, 2},  {6, 3}, {7, 3},
                                                      {8, 3}, {10, 4}, {11, 4}, {13, 5}, {14, 6}};
  SixteenCase full{"", 0, {}, 54, 0, {}, {}};
  for (int i = 0; i < 6; ++i) full.values.push_back(static_cast<std::uint16_t>((i + 1) * 0x0421));
  const std::vector<std::uint8_t> bytes = SixteenBitFile(full).data();
  for (const auto& [kept, whole] : cuts) {
    BmpBytes file;
    file.Bytes({bytes.begin(), bytes.begin() + 54 + static_cast<std::ptrdiff_t>(kept)});
    BmpImage image;
    ASSERT_EQ(ReadBytes(file, image), 1) << kept << " bytes";
    std::vector<PixelBGRA> expected;
    for (std::size_t i = 0; i < 6; ++i) {
      const int last = static_cast<int>(i < whole ? i + 1 : whole);  // the pixel whose value stands here
      expected.push_back(last > 0 ? Grey(8 * last) : kWhite);
    }
    SCOPED_TRACE(std::to_string(kept) + " bytes of pixel data");
    ExpectSixteenBitPixels(image, expected);
  }
}

TEST(ReferenceReader, RowsMissingFromAShortFileStayWhite) {
  // 3 x 4 at 8 bits: rows of 4 bytes, bottom row (y = 3) first; {bytes kept, rows read}.
  BmpBytes full;
  full.Headers(3, 4, 8, 1078, 0, kXRes, kYRes);
  for (int i = 0; i < 256; ++i) full.PaletteEntry(MarkedEntry(i));
  for (int row = 0; row < 4; ++row)
    full.Bytes({std::uint8_t(3 * row + 1), std::uint8_t(3 * row + 2), std::uint8_t(3 * row + 3), 0});
  const std::pair<std::size_t, int> cuts[] = {{0, 0}, {3, 0}, {10, 2}, {15, 3}, {16, 4}};
  for (const auto& [kept, rows] : cuts) {
    BmpBytes file;
    file.Bytes({full.data().begin(), full.data().begin() + 1078 + static_cast<std::ptrdiff_t>(kept)});
    BmpImage image;
    ASSERT_EQ(ReadBytes(file, image), 1) << kept << " bytes";
    for (int row = 0; row < 4; ++row)
      for (int x = 0; x < 3; ++x)
        EXPECT_EQ(image.PixelAt(x, 3 - row), row < rows ? MarkedEntry(3 * row + x + 1) : kWhite)
            << kept << " bytes, file row " << row << ", x " << x;
  }
}

TEST(ReferenceReader, FileEndingInsideTheHeadersIsRefused) {
  BmpBytes full;
  full.Headers(1, 1, 24, 54, 0, kXRes, kYRes).U32(0x00112233);
  for (std::size_t kept : {0, 1, 2, 13, 14, 30, 50, 53}) {
    BmpBytes file;
    file.Bytes({full.data().begin(), full.data().begin() + static_cast<std::ptrdiff_t>(kept)});
    BmpImage image;
    MakeDirty(image);
    EXPECT_EQ(ReadBytes(file, image), 0) << kept << " bytes";
    SCOPED_TRACE(std::to_string(kept) + " bytes");
    ExpectReset(image, 77, 88);  // the resolution is taken only from whole headers
  }
}

struct RefusedCase {
  const char* name;
  std::int32_t width, height;
  std::uint16_t bitCount;
  std::uint32_t compression;
};
std::ostream& operator<<(std::ostream& os, const RefusedCase& c) { return os << c.name; }

class RefusedHeader : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedHeader, ResetsTheImageButKeepsTheFilesResolution) {
  const RefusedCase& c = GetParam();
  BmpBytes file;
  file.Headers(c.width, c.height, c.bitCount, 54, c.compression, kXRes, kYRes).Zeros(64);
  BmpImage image;
  MakeDirty(image);
  EXPECT_EQ(ReadBytes(file, image), 0);
  ExpectReset(image, kXRes, kYRes);
}

constexpr std::int32_t kMaxInt = 0x7FFFFFFF;
constexpr std::int32_t kMinInt = -kMaxInt - 1;
INSTANTIATE_TEST_SUITE_P(
    ReferenceReader, RefusedHeader,
    ::testing::Values(RefusedCase{"RunLength8At4Bits", 4, 4, 4, 1}, RefusedCase{"RunLength4At8Bits", 4, 4, 8, 2},
                      RefusedCase{"RunLength8TopDownAt4Bits", 4, -4, 4, 1},
                      RefusedCase{"TwoBitsRunLength4", 4, 4, 2, 2}, RefusedCase{"BitfieldsAt24", 4, 4, 24, 3},
                      RefusedCase{"AlphaBitfieldsAt8", 4, 4, 8, 6}, RefusedCase{"Compression4", 4, 4, 24, 4},
                      RefusedCase{"Compression5", 4, 4, 24, 5}, RefusedCase{"CmykCompression", 4, 4, 8, 11},
                      RefusedCase{"CompressionHighBits", 4, 4, 16, 0x10003},
                      RefusedCase{"TwoBitsBitfields", 4, 4, 2, 3}, RefusedCase{"BitCount0", 4, 4, 0, 0},
                      RefusedCase{"BitCount64", 4, 4, 64, 0}, RefusedCase{"BitCountHighByte", 4, 4, 0x118, 0},
                      RefusedCase{"Width0", 0, 4, 24, 0}, RefusedCase{"WidthNegative", -127, 4, 1, 0},
                      RefusedCase{"Height0", 4, 0, 24, 0}, RefusedCase{"HeightMinusTwoToThe31", 4, kMinInt, 24, 0},
                      RefusedCase{"OverPixelLimit", 16384, 8193, 24, 0}, RefusedCase{"WidestRow", kMaxInt, 1, 32, 0},
                      RefusedCase{"TallestPicture", 1, kMaxInt, 1, 0},
                      RefusedCase{"ThreeMillionByTwoMillion", 3000000, 2000000, 24, 0}),
    [](const auto& info) { return info.param.name; });

TEST(ReferenceReader, FileWithoutTheSignatureLeavesTheImageUntouched) {
  for (const char* start : {"BA", "MB"}) {
    BmpBytes file;
    file.U8(start[0]).U8(start[1]).Zeros(60);
    BmpImage image;
    MakeDirty(image);
    EXPECT_EQ(ReadBytes(file, image), 0);
    EXPECT_EQ(std::make_tuple(image.Depth(), image.Width(), image.Height()), std::make_tuple(8, 3, 2)) << start;
    EXPECT_EQ(image.PixelAt(2, 1), kMark);
    EXPECT_EQ(image.GetPaletteEntry(0), kMark);
    EXPECT_EQ(image.GetResolution().xPixelsPerMetre, 77);
  }
}

TEST(ReferenceReader, FileThatCannotBeReadGivesADepthOneWhitePixel) {
  TempDir dir;
  const std::string missing = dir.File("missing.bmp");
  // A folder opens on some systems, but nothing can be read from it.
  for (const char* path : {missing.c_str(), static_cast<const char*>(nullptr), dir.path().c_str()}) {
    BmpImage image;
    MakeDirty(image);
    EXPECT_EQ(ReadBmpFile(image, path), 0);
    ExpectReset(image, 77, 88);
  }
}

}  // namespace
