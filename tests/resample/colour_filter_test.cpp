// SPDX-License-Identifier: MIT
// Colour weighted by alpha and averaged as light (the 16-bit passes): the
// light table and its inverse against the formula, the streaming resize
// within 1 of the definition computed in double precision
// (reference/colour_resize_image.h) with the same bytes for every band
// split, and a black and white checkerboard halved as light.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "bmpresize.h"
#include "image/bmp_image.h"
#include "reference/colour_resize_image.h"
#include "reference/image_row_source.h"
#include "resample/chosen_filter.h"
#include "resample/filter_kernel.h"
#include "resample/light.h"
#include "resample/wide_resampler.h"
#include "resample/wide_taps.h"
#include "support/collecting_row_sink.h"

using namespace bmpresize;

namespace {

constexpr int kFilters[] = {BMPRESIZE_FILTER_AREA,     BMPRESIZE_FILTER_LINEAR,   BMPRESIZE_FILTER_CUBIC,
                            BMPRESIZE_FILTER_MITCHELL, BMPRESIZE_FILTER_LANCZOS2, BMPRESIZE_FILTER_LANCZOS3};

TEST(Light, TableAndInverseAreTheFormulas) {
  int reference[256];  // the formula once a byte: pow is slow under emulated floating point
  for (int v = 0; v < 256; ++v) {
    reference[v] = ReferenceLight(v);
    EXPECT_EQ(kLightOfByte[v], reference[v]) << v;
  }
  for (int x = 0; x < 65536; ++x) {
    int best = 0;  // the nearest, the smaller on a tie
    for (int v = 1; v < 256; ++v)
      if (std::abs(reference[v] - x) < std::abs(reference[best] - x)) best = v;
    ASSERT_EQ(ByteOfLight(static_cast<std::uint16_t>(x)), best) << x;
  }
}

// A sum made a value by a shift, a reciprocal or a division, as the divisor
// allows, is floor((2 x sum + d) / 2d) clipped to 65535, up to the largest
// sums, on either side of where the reciprocal stops being exact.
TEST(WideTaps, RoundEverySumAsTheDivisionDoes) {
  const struct {
    std::int32_t sourceSize, size;
    const FilterKernel* kernel;
  } axes[] = {{7, 7, nullptr},     {64, 5, nullptr},    {40, 7, nullptr},      {23169, 3, nullptr},
              {23170, 3, nullptr}, {40000, 3, nullptr}, {1 << 20, 1, nullptr}, {31, 7, FilterKernelFor(6)}};
  std::mt19937_64 rng(35);
  for (const auto& axis : axes) {
    const WideTaps taps(axis.sourceSize, axis.size, axis.kernel);
    ASSERT_TRUE(taps.Ready());
    const std::int64_t d = taps.Divisor();
    const std::int64_t largest = 65536 * d;
    for (int i = 0; i < 20000; ++i) {
      std::int64_t sum = i < 100 ? largest - i : i < 200 ? i - 100 : static_cast<std::int64_t>(rng() % largest);
      if (i % 7 == 0) sum = sum / d * d + d / 2 - (i % 2);  // halves and just below them
      const std::int64_t want = std::min<std::int64_t>((2 * sum + d) / (2 * d), 65535);
      ASSERT_EQ(taps.Rounded(sum), want) << "d " << d << ", sum " << sum;
    }
  }
}

// The instruction-set loops making rows 16-bit and passes across and down
// give the scalar values, with
// extreme values and odd and even counts of taps, for every filter,
// shrinking and enlarging; down with rows of 1 to 67 pixels, so that some
// end between the sixteen or eight values taken at a time.
TEST(WideTaps, EveryPassGivesTheScalarValues) {
  const WideLoops kLoops[] = {WideLoops::kSse2, WideLoops::kWidest};
  std::mt19937 rng(36);
  const std::int32_t sizes[][3] = {{40, 7, 1},     {7, 40, 67}, {301, 3, 2},     {5, 5, 3},
                                   {1000, 999, 1}, {3, 1, 64},  {8000, 2000, 3}, {2001, 499, 2}};
  const auto randomValues = [&rng](std::size_t n) {
    std::vector<std::uint16_t> values(n);
    for (std::uint16_t& v : values) v = rng() % 3 == 0 ? 65535 : rng() % 2 == 0 ? 0 : static_cast<std::uint16_t>(rng());
    return values;
  };
  // Rows size[0] pixels wide made 16-bit in every mode.
  for (const auto& size : sizes) {
    std::vector<PixelBGRA> pixels(static_cast<std::size_t>(size[0]));
    for (PixelBGRA& p : pixels) p = {static_cast<std::uint8_t>(rng()), 255, 0, static_cast<std::uint8_t>(rng())};
    std::vector<std::uint16_t> scalar(4 * pixels.size()), simd(scalar.size());
    for (const ColourMode mode : {ColourMode{true, false}, ColourMode{false, true}, ColourMode{true, true}}) {
      WidenRow(pixels.data(), size[0], mode, WideLoops::kScalar, scalar.data());
      for (const WideLoops loops : kLoops) {
        WidenRow(pixels.data(), size[0], mode, loops, simd.data());
        ASSERT_EQ(simd, scalar) << size[0] << " pixels, " << mode.premultiplied << mode.linear;
      }
    }
  }
  for (const int filter : kFilters) {
    for (const auto& size : sizes) {
      const WideTaps taps(size[0], size[1], FilterKernelFor(filter));
      ASSERT_TRUE(taps.Ready());
      const std::vector<std::uint16_t> row = randomValues(4 * static_cast<std::size_t>(size[0]));
      std::vector<std::uint16_t> scalar(4 * static_cast<std::size_t>(size[1])), simd(scalar.size());
      FilterValuesAcross(row.data(), taps, size[1], WideLoops::kScalar, scalar.data());
      for (const WideLoops loops : kLoops) {
        FilterValuesAcross(row.data(), taps, size[1], loops, simd.data());
        ASSERT_EQ(simd, scalar) << "filter " << filter << ", " << size[0] << " to " << size[1];
      }
      // The same taps down a picture size[0] rows high and size[2] wide.
      const std::size_t values = 4 * static_cast<std::size_t>(size[2]);
      const std::vector<std::uint16_t> picture = randomValues(values * static_cast<std::size_t>(size[0]));
      std::vector<const std::uint16_t*> rows(static_cast<std::size_t>(taps.Stride()));
      std::vector<std::uint16_t> scalarDown(values), simdDown(values);
      for (std::int32_t y = 0; y < size[1]; ++y) {
        for (std::int32_t t = 0; t < taps.Count(y); ++t)
          rows[static_cast<std::size_t>(t)] = picture.data() + static_cast<std::size_t>(taps.First(y) + t) * values;
        FilterValuesDown(rows.data(), taps, y, values, WideLoops::kScalar, scalarDown.data());
        for (const WideLoops loops : kLoops) {
          FilterValuesDown(rows.data(), taps, y, values, loops, simdDown.data());
          ASSERT_EQ(simdDown, scalarDown)
              << "filter " << filter << ", " << size[0] << " to " << size[1] << ", row " << y;
        }
      }
    }
  }
}

// Soft edges: alpha of every level, with colours that transparent pixels
// would lend if they were not weighted; or alpha all 0, or all 255.
void Fill(BmpImage& image, std::int32_t width, std::int32_t height, int alphaKind, std::mt19937& rng) {
  ASSERT_EQ(image.SetSize(width, height), 1);
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x) {
      const std::uint32_t r = rng();
      const auto alpha = static_cast<std::uint8_t>(alphaKind == 0   ? 0
                                                   : alphaKind == 1 ? 255
                                                   : r % 3 == 0     ? 0
                                                                    : r >> 24);
      image.PixelAt(x, y) = {static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(r >> 8),
                             static_cast<std::uint8_t>(r % 5 == 0 ? 255 : r >> 16), alpha};
    }
  }
}

