// SPDX-License-Identifier: MIT
// Sources whose header declares alpha: the area and convolution filters weigh
// colour by it and write a 108-byte header with an alpha mask, the point
// sampler and sources without an alpha mask keep their 40-byte 32-bit files,
// and every thread count gives the same bytes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "bmpresize.h"
#include "support/bmp_bytes.h"

namespace {

std::uint32_t U32At(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

// A 32-bit bit-field file of w x h, its header headerSize bytes with masks
// red, green, blue, alpha (a 124-byte one with an embedded profile after the
// pixels); each pixel from pixel(x, y), y from the top, as blue, green, red,
// alpha.
template <typename Pixel>
std::vector<std::uint8_t> Source(std::int32_t w, std::int32_t h, std::uint32_t headerSize, std::uint32_t alphaMask,
                                 Pixel pixel) {
  const std::uint32_t offBits = 14 + headerSize;
  const std::uint32_t data = 4 * static_cast<std::uint32_t>(w * h);
  BmpBytes b;
  b.U16(0x4D42).U32(offBits + data + (headerSize == 124 ? 16 : 0)).U16(0).U16(0).U32(offBits);
  b.U32(headerSize).U32(static_cast<std::uint32_t>(w)).U32(static_cast<std::uint32_t>(h)).U16(1).U16(32);
  b.U32(3).U32(data).U32(2835).U32(2835).U32(0).U32(0);
  b.U32(0x00FF0000).U32(0x0000FF00).U32(0x000000FF).U32(alphaMask);
  if (headerSize == 124) {
    b.U32(0x4D424544).Zeros(48).U32(4).U32(data + headerSize).U32(16).U32(0);  // "MBED", intent, profile
  } else {
    b.Zeros(headerSize - 56);
  }
  for (std::int32_t y = h - 1; y >= 0; --y)
    for (std::int32_t x = 0; x < w; ++x) {
      const std::uint32_t p = pixel(x, y);
      b.U8(p & 0xFF).U8(p >> 8 & 0xFF).U8(p >> 16 & 0xFF).U8(p >> 24);
    }
  if (headerSize == 124) b.Zeros(16);
  return b.data();
}

std::vector<std::uint8_t> Cut(std::vector<std::uint8_t> bytes, std::size_t size) {
  bytes.resize(size);
  return bytes;
}

// A red disc, its edge soft, on a green field that is wholly transparent.
std::uint32_t Disc(std::int32_t x, std::int32_t y) {
  const double d = std::hypot(x - 23.5, y - 17.5);
  const double a = std::min(1.0, std::max(0.0, 14.5 - d));
  if (a <= 0) return 0x0000FF00;
  return static_cast<std::uint32_t>(std::lround(255 * a)) << 24 | 0x00FF0000;
}

std::vector<std::uint8_t> Resized(const std::vector<std::uint8_t>& source, int filter, int threads, int flags = 0) {
  bmpresize_options options;
  bmpresize_options_init(&options);
  options.percent = 37;
  options.filter = static_cast<std::int16_t>(filter);
  options.threads = threads;
  options.flags = flags;
  std::size_t size = 0;
  bmpresize_result result{};
  EXPECT_EQ(bmpresize_memory_size(source.data(), source.size(), &options, &size, &result), BMPRESIZE_OK);
  std::vector<std::uint8_t> out(size);
  EXPECT_EQ(bmpresize_memory(source.data(), source.size(), out.data(), size, &options, &result), BMPRESIZE_OK);
  return out;
}

TEST(DeclaredAlpha, WritesAHeaderWithAnAlphaMaskFieldByField) {
  const std::vector<std::uint8_t> out = Resized(Source(48, 36, 108, 0xFF000000, Disc), BMPRESIZE_FILTER_AREA, 1);
  ASSERT_GE(out.size(), 122u);
  const std::uint32_t data = 4 * 17 * 13;
  const std::uint32_t fields[][2] = {
      {2, 122 + data},  {10, 122},        {14, 108},        {18, 17},         {22, 13}, {30, 3},
      {34, data},       {38, 3780},       {42, 3780},       {46, 0},          {50, 0},  {54, 0x00FF0000},
      {58, 0x0000FF00}, {62, 0x000000FF}, {66, 0xFF000000}, {70, 0x73524742},
  };
  EXPECT_EQ(out[0], 'B');
  EXPECT_EQ(out[1], 'M');
  EXPECT_EQ(out[26] | out[27] << 8, 1);   // planes
  EXPECT_EQ(out[28] | out[29] << 8, 32);  // bits per pixel
  for (const auto& f : fields) EXPECT_EQ(U32At(out, f[0]), f[1]) << "at byte " << f[0];
  for (std::size_t at = 74; at < 122; ++at) EXPECT_EQ(out[at], 0) << "endpoints and gammas, byte " << at;
  EXPECT_EQ(out.size(), 122 + data);
}

// Each source at 37 %: the header written, and whether a pixel that shows
// (alpha above 0, or any without an alpha mask) has more green than 1, for every filter but point,
// on 1, 2 and 3 threads.
TEST(DeclaredAlpha, SourcesFiltersAndThreads) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> source;
    int filter;
    std::uint32_t header;  // written
    bool green;            // green may show
    std::uint32_t pixel;   // every pixel written, where not 1
  };
  const auto opaque = [](std::int32_t x, std::int32_t y) { return Disc(x, y) | 0xFF000000u; };
  const auto clear = [](std::int32_t x, std::int32_t y) { return Disc(x, y) & 0x00FFFFFFu; };
  const Case cases[] = {
      {"soft edges, area", Source(48, 36, 108, 0xFF000000, Disc), BMPRESIZE_FILTER_AREA, 108, false, 1},
      {"soft edges, lanczos3", Source(48, 36, 108, 0xFF000000, Disc), BMPRESIZE_FILTER_LANCZOS3, 108, false, 1},
      {"soft edges, a profile, cubic", Source(48, 36, 124, 0xFF000000, Disc), BMPRESIZE_FILTER_CUBIC, 108, false, 1},
      {"soft edges, point", Source(48, 36, 108, 0xFF000000, Disc), BMPRESIZE_FILTER_POINT, 40, true, 1},
      {"alpha all 0", Source(48, 36, 108, 0xFF000000, clear), BMPRESIZE_FILTER_LANCZOS2, 108, false, 0},
      {"alpha all 255", Source(48, 36, 108, 0xFF000000, opaque), BMPRESIZE_FILTER_MITCHELL, 108, true, 1},
      {"alpha mask 0", Source(48, 36, 56, 0, Disc), BMPRESIZE_FILTER_AREA, 40, true, 1},
      // The rows past the end of the data are white with alpha 0: they lend no colour.
      {"cut short", Cut(Source(48, 36, 108, 0xFF000000, Disc), 122 + 4 * 48 * 10), BMPRESIZE_FILTER_LANCZOS3, 108,
       false, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<std::uint8_t> out = Resized(c.source, c.filter, 1);
    ASSERT_GT(out.size(), 54u);
    EXPECT_EQ(U32At(out, 14), c.header);
    const std::size_t offBits = U32At(out, 10);
    bool greenShows = false;
    for (std::size_t at = offBits; at + 4 <= out.size(); at += 4) {
      if (c.pixel != 1) {
        ASSERT_EQ(U32At(out, at), c.pixel) << "at byte " << at;
      }
      // Without an alpha mask the fourth byte means nothing: every pixel shows.
      greenShows = greenShows || ((c.header == 40 || out[at + 3] > 0) && out[at + 1] > 1);
    }
    EXPECT_EQ(greenShows, c.green);
    for (const int threads : {2, 3}) EXPECT_EQ(Resized(c.source, c.filter, threads), out) << threads << " threads";
    EXPECT_EQ(Resized(c.source, c.filter, 3, c.filter == 0 ? 0 : BMPRESIZE_LINEAR),
              Resized(c.source, c.filter, 1, c.filter == 0 ? 0 : BMPRESIZE_LINEAR));
  }
}

}  // namespace
