// SPDX-License-Identifier: MIT
// The streaming resize against the in-memory pipeline it replaced (read the
// whole picture, sample every pixel, write the whole picture): the same result
// code and the same bytes, on many seeded random files, by a percent or by a
// size.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "api/checked_options.h"
#include "api/option_calls.h"
#include "bmpfile/bmp_headers.h"
#include "bmpfile/bmp_writer.h"
#include "bmpfile/little_endian.h"
#include "image/bmp_image.h"
#include "pipeline/scaled_size.h"
#include "reference/asked_size.h"
#include "reference/at_depth.h"
#include "reference/peek_file_header.h"
#include "reference/area_resize_image.h"
#include "reference/filtered_image.h"
#include "reference/read_bmp_file.h"
#include "reference/resize_image.h"
#include "reference/write_bmp_file.h"
#include "support/bmp_bytes.h"
#include "support/file_bytes.h"
#include "support/random_bmp.h"
#include "support/temp_dir.h"

using namespace bmpresize;

namespace {

// The whole-picture pipeline, step by step as the export used to run it; at
// a depth other than 0, the picture resized as ever, then written at that
// depth (with grey, the grey table).
std::int32_t ReferenceResize(const char* source, const char* destination, const Ask& ask) {
  if (PeekFileHeader(source).bfType != kBmpSignature) return 0;
  BmpImage sourceImage;
  if (!ReadBmpFile(sourceImage, source)) return -1;
  std::int32_t width = 0;
  std::int32_t height = 0;
  if (!ReferenceSize(ask, sourceImage.Width(), sourceImage.Height(), width, height)) return -3;
  BmpImage destinationImage;
  const std::int32_t depth = sourceImage.Depth() == 32 ? 32 : 24;
  if (width >= 1 && height >= 1) {
    BmpLayout layout;
    layout.width = width;
    layout.height = height;
    layout.depth = ask.writtenDepth != 0 ? ask.writtenDepth : depth;
    if (!HeadersFor(layout).fits) return -3;
    if (!destinationImage.SetSize(width, height)) return -3;
  }
  (void)destinationImage.SetDepth(depth);
  if (destination == nullptr) return -2;
  if (!FilteredImage(sourceImage, destinationImage, ask.filter)) return -3;
  if (ask.writtenDepth != 0 && !SetWrittenDepth(destinationImage, sourceImage.Depth(), ask.writtenDepth, ask.grey))
    return -3;
  if (!WriteBmpFile(destinationImage, destination)) return -2;
  return 999;
}

std::int32_t ReferenceResize(const char* source, const char* destination, std::int32_t percent,
                             int filter = BMPRESIZE_FILTER_POINT, std::int32_t writtenDepth = 0, bool grey = false) {
  Ask ask;
  ask.percent = percent;
  ask.filter = filter;
  ask.writtenDepth = writtenDepth;
  ask.grey = grey;
  return ReferenceResize(source, destination, ask);
}

bmpresize_result ResizeFile(const std::string& source, const std::string& destination,
                            const bmpresize_options& options) {
  const NativePath from8(source.c_str()), to8(destination.c_str());
  PathSource from(from8.get());
  PathDestination to(to8.get());
  return Resize(from, to, options);
}

bmpresize_result ResizeFile(const std::string& source, const std::string& destination, std::int32_t percent,
                            std::int32_t threads = 1, bool strict = false, int filter = BMPRESIZE_FILTER_POINT) {
  bmpresize_options options = DefaultOptions();
  options.percent = percent;
  options.threads = threads;
  options.strict = strict;
  options.filter = static_cast<std::int16_t>(filter);
  return ResizeFile(source, destination, options);
}

std::int32_t StreamingResize(const std::string& source, const std::string& destination, std::int32_t percent,
                             int filter = BMPRESIZE_FILTER_POINT) {
  return ResizeFile(source, destination, percent, 1, false, filter).code;
}

std::int32_t StreamingResize(const std::string& source, const std::string& destination, const Ask& ask) {
  const NativePath from8(source.c_str()), to8(destination.c_str());
  PathSource from(from8.get());
  PathDestination to(to8.get());
  bmpresize_options options = DefaultOptions();
  options.percent = ask.percent;
  options.width = ask.width;
  options.height = ask.height;
  options.flags = ask.flags;
  options.filter = static_cast<std::int16_t>(ask.filter);
  options.threads = 1;
  return Resize(from, to, options).code;
}

// A size in place of the percent: the width alone, the height alone, both,
// or a box to fit in, each the side or sides the percent gives.
Ask SizeOfPercent(const std::vector<std::uint8_t>& resized, int mode, int filter) {
  const auto field = [&resized](std::size_t at) { return static_cast<std::int32_t>(LoadU32LE(resized.data() + at)); };
  const std::int32_t width = field(18), height = field(22);
  Ask ask;
  ask.percent = 7;  // ignored beside a size
  ask.width = mode == 1 ? 0 : width;
  ask.height = mode == 0 ? 0 : height;
  ask.flags = mode == 3 ? BMPRESIZE_FIT : 0;
  ask.filter = filter;
  return ask;
}

bmpresize_result ResizeMemory(const std::vector<std::uint8_t>& source, std::vector<std::uint8_t>& destination,
                              const bmpresize_options& options) {
  MemorySourceEnd from(source.data(), source.size());
  MemoryDestination to(destination.data(), destination.size());
  return Resize(from, to, options);
}

bmpresize_result ResizeMemory(const std::vector<std::uint8_t>& source, std::vector<std::uint8_t>& destination,
                              std::int32_t percent, std::int32_t threads, bool strict, int filter) {
  bmpresize_options options = DefaultOptions();
  options.percent = percent;
  options.threads = threads;
  options.strict = strict;
  options.filter = static_cast<std::int16_t>(filter);
  return ResizeMemory(source, destination, options);
}

// What a caller learns from a result, besides the bytes.
void ExpectSameResult(const bmpresize_result& got, const bmpresize_result& want) {
  EXPECT_EQ(got.code, want.code);
  EXPECT_EQ(got.cause, want.cause);
  EXPECT_EQ(got.value, want.value);
  EXPECT_EQ(got.limit, want.limit);
  EXPECT_EQ(got.shortfall.cut_short, want.shortfall.cut_short);
  EXPECT_EQ(got.shortfall.rows_read, want.shortfall.rows_read);
  EXPECT_EQ(got.shortfall.top_down, want.shortfall.top_down);
  EXPECT_EQ(got.shortfall.repeats_last_pixel, want.shortfall.repeats_last_pixel);
}

TEST(StreamingResize, GivesTheWholePictureResultOnRandomFiles) {
  static const std::int32_t kPercents[] = {1, 7, 33, 50, 66, 99, 100, 101, 149, 150, 200, 250, 313, 0, -40};
  Random r{std::mt19937(20261207)};
  TempDir dir;
  const std::string source = dir.File("in.bmp");
  const std::string expected = dir.File("expected.bmp");
  const std::string actual = dir.File("actual.bmp");
  int samePicture = 0;
  for (int round = 0; round < 1500; ++round) {
    const std::vector<std::uint8_t> bytes = RandomBmp(r);
    const std::int32_t percent = kPercents[r.Below(sizeof kPercents / sizeof kPercents[0])];
    // The point sampler every other round, the other filters in turn between.
    const int filter = round % 2 == 0 ? BMPRESIZE_FILTER_POINT : round / 2 % BMPRESIZE_FILTER_LANCZOS3 + 1;
    WriteFileBytes(source, bytes);
    std::remove(expected.c_str());
    std::remove(actual.c_str());
    const std::int32_t want = ReferenceResize(source.c_str(), expected.c_str(), percent, filter);
    const std::int32_t got = StreamingResize(source, actual, percent, filter);
    ASSERT_EQ(got, want) << "round " << round << ", " << bytes.size() << " bytes at " << percent << " %, filter "
                         << filter;
    ASSERT_EQ(FileExists(actual), FileExists(expected)) << "round " << round;
    if (want != 999) continue;
    const std::vector<std::uint8_t> resized = ReadFileBytes(expected);
    ASSERT_EQ(ReadFileBytes(actual), resized) << "round " << round;
    // The same picture asked for by its size: the reference's bytes, and the
    // percent's wherever the size comes out the same.
    const Ask ask = SizeOfPercent(resized, round / 2 % 4, filter);
    SCOPED_TRACE("round " + std::to_string(round) + ", " + std::to_string(ask.width) + " x " +
                 std::to_string(ask.height) + (ask.flags != 0 ? " fit" : ""));
    ASSERT_EQ(ReferenceResize(source.c_str(), expected.c_str(), ask), 999);
    ASSERT_EQ(StreamingResize(source, actual, ask), 999);
    const std::vector<std::uint8_t> sized = ReadFileBytes(expected);
    ASSERT_EQ(ReadFileBytes(actual), sized);
    if (std::equal(sized.begin() + 18, sized.begin() + 26, resized.begin() + 18)) {
      ASSERT_EQ(sized, resized);
      ++samePicture;
    }
  }
  EXPECT_GT(samePicture, 900);
}

// Each depth written, with and without greys, on one thread and in bands:
// the picture resized as ever, each pixel then written at that depth (by the
// full search for the nearest table entry; with greys, for the entry nearest
// its luminance), byte for byte.
TEST(StreamingResize, EveryDepthIsTheResizedPictureWrittenAtIt) {
  static const std::int32_t kPercents[] = {1, 33, 50, 100, 150, 313};
  const struct {
    std::int16_t depth;
    bool grey;
    std::int16_t referenceDepth;  // what the picture is written at
  } depths[] = {
      {1, false, 1},   {4, false, 4}, {8, false, 8}, {16, false, 16}, {24, false, 24},
      {32, false, 32}, {1, true, 1},  {4, true, 4},  {8, true, 8},    {0, true, 8},
  };
  Random r{std::mt19937(2026)};
  TempDir dir;
  const std::string source = dir.File("in.bmp");
  const std::string expected = dir.File("expected.bmp");
  for (int round = 0; round < 24; ++round) {
    const std::vector<std::uint8_t> bytes = RandomBmp(r);
    const std::int32_t percent = kPercents[r.Below(sizeof kPercents / sizeof kPercents[0])];
    WriteFileBytes(source, bytes);
    for (const auto& d : depths) {
      std::remove(expected.c_str());
      const std::int32_t want =
          ReferenceResize(source.c_str(), expected.c_str(), percent, BMPRESIZE_FILTER_POINT, d.referenceDepth, d.grey);
      for (const std::int32_t threads : {1, 3}) {
        SCOPED_TRACE("round " + std::to_string(round) + ", " + std::to_string(percent) + " %, depth " +
                     std::to_string(d.depth) + (d.grey ? " grey, " : ", ") + std::to_string(threads) + " threads");
        bmpresize_options options = DefaultOptions();
        options.percent = percent;
        options.threads = threads;
        options.depth = d.depth;
        options.flags = d.grey ? BMPRESIZE_GREY : 0;
        const std::string actual = dir.File("actual.bmp");
        std::remove(actual.c_str());
        const bmpresize_result got = ResizeFile(source, actual, options);
        ASSERT_EQ(got.code, want);
        if (want != 999) continue;
        const std::vector<std::uint8_t> file = ReadFileBytes(actual);
        ASSERT_EQ(file, ReadFileBytes(expected));
        std::vector<std::uint8_t> memory(file.size());
        (void)ResizeMemory(bytes, memory, options);
        ASSERT_EQ(memory, file);
      }
    }
  }
}

// Pictures split into bands of rows on several threads give the bytes and the
// result of one thread, file to file and memory to memory, strict or not.
TEST(StreamingResize, EveryThreadCountGivesTheBytesOfOne) {
  static const std::int32_t kPercents[] = {1, 33, 50, 99, 100, 150, 200, 313};
  static const std::int32_t kThreads[] = {2, 3, 4, 5, 6, 7};
  Random r{std::mt19937(17)};
  TempDir dir;
  const std::string source = dir.File("in.bmp");
  for (int round = 0; round < 300; ++round) {
    const std::vector<std::uint8_t> bytes = RandomBmp(r);
    const std::int32_t percent = kPercents[r.Below(sizeof kPercents / sizeof kPercents[0])];
    const bool strict = round % 4 == 0;
    const int filter = round % 3 == 0   ? BMPRESIZE_FILTER_AREA
                       : round % 3 == 1 ? BMPRESIZE_FILTER_POINT
                                        : round / 3 % 5 + 2;
    WriteFileBytes(source, bytes);
    const bmpresize_result one = ResizeFile(source, dir.File("one.bmp"), percent, 1, strict, filter);
    if (one.code != 999 && one.code != -1) continue;
    const std::vector<std::uint8_t> want =
        one.code == 999 ? ReadFileBytes(dir.File("one.bmp")) : std::vector<std::uint8_t>();
    for (const std::int32_t threads : kThreads) {
      SCOPED_TRACE("round " + std::to_string(round) + ", " + std::to_string(percent) + " %, " +
                   std::to_string(threads) + " threads, filter " + std::to_string(filter));
      const std::string out = dir.File("t" + std::to_string(threads) + ".bmp");
      std::remove(out.c_str());
      ExpectSameResult(ResizeFile(source, out, percent, threads, strict, filter), one);
      ASSERT_EQ(FileExists(out), one.code == 999);
      if (one.code != 999) continue;
      ASSERT_EQ(ReadFileBytes(out), want);
      std::vector<std::uint8_t> memory(want.size());
      ExpectSameResult(ResizeMemory(bytes, memory, percent, threads, strict, filter), one);
      ASSERT_EQ(memory, want);
    }
  }
}

// Where the size is kept and the pixel array would be the same, the rows are
// copied as they are: the bytes, the shortfall and the strict failure of the
// stream, with the padding of a padded row (not copied) zeroed as ever.
TEST(StreamingResize, KeptSizeGivesTheBytesOfTheStream) {
  const struct {
    const char* what;
    std::int32_t width;
    std::uint16_t depth;
    std::uint32_t compression;
    std::uint32_t gap;      // bytes between the headers and the pixels
    std::size_t cut;        // bytes of pixel data kept; 0: all, and some after
    std::int32_t percent;   // 101 % keeps the size of these small pictures
    std::int64_t rowsRead;  // -1: whole
  } cases[] = {
      {"24 bits, no padding", 8, 24, 0, 0, 0, 100, -1},
      {"24 bits, a gap", 4, 24, 0, 10, 0, 101, -1},
      {"24 bits, cut in a row", 8, 24, 0, 0, 24 * 5 + 7, 100, 5},
      {"24 bits, no row", 8, 24, 0, 0, 3, 100, 0},
      {"24 bits, padding not zero", 5, 24, 0, 0, 0, 100, -1},
      {"32 bits", 5, 32, 0, 0, 0, 100, -1},
      {"32 bits, cut", 5, 32, 0, 0, 20 * 9, 100, 9},
      {"32 bits, bit fields", 5, 32, 3, 12, 0, 100, -1},
  };
  constexpr std::int32_t kRows = 13;
  TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    BmpBytes b;
    b.Headers(c.width, kRows, c.depth, 54 + c.gap, c.compression);
    if (c.compression == 3) {
      b.U32(0xFF0000).U32(0xFF00).U32(0xFF);
    } else {
      b.Zeros(c.gap);
    }
    const std::size_t stride = (static_cast<std::size_t>(c.width) * c.depth / 8 + 3) / 4 * 4;
    for (std::size_t i = 0; i < stride * kRows + 9; ++i) b.U8(static_cast<std::uint32_t>(i * 37 + 11));
    std::vector<std::uint8_t> bytes = b.data();
    if (c.cut != 0) bytes.resize(54 + c.gap + c.cut);
    WriteFileBytes(dir.File("in.bmp"), bytes);
    std::remove(dir.File("expected.bmp").c_str());
    ASSERT_EQ(ReferenceResize(dir.File("in.bmp").c_str(), dir.File("expected.bmp").c_str(), c.percent), 999);
    const std::vector<std::uint8_t> want = ReadFileBytes(dir.File("expected.bmp"));
    for (const bool strict : {false, true}) {
      const bmpresize_result file = ResizeFile(dir.File("in.bmp"), dir.File("out.bmp"), c.percent, 1, strict);
      std::vector<std::uint8_t> memory(want.size());
      const bmpresize_result inMemory = ResizeMemory(bytes, memory, c.percent, 2, strict, BMPRESIZE_FILTER_POINT);
      for (const bmpresize_result* result : {&file, &inMemory}) {
        EXPECT_EQ(result->shortfall.cut_short != 0, c.rowsRead >= 0);
        if (c.rowsRead >= 0) {
          EXPECT_EQ(result->shortfall.rows_read, c.rowsRead);
        }
        EXPECT_EQ(result->code, strict && c.rowsRead >= 0 ? -1 : 999);
      }
      if (strict && c.rowsRead >= 0) continue;
      EXPECT_EQ(ReadFileBytes(dir.File("out.bmp")), want);
      EXPECT_EQ(memory, want);
    }
  }
}