std::vector<std::vector<std::uint8_t>> Band(const BmpImage& source, const ChosenFilter& filter,
                                            const ResampleSize& size, std::int32_t first, std::int32_t end) {
  const std::unique_ptr<Resampler> resampler = filter.MakeResampler();
  EXPECT_NE(resampler, nullptr);
  ImageRowSource rows(source);
  CollectingSink sink(static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.channels));
  EXPECT_TRUE(resampler->Run(rows, sink, first, end));
  return sink.rows;
}

// Every channel within 1 of the reference; a colour only where alpha is at
// least 8, below which a ratio of small sums says little of it.
void ExpectNearReference(const BmpImage& source, const ResampleSize& size, int filter, ColourMode mode,
                         const std::vector<std::vector<std::uint8_t>>& rows) {
  BmpImage expected;
  ASSERT_EQ(expected.SetSize(size.width, size.height), 1);
  ASSERT_TRUE(ColourResizeImage(source, expected, filter, mode.premultiplied, mode.linear));
  for (std::int32_t y = 0; y < size.height; ++y) {
    const std::vector<std::uint8_t>& row = rows[static_cast<std::size_t>(size.height - 1 - y)];
    for (std::int32_t x = 0; x < size.width; ++x) {
      const PixelBGRA p = expected.PixelAt(x, y);
      const int want[4] = {p.blue, p.green, p.red, p.alpha};
      const bool seen = !mode.premultiplied || p.alpha >= 8;
      for (int c = 0; c < size.channels; ++c) {
        if (c < 3 && !seen) continue;
        const int got = row[static_cast<std::size_t>(x) * size.channels + c];
        ASSERT_LE(std::abs(got - want[c]), 1)
            << "at " << x << "," << y << " channel " << c << ": " << got << " not " << want[c];
      }
    }
  }
}

