// SPDX-License-Identifier: MIT
#include "reference/row_encoders_1_to_16.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <vector>

#include "bmpfile/bmp_headers.h"
#include "bmpfile/row_encoders.h"
#include "image/colour_tables.h"

using namespace bmpresize;

namespace {

using Bytes = std::vector<std::uint8_t>;
using Pixels = std::vector<PixelBGRA>;

constexpr PixelBGRA kBlack{0, 0, 0, 0};

// Encoders of every depth (the direct-colour ones among them, which the tests
// write their pictures with): each case encodes one row into a buffer of 0xEE
// bytes and lists the whole buffer afterwards, so bytes past the row data must
// stay 0xEE.
struct EncodeCase {
  const char* name;
  int depth;
  Pixels pixels;
  Bytes expected;
};
std::ostream& operator<<(std::ostream& os, const EncodeCase& c) { return os << c.name; }

int Encode(int depth, ConstPixelRow row, std::uint8_t* buffer, std::int32_t length) {
  Palette palette;
  palette.fill(kWhite);
  FillStandardTable(depth, palette);
  return EncodeRowAtDepth(depth, row, palette.data(), buffer, length);
}

class RowEncode : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(RowEncode, WritesTheRowDataAndNothingAfterIt) {
  const EncodeCase& c = GetParam();
  const auto length = static_cast<std::int32_t>(c.expected.size());
  const ConstPixelRow row{c.pixels.data(), 1, static_cast<std::int32_t>(c.pixels.size())};
  Bytes buffer(length, 0xEE);
  // One byte short of the row data: refused, buffer untouched.
  EXPECT_EQ(Encode(c.depth, row, buffer.data(), static_cast<std::int32_t>(RowDataSize(row.width, c.depth)) - 1), 0);
  EXPECT_EQ(buffer, Bytes(length, 0xEE));
  ASSERT_EQ(Encode(c.depth, row, buffer.data(), length), 1);
  EXPECT_EQ(buffer, c.expected);
}

constexpr PixelBGRA kNearBlack{90, 100, 110, 0}, kNearWhite{200, 180, 170, 0};
// Standard 4-bit entries 1, 2, 3: dark red, dark green, dark yellow.
constexpr PixelBGRA kDarkRed{0, 0, 128, 0}, kDarkGreen{0, 128, 0, 0}, kDarkYellow{0, 128, 128, 0};

INSTANTIATE_TEST_SUITE_P(
    RowEncoders, RowEncode,
    ::testing::Values(
        EncodeCase{"OneBitWidth3", 1, {kWhite, kBlack, kWhite}, {0xA0, 0xEE, 0xEE, 0xEE}},
        EncodeCase{"OneBitWidth9NearestColour",
                   1,
                   {kWhite, kNearBlack, kWhite, kWhite, kWhite, kWhite, kWhite, kNearWhite, kWhite},
                   {0xBF, 0x80, 0xEE, 0xEE}},
        EncodeCase{"FourBitOddWidth", 4, {kDarkRed, kDarkGreen, kDarkYellow}, {0x12, 0x30, 0xEE, 0xEE}},
        EncodeCase{"FourBitWhiteAndBlack", 4, {kWhite, kBlack, kWhite, kWhite, kWhite}, {0xF0, 0xFF, 0xF0, 0xEE}},
        EncodeCase{"EightBit",
                   8,
                   {kBlack, kWhite, kDarkRed, {0, 0, 255, 0}, {255, 0, 0, 0}},
                   {0, 255, 1, 249, 252, 0xEE, 0xEE, 0xEE}},
        EncodeCase{"SixteenBitFiveSixFive",
                   16,
                   {kWhite, {8, 4, 8, 0}, {7, 3, 7, 0}, {0, 252, 0, 9}, {248, 0, 248, 0}},
                   {0xFF, 0xFF, 0x21, 0x08, 0x00, 0x00, 0xE0, 0x07, 0x1F, 0xF8, 0xEE, 0xEE}},
        EncodeCase{"TwentyFourDropsAlpha", 24, {{1, 2, 3, 99}, {4, 5, 6, 99}}, {1, 2, 3, 4, 5, 6, 0xEE, 0xEE}},
        EncodeCase{"ThirtyTwoKeepsAlpha", 32, {{1, 2, 3, 99}, {4, 5, 6, 0}}, {1, 2, 3, 99, 4, 5, 6, 0}}),
    [](const auto& info) { return info.param.name; });

}  // namespace
