// SPDX-License-Identifier: MIT
// The convolution filters: the streaming resize stays within 1 of the
// definition computed in double precision (reference/filter_resize_image.h)
// on every channel, gives the same bytes for every band split, and its
// integer weights keep their bounds at the longest sides.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bmpresize.h"
#include "image/bmp_image.h"
#include "reference/filter_resize_image.h"
#include "reference/image_row_source.h"
#include "resample/filter_kernel.h"
#include "resample/filter_resampler.h"
#include "resample/filter_taps.h"
#include "resample/row_blend.h"
#include "support/collecting_row_sink.h"

using namespace bmpresize;

namespace {

constexpr int kFilters[] = {BMPRESIZE_FILTER_LINEAR, BMPRESIZE_FILTER_CUBIC, BMPRESIZE_FILTER_MITCHELL,
                            BMPRESIZE_FILTER_LANCZOS2, BMPRESIZE_FILTER_LANCZOS3};

std::vector<const FilterPasses*> Passes() {
  const FilterPasses* all[8];
  return {all, all + AvailableFilterPasses(all, 8)};
}

std::uint8_t EdgyByte(std::mt19937& rng) {
  const std::uint32_t r = rng();
  return r % 4 == 0 ? 0 : r % 4 == 1 ? 255 : static_cast<std::uint8_t>(r >> 8);
}

void FillRandomly(BmpImage& image, std::int32_t width, std::int32_t height, std::mt19937& rng) {
  ASSERT_EQ(image.SetSize(width, height), 1);
  for (std::int32_t y = 0; y < height; ++y)
    for (std::int32_t x = 0; x < width; ++x)
      image.PixelAt(x, y) = {EdgyByte(rng), EdgyByte(rng), EdgyByte(rng), EdgyByte(rng)};
}

// The taps of a resize, as a ChosenFilter holds them.
struct BothTaps {
  BothTaps(const ResampleSize& size, const FilterKernel& kernel) {
    if (size.sourceWidth != size.width) across.reset(new FilterTaps(size.sourceWidth, size.width, kernel));
    if (size.sourceHeight != size.height) down.reset(new FilterTaps(size.sourceHeight, size.height, kernel));
  }
  std::unique_ptr<FilterTaps> across, down;
};

// Destination rows first to end - 1, from the bottom up.
std::vector<std::vector<std::uint8_t>> Band(const BmpImage& source, const ResampleSize& size, const BothTaps& taps,
                                            const FilterPasses& passes, std::int32_t first, std::int32_t end) {
  FilterResampler resampler(size, taps.across.get(), taps.down.get(), passes);
  EXPECT_TRUE(resampler.Ready());
  ImageRowSource rows(source);
  CollectingSink sink(static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.channels));
  EXPECT_TRUE(resampler.Run(rows, sink, first, end));
  return sink.rows;
}

// Every channel within 1 of the reference; answers the share exactly equal.
double ExpectNearReference(const BmpImage& source, const ResampleSize& size, int filter,
                           const std::vector<std::vector<std::uint8_t>>& rows) {
  BmpImage expected;
  EXPECT_EQ(expected.SetSize(size.width, size.height), 1);
  EXPECT_EQ(FilterResizeImage(source, expected, filter), 1);
  EXPECT_EQ(rows.size(), static_cast<std::size_t>(size.height));
  std::int64_t equal = 0, all = 0;
  for (std::int32_t y = 0; y < size.height && !::testing::Test::HasFailure(); ++y) {
    const std::vector<std::uint8_t>& row = rows[static_cast<std::size_t>(size.height - 1 - y)];
    for (std::int32_t x = 0; x < size.width; ++x) {
      const PixelBGRA p = expected.PixelAt(x, y);
      const std::uint8_t want[4] = {p.blue, p.green, p.red, p.alpha};
      for (int c = 0; c < size.channels; ++c) {
        const int got = row[static_cast<std::size_t>(x) * size.channels + c];
        EXPECT_LE(std::abs(got - want[c]), 1)
            << "filter " << filter << ", " << size.sourceWidth << "x" << size.sourceHeight << " to " << size.width
            << "x" << size.height << " at " << x << "," << y << " channel " << c;
        equal += got == want[c];
        ++all;
      }
    }
  }
  return static_cast<double>(equal) / static_cast<double>(all);
}

