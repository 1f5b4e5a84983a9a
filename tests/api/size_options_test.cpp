// SPDX-License-Identifier: MIT
// The size and resolution options through the public functions: the sizes a
// result reports, options refused before the source is read, and the
// resolution written.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bmpresize.h"
#include "support/bmp_bytes.h"

namespace {

// A 24-bit picture 4 x 3 (rows without padding, so 100 % copies them) with
// the given resolution; OS/2 1.x headers when os2.
std::vector<std::uint8_t> Picture(std::int32_t xPpm, std::int32_t yPpm, bool os2 = false) {
  BmpBytes b;
  if (os2) {
    b.U16(0x4D42).U32(26 + 36).U32(0).U32(26).U32(12).U16(4).U16(3).U16(1).U16(24);
  } else {
    b.Headers(4, 3, 24, 54, 0, xPpm, yPpm);
  }
  for (int i = 0; i < 36; ++i) b.U8(static_cast<std::uint32_t>(i * 7));
  return b.data();
}

std::vector<std::uint8_t> Resized(const std::vector<std::uint8_t>& source, const bmpresize_options& options,
                                  bmpresize_result& result) {
  std::size_t size = 0;
  if (bmpresize_memory_size(source.data(), source.size(), &options, &size, &result) != BMPRESIZE_OK) return {};
  std::vector<std::uint8_t> out(size);
  if (bmpresize_memory(source.data(), source.size(), out.data(), out.size(), &options, &result) != BMPRESIZE_OK)
    return {};
  return out;
}

TEST(SizeOptions, DotsPerInchAsPixelsPerMetre) {
  const struct {
    std::int32_t dpi, ppm;
  } cases[] = {
      {96, 3780},     {300, 11811},           {72, 2835}, {1, 39}, {600, 23622}, {0, 0}, {-96, 0},
      {INT32_MIN, 0}, {54546084, 2147483622},  // the most dots per inch that 32 bits hold
      {54546085, 0},  {INT32_MAX, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(bmpresize_ppm_from_dpi(c.dpi), c.ppm) << c.dpi;
}

TEST(SizeOptions, ResolutionWrittenIsTheOneAskedForOrTheSources) {
  const struct {
    const char* what;
    std::int32_t sourceX, sourceY;
    bool os2;
    std::int32_t xPpm, yPpm, flags;
    std::uint32_t wantX, wantY;
  } cases[] = {
      {"default", 1234, 5678, false, 0, 0, 0, 3780, 3780},
      {"asked for", 1234, 5678, false, 11811, 11811, 0, 11811, 11811},
      {"one side asked for", 1234, 5678, false, 0, 2835, 0, 3780, 2835},
      {"kept", 1234, 5678, false, 0, 0, BMPRESIZE_KEEP_RESOLUTION, 1234, 5678},
      {"kept over one asked for", 1234, 5678, false, 300, 300, BMPRESIZE_KEEP_RESOLUTION, 1234, 5678},
      {"kept, the source has none", 0, 0, false, 0, 0, BMPRESIZE_KEEP_RESOLUTION, 3780, 3780},
      {"kept, OS/2 1.x carries none", 0, 0, true, 0, 0, BMPRESIZE_KEEP_RESOLUTION, 3780, 3780},
      {"asked for, OS/2 1.x", 0, 0, true, 39, 39, 0, 39, 39},
  };
  for (const auto& c : cases) {
    for (const std::int32_t percent : {100, 50}) {  // rows copied, and resized
      SCOPED_TRACE(std::string(c.what) + " at " + std::to_string(percent) + " %");
      bmpresize_options options;
      bmpresize_options_init(&options);
      options.percent = percent;
      options.x_ppm = c.xPpm;
      options.y_ppm = c.yPpm;
      options.flags = c.flags;
      bmpresize_result result{};
      const std::vector<std::uint8_t> out = Resized(Picture(c.sourceX, c.sourceY, c.os2), options, result);
      ASSERT_EQ(result.code, BMPRESIZE_OK);
      EXPECT_EQ(LE32(out, 38), c.wantX);
      EXPECT_EQ(LE32(out, 42), c.wantY);
    }
  }
}

TEST(SizeOptions, SizesAndRefusals) {
  const struct {
    const char* what;
    std::int32_t percent, width, height, flags, xPpm;
    bmpresize_code code;
    bmpresize_cause cause;
    std::int64_t value;
    std::int32_t wantWidth, wantHeight;
  } cases[] = {
      {"width", 100, 2, 0, 0, 0, BMPRESIZE_OK, BMPRESIZE_CAUSE_NONE, 0, 2, 2},  // 1.5 rounds up
      {"height over a percent", 300, 0, 6, 0, 0, BMPRESIZE_OK, BMPRESIZE_CAUSE_NONE, 0, 8, 6},
      {"fit", 100, 100, 30, BMPRESIZE_FIT, 0, BMPRESIZE_OK, BMPRESIZE_CAUSE_NONE, 0, 40, 30},
      {"fit, no enlarge", 100, 100, 30, BMPRESIZE_FIT | BMPRESIZE_NO_ENLARGE, 0, BMPRESIZE_OK, BMPRESIZE_CAUSE_NONE, 0,
       4, 3},
      {"exact size too wide", 100, 16777217, 1, 0, 0, BMPRESIZE_TOO_LARGE, BMPRESIZE_CAUSE_ROW_TOO_WIDE, 16777217, 0,
       0},
      {"exact size beyond 4 GiB", 100, 100000, 100000, 0, 0, BMPRESIZE_TOO_LARGE, BMPRESIZE_CAUSE_FILE_TOO_LARGE,
       100000, 0, 0},
      {"negative width", 100, -4, 0, 0, 0, BMPRESIZE_TOO_LARGE, BMPRESIZE_CAUSE_OPTION, -4, 0, 0},
      {"fit without a height", 100, 4, 0, BMPRESIZE_FIT, 0, BMPRESIZE_TOO_LARGE, BMPRESIZE_CAUSE_OPTION, 0, 0, 0},
      {"negative resolution", 100, 0, 0, 0, -1, BMPRESIZE_TOO_LARGE, BMPRESIZE_CAUSE_OPTION, -1, 0, 0},
      {"light averaged by the point sampler", 50, 0, 0, BMPRESIZE_LINEAR, 0, BMPRESIZE_TOO_LARGE,
       BMPRESIZE_CAUSE_OPTION, BMPRESIZE_LINEAR, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    bmpresize_options options;
    bmpresize_options_init(&options);
    options.percent = c.percent;
    options.width = c.width;
    options.height = c.height;
    options.flags = c.flags;
    options.x_ppm = c.xPpm;
    bmpresize_result result{};
    const std::vector<std::uint8_t> out = Resized(Picture(2835, 2835), options, result);
    EXPECT_EQ(result.code, c.code);
    EXPECT_EQ(result.cause, c.cause);
    if (c.code != BMPRESIZE_OK) {
      EXPECT_EQ(result.value, c.value);
      continue;
    }
    EXPECT_EQ(result.width, c.wantWidth);
    EXPECT_EQ(result.height, c.wantHeight);
    EXPECT_EQ(LE32(out, 18), static_cast<std::uint32_t>(c.wantWidth));
    EXPECT_EQ(LE32(out, 22), static_cast<std::uint32_t>(c.wantHeight));
  }
  // A size applies to a region as to a whole picture: 2 x 3 pixels to 4 wide.
  bmpresize_options region;
  bmpresize_options_init(&region);
  region.region_x = 1;
  region.region_width = 2;
  region.region_height = 3;
  region.width = 4;
  bmpresize_result sized{};
  (void)Resized(Picture(2835, 2835), region, sized);
  EXPECT_EQ(sized.code, BMPRESIZE_OK);
  EXPECT_EQ(sized.width, 4);
  EXPECT_EQ(sized.height, 6);
  // An option out of range is refused before the source is opened.
  bmpresize_options options;
  bmpresize_options_init(&options);
  options.height = -1;
  bmpresize_result result{};
  EXPECT_EQ(bmpresize_file("/nonexistent/in.bmp", "/nonexistent/out.bmp", &options, &result), BMPRESIZE_TOO_LARGE);
  EXPECT_EQ(result.cause, BMPRESIZE_CAUSE_OPTION);
}

}  // namespace
