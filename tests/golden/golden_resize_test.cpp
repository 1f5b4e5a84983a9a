// SPDX-License-Identifier: MIT
// Resizes a fixed set of generated pictures through the library's export and
// compares a hash of every written file with the hash recorded here. The same
// test runs on every platform the library is built for (32-bit soft-float ARM,
// big-endian s390x, Windows), so passing everywhere shows the bytes are
// identical everywhere.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "bmpresize.h"
#include "bmpresizescale.h"
#include "support/bmp_bytes.h"
#include "support/temp_dir.h"
#include "support/export_call.h"

using namespace bmpresize;

namespace {

// A small generator with the same sequence on every platform.
class Lcg {
 public:
  explicit Lcg(std::uint32_t seed) : state_(seed) {}
  std::uint8_t Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<std::uint8_t>(state_ >> 24);
  }

 private:
  std::uint32_t state_;
};

std::uint64_t Fnv1a(const std::vector<std::uint8_t>& bytes) {
  std::uint64_t h = 1469598103934665603ull;
  for (std::uint8_t b : bytes) h = (h ^ b) * 1099511628211ull;
  return h;
}

std::uint32_t Stride(std::int32_t width, int depth) {
  return static_cast<std::uint32_t>((width * depth + 31) / 32 * 4);
}

// A bottom-up BMP of the given depth whose palette (if any) and pixel bytes
// come from the generator; row padding stays zero.
std::vector<std::uint8_t> MakeSource(std::int32_t width, std::int32_t height, int depth, std::uint32_t seed,
                                     std::uint32_t compression = 0) {
  Lcg random(seed);
  const int entries = depth <= 8 ? 1 << depth : 0;
  const std::uint32_t tableBytes = entries * 4 + (compression == 3 ? 12 : 0);
  BmpBytes bytes;
  bytes.Headers(width, height, static_cast<std::uint16_t>(depth), 54 + tableBytes, compression);
  for (int i = 0; i < entries; ++i) bytes.PaletteEntry({random.Next(), random.Next(), random.Next(), 0});
  if (compression == 3) bytes.U32(0xF800).U32(0x07E0).U32(0x001F);
  const std::uint32_t dataBytes = static_cast<std::uint32_t>((width * depth + 7) / 8);
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::uint32_t i = 0; i < dataBytes; ++i) bytes.U8(random.Next());
    bytes.Zeros(Stride(width, depth) - dataBytes);
  }
  return bytes.data();
}

std::vector<std::uint8_t> White2x2() {
  BmpBytes bytes;
  bytes.Headers(2, 2, 24, 54);
  for (int row = 0; row < 2; ++row) bytes.Bytes({255, 255, 255, 255, 255, 255, 0, 0});
  return bytes.data();
}

struct GoldenCase {
  const char* name;
  std::vector<std::uint8_t> (*source)();
  std::int32_t percent;
  std::uint64_t hash;
};

std::vector<std::uint8_t> Rgb24Odd() { return MakeSource(7, 5, 24, 1); }
std::vector<std::uint8_t> Rgba32() { return MakeSource(9, 4, 32, 2); }
std::vector<std::uint8_t> Indexed8() { return MakeSource(13, 11, 8, 3); }
std::vector<std::uint8_t> Indexed4() { return MakeSource(5, 3, 4, 4); }
std::vector<std::uint8_t> Indexed1() { return MakeSource(17, 2, 1, 5); }
std::vector<std::uint8_t> Rgb555() { return MakeSource(6, 6, 16, 6); }
std::vector<std::uint8_t> Rgb565() { return MakeSource(3, 7, 16, 7, 3); }
std::vector<std::uint8_t> Line100() { return MakeSource(100, 1, 24, 8); }
std::vector<std::uint8_t> Rgb24Wide() { return MakeSource(31, 19, 24, 9); }

