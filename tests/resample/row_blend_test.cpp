// SPDX-License-Identifier: MIT
// Every instruction-set version of the row blends gives the scalar bytes, and
// the row-streaming resize gives SampleBilinear's pixels.
#include "resample/row_blend.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <random>
#include <vector>

#include "image/bmp_image.h"
#include "reference/image_row_source.h"
#include "reference/resize_image.h"
#include "support/collecting_row_sink.h"
#include "resample/row_resampler.h"

using namespace bmpresize;

namespace {

std::vector<const RowBlendKernels*> Kernels() {
  const RowBlendKernels* all[8];
  return {all, all + AvailableRowBlends(all, 8)};
}

std::uint8_t RandomByte(std::mt19937& rng) { return static_cast<std::uint8_t>(rng() & 0xFF); }

// Bytes biased towards the ends, where truncation and saturation would show.
std::uint8_t EdgyByte(std::mt19937& rng) {
  switch (rng() % 4) {
    case 0:
      return 0;
    case 1:
      return 255;
    default:
      return RandomByte(rng);
  }
}

TEST(RowBlend, EveryKernelGivesTheScalarBytes) {
  std::mt19937 rng(20261207);
  const RowBlendKernels& scalar = ScalarRowBlend();
  // Said in the log, so that each target's run shows which versions it checked.
  std::string names;
  for (const RowBlendKernels* kernels : Kernels()) names += std::string(" ") + kernels->name;
  std::printf("row blends on this CPU:%s (best: %s)\n", names.c_str(), BestRowBlend().name);
  for (const RowBlendKernels* kernels : Kernels()) {
    SCOPED_TRACE(kernels->name);
    for (int round = 0; round < 400; ++round) {
      const std::int32_t sourceWidth = 1 + static_cast<std::int32_t>(rng() % 70);
      const std::int32_t width = 1 + static_cast<std::int32_t>(rng() % 70);  // not a multiple of any vector width
      const int channels = rng() % 2 ? 3 : 4;
      std::vector<PixelBGRA> source(static_cast<std::size_t>(sourceWidth));
      for (auto& p : source) p = {EdgyByte(rng), EdgyByte(rng), EdgyByte(rng), EdgyByte(rng)};
      std::vector<AxisTap> taps(static_cast<std::size_t>(width));
      for (std::int32_t x = 0; x < width; ++x) taps[x] = TapFor(sourceWidth, x, width);

      const std::size_t bytes = static_cast<std::size_t>(width) * channels;
      std::vector<std::uint8_t> expected(bytes + kRowBlendSlack), actual(bytes + kRowBlendSlack);
      scalar.blendColumns(source.data(), taps.data(), width, channels, expected.data());
      kernels->blendColumns(source.data(), taps.data(), width, channels, actual.data());
      ASSERT_EQ(0, std::memcmp(expected.data(), actual.data(), bytes)) << "columns, width " << width;

      std::vector<std::uint8_t> upper(bytes), lower(bytes);
      for (auto& b : upper) b = EdgyByte(rng);
      for (auto& b : lower) b = EdgyByte(rng);
      const AxisTap row = TapFor(1 + static_cast<std::int32_t>(rng() % 500), static_cast<std::int32_t>(rng() % 97), 97);
      scalar.blendRows(upper.data(), lower.data(), row.firstWeight, row.secondWeight, bytes, expected.data());
      kernels->blendRows(upper.data(), lower.data(), row.firstWeight, row.secondWeight, bytes, actual.data());
      ASSERT_EQ(0, std::memcmp(expected.data(), actual.data(), bytes)) << "rows, " << bytes << " bytes";
    }
  }
}

// Column 3 of 8 on a 2-pixel axis: 255 x (1 - 3/7) + 255 x 3/7 comes out a
// hair below 255, and every version must truncate it to 254.
TEST(RowBlend, SumsJustBelowAWholeNumberTruncateDown) {
  const AxisTap tap = TapFor(2, 3, 8);
  const std::vector<std::uint8_t> upper(40, 255), lower(40, 255);
  for (const RowBlendKernels* kernels : Kernels()) {
    std::vector<std::uint8_t> actual(40 + kRowBlendSlack);
    kernels->blendRows(upper.data(), lower.data(), tap.firstWeight, tap.secondWeight, 40, actual.data());
    EXPECT_EQ(std::vector<std::uint8_t>(actual.begin(), actual.begin() + 40), std::vector<std::uint8_t>(40, 254))
        << kernels->name;
  }
}

TEST(RowResampler, GivesTheReferenceResizeOfRandomPictures) {
  std::mt19937 rng(7);
  for (const RowBlendKernels* kernels : Kernels()) {
    SCOPED_TRACE(kernels->name);
    for (int round = 0; round < 150; ++round) {
      BmpImage source;
      const std::int32_t sw = 1 + static_cast<std::int32_t>(rng() % 30), sh = 1 + static_cast<std::int32_t>(rng() % 30);
      ASSERT_EQ(source.SetSize(sw, sh), 1);
      for (std::int32_t y = 0; y < sh; ++y)
        for (std::int32_t x = 0; x < sw; ++x)
          source.PixelAt(x, y) = {EdgyByte(rng), EdgyByte(rng), EdgyByte(rng), EdgyByte(rng)};
      const std::int32_t dw = 1 + static_cast<std::int32_t>(rng() % 45), dh = 1 + static_cast<std::int32_t>(rng() % 45);
      const int channels = rng() % 2 ? 3 : 4;
      BmpImage expected;
      ASSERT_EQ(expected.SetSize(dw, dh), 1);
      ASSERT_EQ(ResizeImage(source, expected), 1);

      RowResampler resampler({sw, sh, dw, dh, channels}, *kernels);
      ASSERT_TRUE(resampler.Ready());
      ImageRowSource rows(source);
      CollectingSink sink(static_cast<std::size_t>(dw) * channels);
      ASSERT_TRUE(resampler.Run(rows, sink));
      ASSERT_EQ(sink.rows.size(), static_cast<std::size_t>(dh));
      for (std::int32_t y = 0; y < dh; ++y) {
        const std::vector<std::uint8_t>& row = sink.rows[static_cast<std::size_t>(dh - 1 - y)];
        for (std::int32_t x = 0; x < dw; ++x) {
          const PixelBGRA p = expected.PixelAt(x, y);
          const std::uint8_t* got = &row[static_cast<std::size_t>(x) * channels];
          ASSERT_EQ(got[0], p.blue) << sw << "x" << sh << " to " << dw << "x" << dh << " at " << x << "," << y;
          ASSERT_EQ(got[1], p.green);
          ASSERT_EQ(got[2], p.red);
          if (channels == 4) {
            ASSERT_EQ(got[3], p.alpha);
          }
        }
      }
    }
  }
}

}  // namespace