// Writing onto the source itself (by its path, a hard link or a symbolic
// link) must give what a separate destination gets.
TEST(StreamingResize, DestinationThatIsTheSourceGetsTheSameBytes) {
  Random r{std::mt19937(99)};
  TempDir dir;
  for (const char* how : {"same path", "hard link", "symbolic link"}) {
    SCOPED_TRACE(how);
#ifdef _WIN32
    // Symbolic links need a privilege that a test run need not have there.
    if (std::string(how) == "symbolic link") continue;
#endif
    for (int round = 0; round < 20; ++round) {
      std::vector<std::uint8_t> bytes;
      do {
        bytes = RandomBmp(r);
        WriteFileBytes(dir.File("in.bmp"), bytes);
      } while (ReferenceResize(dir.File("in.bmp").c_str(), dir.File("expected.bmp").c_str(), 150) != 999);
      std::string destination = dir.File("in.bmp");
      std::remove(dir.File("link.bmp").c_str());
      if (std::string(how) == "hard link") {
        std::filesystem::create_hard_link(dir.File("in.bmp"), dir.File("link.bmp"));
        destination = dir.File("link.bmp");
      } else if (std::string(how) == "symbolic link") {
        std::filesystem::create_symlink(dir.File("in.bmp"), dir.File("link.bmp"));
        destination = dir.File("link.bmp");
      }
      ASSERT_EQ(StreamingResize(dir.File("in.bmp"), destination, 150), 999);
      ASSERT_EQ(ReadFileBytes(destination), ReadFileBytes(dir.File("expected.bmp")));
      // A new file takes the name: another hard link keeps the old picture,
      // a symbolic link leads to the new one.
      if (std::string(how) == "hard link") {
        ASSERT_EQ(ReadFileBytes(dir.File("in.bmp")), bytes);
      }
      if (std::string(how) == "symbolic link") {
        ASSERT_TRUE(std::filesystem::is_symlink(destination));
      }
    }
  }
}

}  // namespace
