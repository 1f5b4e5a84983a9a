// SPDX-License-Identifier: MIT
// --resize's geometries through the public functions: the sizes they give,
// taken from ImageMagick 6.9's `convert -size WxH xc:white -resize GEOMETRY`
// (bench/geometry_check.py compares many more by hand), and the text that is
// no geometry, with why.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bmpresize.h"
#include "support/bmp_bytes.h"

namespace {

// The headers of a 1-bit picture of width x height, enough for the size.
std::vector<std::uint8_t> Headers(std::int32_t width, std::int32_t height) {
  BmpBytes b;
  b.Headers(width, height, 1, 62);
  b.U32(0).U32(0xFFFFFF);
  return b.data();
}

TEST(Geometry, GivesImageMagicksSizes) {
  const struct {
    std::int32_t sourceWidth, sourceHeight;
    const char* geometry;
    std::int32_t width, height;
  } cases[] = {
      {640, 480, "800x600", 800, 600},
      {640, 480, "800x", 800, 600},
      {640, 480, "x600", 800, 600},
      {17, 13, "11x7", 9, 7},
      {33, 21, "1x1", 1, 1},
      {640, 480, "800x600!", 800, 600},
      {640, 480, "320x!", 320, 480},
      {640, 480, "800x600>", 640, 480},
      {1024, 768, "800x600>", 800, 600},
      {640, 480, "800x600<", 800, 600},
      {1024, 768, "800x600<", 1024, 768},
      {640, 480, "800x600^", 800, 600},
      {3, 7, "5x5^", 5, 12},
      {640, 480, "600x^", 800, 600},
      {480, 640, "x600^", 600, 800},
      {13, 7, "7x13^<", 24, 13},
      {13, 7, "20x3!>", 13, 3},
      {640, 480, "50%", 320, 240},
      {640, 480, "50x25%", 320, 120},
      {5, 5, "50%", 3, 3},
      {3, 3, "50%", 2, 2},
      {640, 480, "250000@", 577, 433},
      {640, 480, "250000@>", 577, 433},
      {100, 50, "250000@<", 707, 353},
      {640, 480, "307200@", 640, 480},
      {1833, 317, "430339@<", 1577, 272},
      {3, 2, "2x", 2, 1},
      {2, 1, "3x", 3, 2},
      {2001, 1000, "3x", 3, 1},
      // The scale is a double: 17 / 14 x 77 comes out below 93.5, where
      // --width 17 rounds the exact 93.5 up to 94.
      {14, 77, "17x", 17, 93},
      {14, 7, "61x", 61, 30},
      {77, 14, "x17", 93, 17},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.sourceWidth) + "x" + std::to_string(c.sourceHeight) + " " + c.geometry);
    bmpresize_options options;
    bmpresize_options_init(&options);
    char problem[200];
    ASSERT_EQ(bmpresize_parse_geometry(c.geometry, &options, problem, sizeof problem), 0) << problem;
    const std::vector<std::uint8_t> source = Headers(c.sourceWidth, c.sourceHeight);
    bmpresize_result result{};
    std::size_t size = 0;
    ASSERT_EQ(bmpresize_memory_size(source.data(), source.size(), &options, &size, &result), BMPRESIZE_OK);
    EXPECT_EQ(result.width, c.width);
    EXPECT_EQ(result.height, c.height);
  }
}

TEST(Geometry, TellsWhyTextIsNone) {
  const struct {
    const char* text;
    const char* why;  // a part of the sentence
  } cases[] = {
      {"800", "give 800x for a width or 800% for a percent"},
      {"", "no geometry"},
      {"800x600 ", "no geometry"},
      {"800x600>>", "no geometry"},
      {"0x600", "from 1 to 2147483647"},
      {"2147483648x", "from 1 to 2147483647"},
      {"99999999999999999999x", "from 1 to 2147483647"},
      {"50%>", "a percent"},
      {"x50%", "a percent"},
      {"0%", "from 1 to 2147483647"},
      {"800x600@", "an area"},
      {"0@", "an area"},
      {"800x600!^", "do not go together"},
      {"800x600<>", "do not go together"},
      {"250000@^", "do not go together"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    bmpresize_options options;
    bmpresize_options_init(&options);
    const bmpresize_options before = options;
    char problem[200];
    EXPECT_NE(bmpresize_parse_geometry(c.text, &options, problem, sizeof problem), 0);
    EXPECT_NE(std::string(problem).find(c.why), std::string::npos) << problem;
    EXPECT_EQ(options.geometry, before.geometry);
    // A problem cut to the room given, and still a string.
    char tiny[4];
    EXPECT_NE(bmpresize_parse_geometry(c.text, &options, tiny, sizeof tiny), 0);
    EXPECT_EQ(std::string(tiny), std::string(problem).substr(0, 3));
  }
  EXPECT_NE(bmpresize_parse_geometry(nullptr, nullptr, nullptr, 0), 0);
}

// A record filled by hand is checked as any other: bits that do not go
// together, numbers out of range, a geometry beside a size or a cover.
TEST(Geometry, RecordsThatMeanNothingAreRefused) {
  const struct {
    const char* what;
    std::int32_t geometry, geometryWidth, geometryHeight;
    std::int64_t area;
    std::int32_t width, flags;
  } cases[] = {
      {"an unknown bit", 256 | BMPRESIZE_GEOMETRY_WIDTH, 5, 0, 0, 0, 0},
      {"a side of 0", BMPRESIZE_GEOMETRY_WIDTH, 0, 0, 0, 0, 0},
      {"a negative height", BMPRESIZE_GEOMETRY_HEIGHT, 0, -4, 0, 0, 0},
      {"an area of 0", BMPRESIZE_GEOMETRY_AREA, 0, 0, 0, 0, 0},
      {"a percent with a mark", BMPRESIZE_GEOMETRY_PERCENT | BMPRESIZE_GEOMETRY_WIDTH | BMPRESIZE_GEOMETRY_FILL, 5, 0,
       0, 0, 0},
      {"an area with a side", BMPRESIZE_GEOMETRY_AREA | BMPRESIZE_GEOMETRY_WIDTH, 5, 0, 9, 0, 0},
      {"beside a width", BMPRESIZE_GEOMETRY_WIDTH, 5, 0, 0, 7, 0},
      {"beside a cover", BMPRESIZE_GEOMETRY_WIDTH, 5, 0, 0, 0, BMPRESIZE_COVER},
      {"a cover without its height", 0, 0, 0, 0, 7, BMPRESIZE_COVER},
      {"a cover that fits", 0, 0, 0, 0, 7, BMPRESIZE_COVER | BMPRESIZE_FIT},
  };
  const std::vector<std::uint8_t> source = Headers(6, 4);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    bmpresize_options options;
    bmpresize_options_init(&options);
    options.geometry = c.geometry;
    options.geometry_width = c.geometryWidth;
    options.geometry_height = c.geometryHeight;
    options.geometry_area = c.area;
    options.width = c.width;
    options.flags = c.flags;
    bmpresize_result result{};
    std::size_t size = 0;
    EXPECT_EQ(bmpresize_memory_size(source.data(), source.size(), &options, &size, &result), BMPRESIZE_TOO_LARGE);
    EXPECT_EQ(result.cause, BMPRESIZE_CAUSE_OPTION);
  }
}

}  // namespace
