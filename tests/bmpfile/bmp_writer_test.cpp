// SPDX-License-Identifier: MIT
#include "bmpfile/bmp_file_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "support/vector_sink.h"

using namespace bmpresize;

namespace {

TEST(BmpWriter, SizesBeyond32BitsAreRefusedBeforeTheFileIsCreated) {
  // 24 bits at width 1: rows of 4 bytes. The tallest picture whose file size
  // fits has a bfSize of 0xFFFFFFFE.
  const std::int32_t tallest = (0xFFFFFFFFu - 54) / 4;
  BmpLayout layout;
  layout.width = 1;
  layout.depth = 24;
  layout.height = tallest;
  const BmpHeaders fits = HeadersFor(layout);
  EXPECT_TRUE(fits.fits);
  EXPECT_EQ(fits.file.bfSize, 0xFFFFFFFEu);
  EXPECT_EQ(fits.info.biSizeImage, 0xFFFFFFFEu - 54);
  layout.height = tallest + 1;
  EXPECT_FALSE(HeadersFor(layout).fits);
  // One row wider than a 32-bit signed count of bytes, in a file that would fit.
  EXPECT_FALSE(HeadersFor({715827883, 1, 24, {}, nullptr}).fits);

  const BmpLayout bigLayouts[] = {
      layout, {40000, 40000, 24, {}, nullptr}, {65536, 65536, 8, {}, nullptr}, {715827883, 1, 24, {}, nullptr}};
  for (const BmpLayout& big : bigLayouts) {
    VectorSink sink;
    BmpWriter writer;
    EXPECT_EQ(writer.Begin(sink, big), 0) << big.width << " x " << big.height << " at " << big.depth;
    EXPECT_TRUE(sink.Bytes().empty());
    EXPECT_EQ(writer.Finish(), 0);
  }
}

}  // namespace