// Shrinking and enlarging, one axis each way, to and from one pixel, 1 % and
// 1000 %, an axis kept; then random sizes. Every filter, every version of
// the passes, and bands of several heights giving the rows of the whole.
TEST(FilterResampler, StaysWithinOneOfTheDefinitionInEveryBand) {
  struct Case {
    std::int32_t sourceWidth, sourceHeight, width, height;
  };
  std::vector<Case> cases = {
      {40, 30, 10, 7}, {5, 4, 23, 17}, {30, 5, 7, 19}, {6, 25, 31, 4},   {1, 1, 9, 5},
      {1, 12, 5, 3},   {17, 13, 1, 1}, {23, 9, 1, 4},  {300, 200, 3, 2}, {4, 3, 40, 30},
      {12, 20, 12, 7}, {25, 9, 8, 9},  {2, 2, 8, 8},   {31, 29, 30, 28}, {29, 31, 30, 32},
  };
  std::mt19937 rng(33);
  for (int round = 0; round < 12; ++round) {
    const auto side = [&rng](std::uint32_t most) { return 1 + static_cast<std::int32_t>(rng() % most); };
    cases.push_back({side(50), side(50), side(40), side(40)});
  }
  double equal = 0;
  int runs = 0;
  for (const Case& c : cases) {
    BmpImage source;
    FillRandomly(source, c.sourceWidth, c.sourceHeight, rng);
    for (const int filter : kFilters) {
      const int channels = 3 + (runs & 1);
      const ResampleSize size{c.sourceWidth, c.sourceHeight, c.width, c.height, channels};
      const BothTaps taps(size, *FilterKernelFor(filter));
      for (const FilterPasses* passes : Passes()) {
        SCOPED_TRACE(std::string(passes->name) + ", filter " + std::to_string(filter) + ", " +
                     std::to_string(c.sourceWidth) + "x" + std::to_string(c.sourceHeight) + " to " +
                     std::to_string(c.width) + "x" + std::to_string(c.height));
        const auto whole = Band(source, size, taps, *passes, 0, c.height);
        equal += ExpectNearReference(source, size, filter, whole);
        ++runs;
        for (const std::int32_t bands : {2, 3, 7}) {
          std::vector<std::vector<std::uint8_t>> joined;
          for (std::int32_t b = bands - 1; b >= 0; --b) {
            const auto part = Band(source, size, taps, *passes, c.height * b / bands, c.height * (b + 1) / bands);
            joined.insert(joined.end(), part.begin(), part.end());
          }
          ASSERT_EQ(joined, whole) << bands << " bands";
        }
      }
    }
  }
  // Most channels are exactly the double-precision ones; a channel one off is
  // a sum within a hair of a half.
  EXPECT_GT(equal / runs, 0.95);
}

// The weights of every destination pixel add up to exactly 2^bits, fit in 16
// bits, and keep every sum of 255s in 32 bits, at the tallest supports and
// the longest sides.
TEST(FilterTaps, KeepTheirBoundsAtTheLongestSides) {
  struct Case {
    std::int32_t sourceSize, size;
    int leastBits;  // at least this many fractional bits
  };
  const Case cases[] = {
      {1, 1000, 13}, {1000, 1, 22},    {4000, 40, 19},   {8000, 16000, 13},    {7, 3, 14},
      {3, 7, 13},    {1 << 20, 3, 22}, {1 << 22, 1, 22}, {300000, 299999, 13},
  };
  for (const Case& c : cases) {
    for (const int filter : kFilters) {
      const FilterTaps taps(c.sourceSize, c.size, *FilterKernelFor(filter));
      ASSERT_TRUE(taps.Ready());
      EXPECT_GE(taps.Bits(), c.leastBits) << c.sourceSize << " to " << c.size << ", filter " << filter;
      for (std::int32_t x = 0; x < c.size && x < 5000; ++x) {
        std::int64_t sum = 0, absolute = 0;
        for (std::int32_t i = 0; i < taps.Count(x); ++i) {
          sum += taps.Weights(x)[i];
          absolute += std::abs(taps.Weights(x)[i]);
        }
        ASSERT_EQ(sum, std::int64_t{1} << taps.Bits()) << c.sourceSize << " to " << c.size << " at " << x;
        ASSERT_LE(255 * absolute + (std::int64_t{1} << taps.Bits() >> 1), INT32_MAX);
        ASSERT_GE(taps.First(x), 0);
        ASSERT_LE(taps.First(x) + taps.Count(x), c.sourceSize);
        ASSERT_LE(taps.Count(x), taps.MostCount());
      }
    }
  }
}