const GoldenCase kCases[] = {
    {"rgb24_7x5_at_50", Rgb24Odd, 50, 0xc16a39bb19154075ull},
    {"rgb24_7x5_at_100", Rgb24Odd, 100, 0x7fb9d1f8b8baadc4ull},
    {"rgb24_7x5_at_173", Rgb24Odd, 173, 0xfe35cfe64ae12e95ull},
    {"rgb24_7x5_at_1", Rgb24Odd, 1, 0x57e1bceb8110ec4aull},
    {"rgba32_9x4_at_66", Rgba32, 66, 0x5500fbd0c75f38a3ull},
    {"rgba32_9x4_at_250", Rgba32, 250, 0xbcc29e569142d82eull},
    {"indexed8_13x11_at_40", Indexed8, 40, 0xb6909d32359951edull},
    {"indexed8_13x11_at_300", Indexed8, 300, 0x4938eb315b8f504bull},
    {"indexed4_5x3_at_220", Indexed4, 220, 0x24a9d491b723688bull},
    {"indexed1_17x2_at_90", Indexed1, 90, 0xcfa4f22499292a63ull},
    {"indexed1_17x2_at_500", Indexed1, 500, 0xc0546639e440265cull},
    {"rgb555_6x6_at_75", Rgb555, 75, 0x3e6642367596378cull},
    {"rgb565_3x7_at_333", Rgb565, 333, 0x08f39065da5fc922ull},
    {"white_2x2_at_400", White2x2, 400, 0x65cace0a54fb1ebeull},
    {"line_100x1_at_3", Line100, 3, 0xed6d2984c0f3b045ull},
    {"rgb24_31x19_at_37", Rgb24Wide, 37, 0x6ae0f1f05c376b6bull},
    {"rgb24_31x19_at_161", Rgb24Wide, 161, 0x25111b4444cae763ull},
    {"rgb24_31x19_at_minus_20", Rgb24Wide, -20, 0xce5763d3d1934554ull},
};

class GoldenResize : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(GoldenResize, WritesTheRecordedBytes) {
  const GoldenCase& c = GetParam();
  TempDir dir;
  const std::string source = dir.File("source.bmp");
  const std::string destination = dir.File("destination.bmp");
  WriteFileBytes(source, c.source());
  ASSERT_EQ(CallExport(source, destination, c.percent), BMPRESIZE_OK);
  const std::uint64_t hash = Fnv1a(ReadFileBytes(destination));
  char printed[32];
  std::snprintf(printed, sizeof printed, "0x%016" PRIx64 "ull", hash);
  EXPECT_EQ(hash, c.hash) << c.name << " hashes to " << printed;
}

INSTANTIATE_TEST_SUITE_P(Golden, GoldenResize, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<GoldenCase>& info) { return std::string(info.param.name); });

// The filters of bmpresize.h beside the export's point sampler, memory to
// memory: their integer weights and sums give these bytes everywhere; and
// greys, each pixel its luminance or the grey entry nearest to it.
struct GoldenFilterCase {
  const char* name;
  std::vector<std::uint8_t> (*source)();
  std::int16_t filter;
  std::int32_t percent;
  std::uint64_t hash;
  std::int32_t flags = 0;
  std::int16_t depth = 0;
};

// A 108-byte header declaring alpha, its pixels (alpha too) from the generator.
std::vector<std::uint8_t> Alpha32() {
  Lcg random(10);
  const std::int32_t width = 23, height = 17;
  BmpBytes bytes;
  bytes.U16(0x4D42).U32(122 + 4 * width * height).U16(0).U16(0).U32(122);
  bytes.U32(108).U32(width).U32(height).U16(1).U16(32).U32(3).U32(4 * width * height).U32(2835).U32(2835).U32(0).U32(0);
  bytes.U32(0x00FF0000).U32(0x0000FF00).U32(0x000000FF).U32(0xFF000000).U32(0x73524742).Zeros(48);
  for (std::int32_t i = 0; i < 4 * width * height; ++i) bytes.U8(random.Next());
  return bytes.data();
}

