// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <ostream>
#include <random>
#include <vector>

#include "bmpfile/bmp_headers.h"
#include "bmpfile/row_decoders.h"
#include "image/colour_tables.h"
#include "support/test_pixels.h"

using namespace bmpresize;

namespace {

using Bytes = std::vector<std::uint8_t>;
using Pixels = std::vector<PixelBGRA>;

constexpr PixelBGRA kSentinel{1, 2, 3, 4};

TEST(RowStride, PadsRowDataToAMultipleOfFour) {
  const std::int64_t kMaxWidth = std::numeric_limits<std::int32_t>::max();
  // {width, depth, row data size, row stride}
  const std::int64_t cases[][4] = {{1, 1, 1, 4},    {8, 1, 1, 4},    {33, 1, 5, 8},
                                   {3, 4, 2, 4},    {9, 4, 5, 8},    {5, 8, 5, 8},
                                   {2, 16, 4, 4},   {5, 16, 10, 12}, {1, 24, 3, 4},
                                   {5, 24, 15, 16}, {3, 32, 12, 12}, {kMaxWidth, 32, 4 * kMaxWidth, 4 * kMaxWidth}};
  for (const auto& c : cases) {
    EXPECT_EQ(RowDataSize(c[0], c[1]), static_cast<std::uint64_t>(c[2])) << c[0] << " at " << c[1];
    EXPECT_EQ(RowStride(c[0], c[1]), static_cast<std::uint64_t>(c[3])) << c[0] << " at " << c[1];
  }
}

struct DecodeCase {
  const char* name;
  int depth;
  Bytes bytes;      // one file row, padding included
  Pixels expected;  // the row's width is their count
};
std::ostream& operator<<(std::ostream& os, const DecodeCase& c) { return os << c.name; }

int Decode(int depth, const Bytes& bytes, std::int32_t count, PixelRow row) {
  Pixels palette;
  for (int i = 0; i < 256; ++i) palette.push_back(MarkedEntry(i));
  switch (depth) {
    case 32:
      return DecodeRow32(bytes.data(), count, row);
    case 24:
      return DecodeRow24(bytes.data(), count, row);
    case 8:
      return DecodeRow8(bytes.data(), count, palette.data(), row);
    case 4:
      return DecodeRow4(bytes.data(), count, palette.data(), row);
    case 2:
      return DecodeRow2(bytes.data(), count, palette.data(), row);
    default:
      return DecodeRow1(bytes.data(), count, palette.data(), row);
  }
}

class RowDecode : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(RowDecode, FillsTheRowOrRefusesTooFewBytesUntouched) {
  const DecodeCase& c = GetParam();
  const auto width = static_cast<std::int32_t>(c.expected.size());
  Pixels pixels(width + 1, kSentinel);  // one more: nothing past the row is written
  const PixelRow row{pixels.data(), 1, width};
  const auto fewest = static_cast<std::int32_t>(RowDataSize(width, c.depth));
  EXPECT_EQ(Decode(c.depth, c.bytes, fewest - 1, row), 0);
  EXPECT_EQ(pixels, Pixels(width + 1, kSentinel));
  ASSERT_EQ(Decode(c.depth, c.bytes, static_cast<std::int32_t>(c.bytes.size()), row), 1);
  for (std::int32_t x = 0; x < width; ++x) EXPECT_EQ(pixels[x], c.expected[x]) << "pixel " << x;
  EXPECT_EQ(pixels[width], kSentinel);
  EXPECT_EQ(Decode(c.depth, c.bytes, 0, {pixels.data(), 1, 0}), 1);  // an empty row needs no bytes
}

INSTANTIATE_TEST_SUITE_P(
    RowDecoders, RowDecode,
    ::testing::Values(
        DecodeCase{"OneBitWidth3", 1, {0xA0, 0xFF, 0xFF, 0xFF}, {MarkedEntry(1), MarkedEntry(0), MarkedEntry(1)}},
        DecodeCase{"OneBitWidth8",
                   1,
                   {0x5A},
                   {MarkedEntry(0), MarkedEntry(1), MarkedEntry(0), MarkedEntry(1), MarkedEntry(1), MarkedEntry(0),
                    MarkedEntry(1), MarkedEntry(0)}},
        DecodeCase{"OneBitSpareBitsSet",
                   1,
                   {0x80, 0x7F, 0, 0},
                   {MarkedEntry(1), MarkedEntry(0), MarkedEntry(0), MarkedEntry(0), MarkedEntry(0), MarkedEntry(0),
                    MarkedEntry(0), MarkedEntry(0), MarkedEntry(0)}},
        DecodeCase{"TwoBitWidth5SparePixelsIgnored",
                   2,
                   {0x1B, 0xBF, 0xFF, 0xFF},
                   {MarkedEntry(0), MarkedEntry(1), MarkedEntry(2), MarkedEntry(3), MarkedEntry(2)}},
        DecodeCase{"TwoBitWidth4", 2, {0xE4}, {MarkedEntry(3), MarkedEntry(2), MarkedEntry(1), MarkedEntry(0)}},
        DecodeCase{"FourBitWidth1LowNibbleIgnored", 4, {0x3C, 0xFF, 0xFF, 0xFF}, {MarkedEntry(3)}},
        DecodeCase{"FourBitOddWidth", 4, {0x12, 0x3F, 0, 0}, {MarkedEntry(1), MarkedEntry(2), MarkedEntry(3)}},
        DecodeCase{
            "FourBitEvenWidth", 4, {0xF0, 0x9A}, {MarkedEntry(15), MarkedEntry(0), MarkedEntry(9), MarkedEntry(10)}},
        DecodeCase{"EightBit", 8, {200, 0, 255, 0xEE}, {MarkedEntry(200), MarkedEntry(0), MarkedEntry(255)}},
        DecodeCase{"TwentyFourAlphaZero", 24, {10, 20, 30, 40, 50, 60, 0xEE, 0xEE}, {{10, 20, 30, 0}, {40, 50, 60, 0}}},
        DecodeCase{
            "ThirtyTwoAlphaFromFile", 32, {10, 20, 30, 40, 50, 60, 70, 80}, {{10, 20, 30, 40}, {50, 60, 70, 80}}}),
    [](const auto& info) { return info.param.name; });

// A plain row buffer takes a faster path than a column of the image; both must
// give the same pixels, for every width and with or without row padding (the
// fast path must not read past the row's bytes).
TEST(RowDecoders, TwentyFourBitRowsAreTheSameInAPlainBufferAndAStridedRow) {
  std::mt19937 rng(24);
  for (std::int32_t width = 1; width <= 40; ++width) {
    for (const std::int32_t count : {3 * width, static_cast<std::int32_t>(RowStride(width, 24))}) {
      std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
      for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
      Pixels plain(static_cast<std::size_t>(width), kWhite);
      Pixels strided(static_cast<std::size_t>(width) * 3, kWhite);
      ASSERT_EQ(DecodeRow24(bytes.data(), count, PixelRow{plain.data(), 1, width}), 1);
      ASSERT_EQ(DecodeRow24(bytes.data(), count, PixelRow{strided.data(), 3, width}), 1);
      for (std::int32_t x = 0; x < width; ++x) {
        ASSERT_EQ(plain[static_cast<std::size_t>(x)], strided[static_cast<std::size_t>(3 * x)]) << width << " " << x;
        ASSERT_EQ(plain[static_cast<std::size_t>(x)],
                  (PixelBGRA{bytes[3 * static_cast<std::size_t>(x)], bytes[3 * static_cast<std::size_t>(x) + 1],
                             bytes[3 * static_cast<std::size_t>(x) + 2], 0}));
      }
    }
  }
}

TEST(RowDecoders, MaskShiftBringsTheMaskDownToFiveBits) {
  const std::pair<std::uint16_t, unsigned> shifts[] = {{0x7C00, 10}, {0x03E0, 5}, {0x001F, 0}, {0xF800, 11},
                                                       {0x07E0, 6},  {0, 0},      {0x0020, 1}, {0xFFFF, 11}};
  for (const auto& [mask, shift] : shifts) EXPECT_EQ(MaskShift(mask), shift) << std::hex << mask;
}

}  // namespace