// Each instruction-set version gives the scalar bytes: across rows of random
// pixels with the taps of many sizes (to 1 % and from 1 pixel), and down
// rows with weights at the edge of the bounds, sums reaching +-2^31 - 1 on
// rows up to 2^16 + 7 bytes wide.
TEST(FilterPasses, EveryVersionGivesTheScalarBytes) {
  std::mt19937 rng(2033);
  const FilterPasses& scalar = ScalarFilterPasses();
  // Widest rows each way, and rows whose last taps, or all, are too near the
  // end of the source to be read four at a time; then random ones.
  const std::int32_t fixed[][2] = {{8000, 2000}, {4000, 8001}, {8000, 79}, {1000, 800}, {1001, 600},
                                   {3, 1},       {3, 7},       {5, 2},     {7, 5}};
  constexpr int kFixed = static_cast<int>(sizeof fixed / sizeof fixed[0]);
  for (int round = 0; round < 200 + 5 * kFixed; ++round) {
    const bool table = round < 5 * kFixed;
    const std::int32_t sourceWidth = table ? fixed[round / 5][0] : 1 + static_cast<std::int32_t>(rng() % 900);
    const std::int32_t width = table ? fixed[round / 5][1] : 1 + static_cast<std::int32_t>(rng() % 120);
    const int channels = 3 + round % 2;
    const FilterTaps taps(sourceWidth, width, *FilterKernelFor(kFilters[round % 5]));
    std::vector<PixelBGRA> source(static_cast<std::size_t>(sourceWidth));
    for (auto& p : source) p = {EdgyByte(rng), EdgyByte(rng), EdgyByte(rng), EdgyByte(rng)};
    const std::size_t bytes = static_cast<std::size_t>(width) * channels;
    std::vector<std::uint8_t> expected(bytes + kRowBlendSlack), actual(bytes + kRowBlendSlack);
    scalar.across(source.data(), taps, width, channels, expected.data());
    for (const FilterPasses* passes : Passes()) {
      passes->across(source.data(), taps, width, channels, actual.data());
      ASSERT_EQ(0, std::memcmp(expected.data(), actual.data(), bytes))
          << passes->name << ", " << sourceWidth << " to " << width;
    }
  }
  for (int round = 0; round < 60; ++round) {
    // The most taps whose weights of 32767 keep 255 x sum |q| + 2^21 in 32 bits.
    const std::int32_t count = round % 3 == 0 ? 256 : 1 + static_cast<std::int32_t>(rng() % 40);
    const std::size_t bytes = round % 10 == 0 ? (1u << 16) + 7 : 1 + rng() % 300;
    std::vector<std::vector<std::uint8_t>> rows(static_cast<std::size_t>(count));
    std::vector<const std::uint8_t*> pointers;
    std::vector<std::int16_t> weights;
    for (auto& row : rows) {
      row.resize(bytes + kRowBlendSlack);
      for (auto& b : row) b = EdgyByte(rng);
      pointers.push_back(row.data());
      const bool extreme = round % 3 == 0;
      weights.push_back(static_cast<std::int16_t>(extreme ? (round % 2 ? 32767 : -32767) * (rng() % 4 ? 1 : -1)
                                                          : static_cast<std::int32_t>(rng() % 4001) - 1000));
    }
    const int bits = 22 - round % 9;
    std::vector<std::uint8_t> expected(bytes + kRowBlendSlack), actual(bytes + kRowBlendSlack);
    scalar.down(pointers.data(), weights.data(), count, bits, bytes, expected.data());
    for (const FilterPasses* passes : Passes()) {
      passes->down(pointers.data(), weights.data(), count, bits, bytes, actual.data());
      ASSERT_EQ(0, std::memcmp(expected.data(), actual.data(), bytes)) << passes->name << ", " << count << " rows";
    }
  }
}

// The project's own sine, against the C library's, at whole and half
// numbers (where it must be exact) and in between, far from 0 too, where
// the library's pi x is off by its own rounding.
TEST(FilterKernel, SinPiAgreesWithTheLibrarySine) {
  const double pi = 3.14159265358979323846;
  EXPECT_EQ(SinPi(0.0), 0.0);
  EXPECT_EQ(SinPi(0.5), 1.0);
  EXPECT_EQ(SinPi(-1.5), 1.0);
  EXPECT_EQ(SinPi(3.0), 0.0);
  for (double x = -7.0; x <= 7.0; x += 0.0078125 * 3.1) {
    EXPECT_NEAR(SinPi(x), std::sin(pi * x), 4e-16 * (1 + std::fabs(x))) << x;
  }
  EXPECT_NEAR(SinPi(1000.25), std::sqrt(0.5), 1e-15);
}

}  // namespace