const GoldenFilterCase kFilterCases[] = {
    {"area_31x19_at_37", Rgb24Wide, BMPRESIZE_FILTER_AREA, 37, 0x51d57ab5c3f8b63eull},
    {"linear_31x19_at_37", Rgb24Wide, BMPRESIZE_FILTER_LINEAR, 37, 0x71bc6e9783398c37ull},
    {"linear_31x19_at_161", Rgb24Wide, BMPRESIZE_FILTER_LINEAR, 161, 0xf5b3a549000175a4ull},
    {"cubic_31x19_at_37", Rgb24Wide, BMPRESIZE_FILTER_CUBIC, 37, 0xddfe0cb32251108eull},
    {"cubic_31x19_at_161", Rgb24Wide, BMPRESIZE_FILTER_CUBIC, 161, 0x09fc248e4e366382ull},
    {"cubic_100x1_at_3", Line100, BMPRESIZE_FILTER_CUBIC, 3, 0x777524d133020e33ull},
    {"mitchell_31x19_at_37", Rgb24Wide, BMPRESIZE_FILTER_MITCHELL, 37, 0xbcdde10a11a01da3ull},
    {"mitchell_31x19_at_161", Rgb24Wide, BMPRESIZE_FILTER_MITCHELL, 161, 0x1ebed5a2f86f32a1ull},
    {"lanczos2_31x19_at_37", Rgb24Wide, BMPRESIZE_FILTER_LANCZOS2, 37, 0x0cac1dcec4c90836ull},
    {"lanczos2_31x19_at_161", Rgb24Wide, BMPRESIZE_FILTER_LANCZOS2, 161, 0x519fd4fd9d6b3008ull},
    {"lanczos3_31x19_at_37", Rgb24Wide, BMPRESIZE_FILTER_LANCZOS3, 37, 0x8b9024dbb3ed721cull},
    {"lanczos3_31x19_at_161", Rgb24Wide, BMPRESIZE_FILTER_LANCZOS3, 161, 0x3cd4547c422168beull},
    {"lanczos3_9x4_32_bits_at_250", Rgba32, BMPRESIZE_FILTER_LANCZOS3, 250, 0x8d10ac9cfd7f3832ull},
    {"lanczos3_13x11_indexed_at_1000", Indexed8, BMPRESIZE_FILTER_LANCZOS3, 1000, 0x34082c79d2d1b829ull},
    {"area_alpha_23x17_at_41", Alpha32, BMPRESIZE_FILTER_AREA, 41, 0xdfe35c08a9ca5ab0ull},
    {"lanczos3_alpha_23x17_at_161", Alpha32, BMPRESIZE_FILTER_LANCZOS3, 161, 0xa991fce42bd3ebc7ull},
    {"point_alpha_23x17_at_41", Alpha32, BMPRESIZE_FILTER_POINT, 41, 0x93365eba7ce82654ull},
    {"area_linear_31x19_at_37", Rgb24Wide, BMPRESIZE_FILTER_AREA, 37, 0xf55c817861e8fbfbull, BMPRESIZE_LINEAR},
    {"cubic_linear_9x4_32_bits_at_250", Rgba32, BMPRESIZE_FILTER_CUBIC, 250, 0xa0803eb777349408ull, BMPRESIZE_LINEAR},
    {"mitchell_linear_alpha_23x17_at_37", Alpha32, BMPRESIZE_FILTER_MITCHELL, 37, 0xa933e47c5934427aull,
     BMPRESIZE_LINEAR},
    {"grey_31x19_at_100", Rgb24Wide, BMPRESIZE_FILTER_POINT, 100, 0x98f48082f790f991ull, BMPRESIZE_GREY},
    {"grey_31x19_at_37", Rgb24Wide, BMPRESIZE_FILTER_POINT, 37, 0xdf1c85ade5815e51ull, BMPRESIZE_GREY},
    {"grey_4_bits_13x11_indexed_area_at_40", Indexed8, BMPRESIZE_FILTER_AREA, 40, 0x4aaa889f20009e57ull, BMPRESIZE_GREY,
     4},
    {"grey_1_bit_9x4_32_bits_lanczos3_at_250", Rgba32, BMPRESIZE_FILTER_LANCZOS3, 250, 0x8bc34f5ebb0b4fc2ull,
     BMPRESIZE_GREY, 1},
};

class GoldenFilter : public ::testing::TestWithParam<GoldenFilterCase> {};

TEST_P(GoldenFilter, WritesTheRecordedBytes) {
  const GoldenFilterCase& c = GetParam();
  const std::vector<std::uint8_t> source = c.source();
  bmpresize_options options;
  bmpresize_options_init(&options);
  options.percent = c.percent;
  options.filter = c.filter;
  options.flags = c.flags;
  options.depth = c.depth;
  bmpresize_result result;
  std::size_t size = 0;
  ASSERT_EQ(bmpresize_memory_size(source.data(), source.size(), &options, &size, &result), BMPRESIZE_OK);
  std::vector<std::uint8_t> resized(size);
  ASSERT_EQ(bmpresize_memory(source.data(), source.size(), resized.data(), size, &options, &result), BMPRESIZE_OK);
  const std::uint64_t hash = Fnv1a(resized);
  char printed[32];
  std::snprintf(printed, sizeof printed, "0x%016" PRIx64 "ull", hash);
  EXPECT_EQ(hash, c.hash) << c.name << " hashes to " << printed;
}

INSTANTIATE_TEST_SUITE_P(Golden, GoldenFilter, ::testing::ValuesIn(kFilterCases),
                         [](const ::testing::TestParamInfo<GoldenFilterCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