TEST(WideResampler, StaysWithinOneOfTheDefinitionInEveryBand) {
  struct Case {
    std::int32_t sourceWidth, sourceHeight, width, height;
  };
  const Case cases[] = {{40, 30, 10, 7}, {5, 4, 23, 17},  {30, 5, 7, 19}, {17, 13, 1, 1},
                        {300, 20, 3, 2}, {12, 20, 12, 7}, {25, 9, 8, 9},  {31, 29, 30, 28}};
  const ColourMode modes[] = {{true, false}, {false, true}, {true, true}};
  std::mt19937 rng(34);
  int run = 0;
  for (const Case& c : cases) {
    for (const ColourMode mode : modes) {
      BmpImage source;
      Fill(source, c.sourceWidth, c.sourceHeight, mode.premultiplied ? run % 4 : 1, rng);
      for (const int filter : kFilters) {
        const ResampleSize size{c.sourceWidth, c.sourceHeight, c.width, c.height, 3 + (++run & 1)};
        SCOPED_TRACE("filter " + std::to_string(filter) + ", premultiplied " + std::to_string(mode.premultiplied) +
                     ", linear " + std::to_string(mode.linear) + ", " + std::to_string(c.sourceWidth) + "x" +
                     std::to_string(c.sourceHeight) + " to " + std::to_string(c.width) + "x" +
                     std::to_string(c.height));
        const ChosenFilter chosen(size, filter, mode);
        ASSERT_TRUE(chosen.Ready());
        const auto whole = Band(source, chosen, size, 0, c.height);
        ExpectNearReference(source, size, filter, mode, whole);
        std::vector<std::vector<std::uint8_t>> joined;
        for (std::int32_t b = 2; b >= 0; --b) {
          const auto part = Band(source, chosen, size, c.height * b / 3, c.height * (b + 1) / 3);
          joined.insert(joined.end(), part.begin(), part.end());
        }
        ASSERT_EQ(joined, whole) << "3 bands";
      }
    }
  }
}

// Half the light of white is 187 or 188, everywhere for the area filter and
// away from the edges (whose taps are cut) for the others.
TEST(WideResampler, HalvesACheckerboardAsLight) {
  BmpImage board;
  ASSERT_EQ(board.SetSize(64, 48), 1);
  for (std::int32_t y = 0; y < 48; ++y)
    for (std::int32_t x = 0; x < 64; ++x) {
      const std::uint8_t v = (x + y) % 2 == 0 ? 0 : 255;
      board.PixelAt(x, y) = {v, v, v, 255};
    }
  const ResampleSize size{64, 48, 32, 24, 3};
  for (const int filter : kFilters) {
    const ChosenFilter chosen(size, filter, ColourMode{false, true});
    const auto rows = Band(board, chosen, size, 0, 24);
    const std::int32_t edge = filter == BMPRESIZE_FILTER_AREA ? 0 : 3;
    for (std::int32_t y = edge; y < 24 - edge; ++y)
      for (std::size_t k = 3 * static_cast<std::size_t>(edge); k < 3 * static_cast<std::size_t>(32 - edge); ++k) {
        const int v = rows[static_cast<std::size_t>(y)][k];
        ASSERT_TRUE(v == 187 || v == 188) << "filter " << filter << " row " << y << " byte " << k << ": " << v;
      }
  }
}

}  // namespace
