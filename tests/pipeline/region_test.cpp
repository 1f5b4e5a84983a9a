// SPDX-License-Identifier: MIT
// A region of the source resized: the bytes of the whole-picture resize of
// the picture cut to the region, for files of every way of storing rows, any
// region inside the picture, any percent and any thread count; what is
// refused, and where a source cut short shows in the region.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "api/checked_options.h"
#include "api/option_calls.h"
#include "bmpfile/bmp_headers.h"
#include "bmpfile/bmp_reader.h"
#include "files/native_path.h"
#include "image/bmp_image.h"
#include "pipeline/scaled_size.h"
#include "reference/area_resize_image.h"
#include "reference/filtered_image.h"
#include "reference/asked_size.h"
#include "reference/at_depth.h"
#include "reference/crop_image.h"
#include "reference/resize_image.h"
#include "reference/write_bmp_file.h"
#include "support/bmp_bytes.h"
#include "support/random_bmp.h"
#include "support/temp_dir.h"
#include "support/vector_sink.h"

using namespace bmpresize;

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Region {
  std::int32_t x, y, width, height;
};

enum class Storage { kBottomUp, kTopDown, kRunLength8, kRunLength4, kTopDownRunLength8, kTopDownRunLength4 };

// Rows of random run-length commands, ending in an end of bitmap, now and
// then cut short: runs, absolute runs, ends of line and deltas.
Bytes RandomRunLength(Random& r, std::uint16_t depth, bool topDown) {
  const std::int32_t width = 1 + static_cast<std::int32_t>(r.Below(37));
  const std::int32_t height = 1 + static_cast<std::int32_t>(r.Below(37));
  const std::uint32_t entries = 1u << depth;
  BmpBytes b;
  b.Headers(width, topDown ? -height : height, depth, kHeadersSize + 4 * entries, depth == 8 ? kBiRle8 : kBiRle4);
  for (std::uint32_t i = 0; i < entries; ++i) b.PaletteEntry({r.Byte(), r.Byte(), r.Byte(), r.Byte()});
  for (std::int32_t row = 0; row < height; ++row) {
    for (std::uint32_t command = r.Below(5); command > 0; --command) {
      switch (r.Below(6)) {
        case 0: {
          const std::uint32_t count = 3 + r.Below(6);
          b.U8(0).U8(count);
          const std::uint32_t bytes = depth == 8 ? count : (count + 1) / 2;
          for (std::uint32_t i = 0; i < bytes; ++i) b.U8(r.Byte());
          if (bytes % 2 != 0) b.U8(0);
          break;
        }
        case 1:
          b.U8(0).U8(2).U8(r.Below(4)).U8(r.Below(5) == 0 ? 1 : 0);
          break;
        default:
          b.U8(1 + r.Below(12)).U8(r.Byte());
          break;
      }
    }
    b.U8(0).U8(0);
  }
  b.U8(0).U8(1);
  Bytes bytes = b.data();
  if (r.Below(5) == 0) bytes.resize(kHeadersSize + 4 * entries + r.Below(static_cast<std::uint32_t>(bytes.size())));
  return bytes;
}

Bytes RandomFile(Random& r, Storage storage) {
  switch (storage) {
    case Storage::kRunLength8:
      return RandomRunLength(r, 8, false);
    case Storage::kRunLength4:
      return RandomRunLength(r, 4, false);
    case Storage::kTopDownRunLength8:
      return RandomRunLength(r, 8, true);
    case Storage::kTopDownRunLength4:
      return RandomRunLength(r, 4, true);
    case Storage::kBottomUp:
    case Storage::kTopDown:
      break;
  }
  Bytes bytes = RandomBmp(r);
  // The same rows read from the top down: the height's sign bit set.
  if (storage == Storage::kTopDown && bytes.size() >= 26 && bytes[25] < 0x80) {
    const std::uint32_t height = LE32(bytes, 22);
    const std::uint32_t negative = ~height + 1;
    for (int i = 0; i < 4; ++i) bytes[22 + i] = static_cast<std::uint8_t>(negative >> (8 * i));
  }
  return bytes;
}

// The picture as the library's reader gives it, whole; false for a file it
// refuses or one too large to hold here.
bool ReadPicture(const Bytes& file, BmpImage& picture) {
  MemorySource source(file.data(), file.size());
  BmpReader reader;
  if (!reader.Open(source).Ok() || std::int64_t{reader.Width()} * reader.Height() > (std::int64_t{1} << 20))
    return false;
  if (!picture.SetSize(reader.Width(), reader.Height()) || !picture.SetDepth(reader.Depth() == 32 ? 32 : 24))
    return false;
  for (std::int32_t y = reader.Height() - 1; y >= 0; --y) (void)reader.ReadRow(picture.Row(y));
  return true;
}

// The reference: the picture cut to region, resized whole by percent and written.
Bytes ExpectedBytes(const BmpImage& picture, const Region& region, std::int32_t percent) {
  BmpImage cut;
  const Region whole = region.width == 0 ? Region{0, 0, picture.Width(), picture.Height()} : region;
  EXPECT_TRUE(CropImage(picture, whole.x, whole.y, whole.width, whole.height, cut));
  std::int32_t width = 0;
  std::int32_t height = 0;
  EXPECT_TRUE(ScaledSize(percent, whole.width, width) && ScaledSize(percent, whole.height, height));
  BmpImage resized;
  if (width >= 1 && height >= 1) {
    EXPECT_TRUE(resized.SetSize(width, height));
  }
  EXPECT_TRUE(resized.SetDepth(picture.Depth()));
  EXPECT_TRUE(ResizeImage(cut, resized));
  VectorSink sink;
  EXPECT_TRUE(WriteBmpImage(resized, sink));
  return sink.Bytes();
}

bmpresize_options RegionOptions(const Region& region, std::int32_t percent, std::int32_t threads, bool strict) {
  bmpresize_options options = DefaultOptions();
  options.percent = percent;
  options.threads = threads;
  options.strict = strict;
  options.region_x = region.x;
  options.region_y = region.y;
  options.region_width = region.width;
  options.region_height = region.height;
  return options;
}

// The resize of file in memory; bytes only when it succeeded.
bmpresize_result ResizeRegion(const Bytes& file, const bmpresize_options& options, Bytes& bytes) {
  MemorySourceEnd measured(file.data(), file.size());
  bmpresize_result result = Measure(measured, options);
  if (result.code != BMPRESIZE_OK) return result;
  bytes.assign(static_cast<std::size_t>(result.size), 0);
  MemorySourceEnd from(file.data(), file.size());
  MemoryDestination to(bytes.data(), bytes.size());
  return Resize(from, to, options);
}

// Regions of a width x height picture: the whole (by zeros and by its size),
// one pixel, two corners, a thin row and column, the last column and row,
// and one anywhere.
std::vector<Region> RegionsOf(Random& r, std::int32_t width, std::int32_t height) {
  const auto below = [&r](std::int32_t n) { return static_cast<std::int32_t>(r.Below(static_cast<std::uint32_t>(n))); };
  const std::int32_t halfWidth = (width + 1) / 2;
  const std::int32_t halfHeight = (height + 1) / 2;
  const std::int32_t x = below(width);
  const std::int32_t y = below(height);
  return {
      {0, 0, 0, 0},
      {0, 0, width, height},
      {below(width), below(height), 1, 1},
      {0, 0, halfWidth, halfHeight},
      {width - halfWidth, height - halfHeight, halfWidth, halfHeight},
      {0, below(height), width, 1},
      {below(width), 0, 1, height},
      {width - 1, 0, 1, height},
      {0, height - 1, width, 1},
      {x, y, 1 + below(width - x), 1 + below(height - y)},
  };
}

TEST(Region, GivesTheResizeOfThePictureCutToIt) {
  const struct {
    const char* what;
    Storage storage;
    int files;
  } kinds[] = {
      {"bottom-up", Storage::kBottomUp, 120},
      {"top-down", Storage::kTopDown, 80},
      {"run-length 8", Storage::kRunLength8, 40},
      {"run-length 4", Storage::kRunLength4, 40},
      {"top-down run-length 8", Storage::kTopDownRunLength8, 30},
      {"top-down run-length 4", Storage::kTopDownRunLength4, 30},
  };
  static const std::int32_t kPercents[] = {33, 100, 250};
  static const std::int32_t kThreads[] = {1, 2, 4};
  Random r{std::mt19937(2612)};
  for (const auto& kind : kinds) {
    for (int round = 0; round < kind.files; ++round) {
      const Bytes file = RandomFile(r, kind.storage);
      BmpImage picture;
      if (!ReadPicture(file, picture)) continue;
      for (const Region& region : RegionsOf(r, picture.Width(), picture.Height())) {
        for (const std::int32_t percent : kPercents) {
          const std::int32_t threads = kThreads[r.Below(3)];
          SCOPED_TRACE(std::string(kind.what) + " round " + std::to_string(round) + ", region " +
                       std::to_string(region.x) + "," + std::to_string(region.y) + "," + std::to_string(region.width) +
                       "," + std::to_string(region.height) + " of " + std::to_string(picture.Width()) + " x " +
                       std::to_string(picture.Height()) + ", " + std::to_string(percent) + " %, " +
                       std::to_string(threads) + " threads");
          Bytes got;
          const bmpresize_result result = ResizeRegion(file, RegionOptions(region, percent, threads, false), got);
          ASSERT_EQ(result.code, BMPRESIZE_OK);
          ASSERT_EQ(got, ExpectedBytes(picture, region, percent));
        }
      }
    }
  }
}

// The options of one resize that combines every feature: a region, a size,
// the filter, the depth, the resolution and the threads.
struct Combination {
  Region region;
  Ask ask;
  enum class Resolution { kDefault, kDpi, kKept } resolution = Resolution::kDefault;
  std::int32_t xPpm = 0, yPpm = 0;
  std::int32_t threads = 1;
};

// The resolution a resize of file writes: 3780 for an axis without one. Only
// an OS/2 1.x header (12 bytes) has none; one of a size the reader does not
// know is read as the 40-byte header.
Resolution WrittenResolution(const Bytes& file, const Combination& c) {
  std::int32_t x = c.xPpm, y = c.yPpm;
  if (c.resolution == Combination::Resolution::kKept) {
    const bool infoHeader = LE32(file, 14) != 12;
    x = infoHeader ? static_cast<std::int32_t>(LE32(file, 38)) : 0;
    y = infoHeader ? static_cast<std::int32_t>(LE32(file, 42)) : 0;
  }
  return {x != 0 ? x : 3780, y != 0 ? y : 3780};
}

// The reference for them all, one step after another: the picture cut to the
// region, resized whole by the filter to the size asked, given the depth
// and the resolution, and written.
Bytes CombinedBytes(const Bytes& file, const BmpImage& picture, const Combination& c) {
  const Region whole = c.region.width == 0 ? Region{0, 0, picture.Width(), picture.Height()} : c.region;
  BmpImage cut;
  EXPECT_TRUE(CropImage(picture, whole.x, whole.y, whole.width, whole.height, cut));
  std::int32_t width = 0;
  std::int32_t height = 0;
  EXPECT_TRUE(ReferenceSize(c.ask, whole.width, whole.height, width, height));
  BmpImage resized;
  EXPECT_TRUE(resized.SetSize(width, height) && resized.SetDepth(picture.Depth()));
  EXPECT_TRUE(FilteredImage(cut, resized, c.ask.filter));
  const std::int32_t depth = c.ask.writtenDepth != 0 ? c.ask.writtenDepth : c.ask.grey ? 8 : picture.Depth();
  EXPECT_TRUE(SetWrittenDepth(resized, picture.Depth(), depth, c.ask.grey));
  resized.SetResolution(WrittenResolution(file, c));
  VectorSink sink;
  EXPECT_TRUE(WriteBmpImage(resized, sink));
  return sink.Bytes();
}

bmpresize_options CombinedOptions(const Combination& c) {
  bmpresize_options options = RegionOptions(c.region, c.ask.percent, c.threads, false);
  options.width = c.ask.width;
  options.height = c.ask.height;
  options.flags = c.ask.flags | (c.ask.grey ? BMPRESIZE_GREY : 0) |
                  (c.resolution == Combination::Resolution::kKept ? BMPRESIZE_KEEP_RESOLUTION : 0);
  options.filter = static_cast<std::int16_t>(c.ask.filter);
  options.depth = static_cast<std::int16_t>(c.ask.writtenDepth);
  options.x_ppm = c.xPpm;
  options.y_ppm = c.yPpm;
  return options;
}

// The resize of file from a read function that gives a few bytes a call
// (read once, front to back) to a write function; bytes only when it
// succeeded.
Bytes ResizeThroughFunctions(const Bytes& file, const bmpresize_options& options) {
  struct Stream {
    const Bytes& in;
    std::size_t at;
    Bytes out;
  } stream{file, 0, {}};
  const bmpresize_read_fn read = [](void* user, void* buffer, std::size_t size, std::size_t* got) {
    auto& s = *static_cast<Stream*>(user);
    *got = std::min({size, s.in.size() - s.at, std::size_t{7}});
    std::copy_n(s.in.data() + s.at, *got, static_cast<std::uint8_t*>(buffer));
    s.at += *got;
    return 0;
  };
  const bmpresize_write_fn write = [](void* user, const void* data, std::size_t size) {
    auto& out = static_cast<Stream*>(user)->out;
    out.insert(out.end(), static_cast<const std::uint8_t*>(data), static_cast<const std::uint8_t*>(data) + size);
    return 0;
  };
  CallbackSourceEnd from(read, &stream);
  CallbackDestination to(write, &stream);
  return Resize(from, to, options).code == BMPRESIZE_OK ? stream.out : Bytes();
}

// The resize of file written to a file in folder and read back from another
// there, bands reading it at offsets; bytes only when it succeeded.
Bytes ResizeFileToFile(const Bytes& file, const bmpresize_options& options, const TempDir& folder) {
  const std::string source = folder.File("in.bmp"), destination = folder.File("out.bmp");
  WriteFileBytes(source, file);
  std::remove(destination.c_str());
  const NativePath from8(source.c_str()), to8(destination.c_str());
  PathSource from(from8.get());
  PathDestination to(to8.get());
  return Resize(from, to, options).code == BMPRESIZE_OK ? ReadFileBytes(destination) : Bytes();
}

// The kinds of file the combinations are drawn on: a depth of random files
// (0: any), or a way of storing rows.
struct FileKind {
  const char* what;
  Storage storage;
  std::uint32_t depth;
};

// A file of kind that the reader takes, its picture, and a random resolution
// in its info header.
Bytes ReadableFile(Random& r, const FileKind& kind, BmpImage& picture) {
  for (;;) {
    Bytes file = RandomFile(r, kind.storage);
    if (file.size() < 46 || (kind.depth != 0 && LE16(file, 28) != kind.depth)) continue;
    for (std::size_t at = 38; at < 46; ++at) file[at] = r.Below(3) == 0 ? 0 : r.Byte();
    if (ReadPicture(file, picture)) return file;
  }
}

// No region, a corner, or a row or column one pixel thin.
Region RandomRegion(Random& r, std::int32_t width, std::int32_t height) {
  const auto upTo = [&r](std::int32_t n) {
    return 1 + static_cast<std::int32_t>(r.Below(static_cast<std::uint32_t>(n)));
  };
  switch (r.Below(3)) {
    case 0:
      return {0, 0, 0, 0};
    case 1: {
      const std::int32_t w = upTo(width), h = upTo(height);
      const bool right = r.Below(2) == 0, bottom = r.Below(2) == 0;
      return {right ? width - w : 0, bottom ? height - h : 0, w, h};
    }
    default:
      if (r.Below(2) == 0) return {upTo(width) - 1, 0, 1, height};
      return {0, upTo(height) - 1, width, 1};
  }
}

// A percent, a width, a box to fit in, or any of them (or an exact size)
// never enlarged.
Ask RandomSize(Random& r) {
  static const std::int32_t kPercents[] = {1, 33, 50, 100, 150, 250};
  Ask ask;
  const std::uint32_t mode = r.Below(4);
  switch (mode == 3 ? r.Below(4) : mode) {
    case 0:
      ask.percent = kPercents[r.Below(6)];
      break;
    case 1:
      ask.width = 1 + static_cast<std::int32_t>(r.Below(60));
      break;
    case 2:
      ask.flags = BMPRESIZE_FIT;
      [[fallthrough]];
    default:
      ask.width = 1 + static_cast<std::int32_t>(r.Below(60));
      ask.height = 1 + static_cast<std::int32_t>(r.Below(60));
      break;
  }
  if (mode == 3) ask.flags |= BMPRESIZE_NO_ENLARGE;
  return ask;
}

std::string Describe(const FileKind& kind, const BmpImage& picture, const Combination& c) {
  const Region& g = c.region;
  const Ask& a = c.ask;
  return std::string(kind.what) + " " + std::to_string(picture.Width()) + " x " + std::to_string(picture.Height()) +
         ", region " + std::to_string(g.x) + "," + std::to_string(g.y) + "," + std::to_string(g.width) + "," +
         std::to_string(g.height) + ", percent " + std::to_string(a.percent) + " size " + std::to_string(a.width) +
         " x " + std::to_string(a.height) + " flags " + std::to_string(a.flags) + ", filter " +
         std::to_string(a.filter) + ", depth " + std::to_string(a.writtenDepth) + (a.grey ? " grey" : "") +
         ", resolution " + std::to_string(static_cast<int>(c.resolution)) + ", " + std::to_string(c.threads) +
         " threads";
}

// Every feature at once, on combinations drawn at random (the whole product
// would take too long): the bytes of the reference that takes one step at a
// time.
TEST(Region, CombinedWithEveryFeatureGivesTheStepByStepBytes) {
  static const FileKind kKinds[] = {
      {"24-bit", Storage::kBottomUp, 24}, {"32-bit", Storage::kBottomUp, 32}, {"8-bit indexed", Storage::kBottomUp, 8},
      {"16-bit", Storage::kBottomUp, 16}, {"top-down", Storage::kTopDown, 0}, {"run-length 8", Storage::kRunLength8, 0},
  };
  static const struct {
    std::int32_t depth;
    bool grey;
  } kDepths[] = {{0, false}, {8, false}, {4, true}, {16, false}, {32, false}, {1, false}, {0, true}};
  Random r{std::mt19937(31415)};
  TempDir folder;
  for (int round = 0; round < 150; ++round) {
    const FileKind& kind = kKinds[r.Below(sizeof kKinds / sizeof kKinds[0])];
    BmpImage picture;
    const Bytes file = ReadableFile(r, kind, picture);
    Combination c;
    c.region = RandomRegion(r, picture.Width(), picture.Height());
    c.ask = RandomSize(r);
    c.ask.filter = static_cast<int>(r.Below(BMPRESIZE_FILTER_LANCZOS3 + 1));  // every filter
    const auto& depth = kDepths[r.Below(7)];
    c.ask.writtenDepth = depth.depth;
    c.ask.grey = depth.grey;
    c.resolution = static_cast<Combination::Resolution>(r.Below(3));
    if (c.resolution == Combination::Resolution::kDpi) {
      c.xPpm = PixelsPerMetreFromDpi(1 + static_cast<std::int32_t>(r.Below(1200)));
      c.yPpm = r.Below(2) == 0 ? c.xPpm : PixelsPerMetreFromDpi(1 + static_cast<std::int32_t>(r.Below(1200)));
    }
    c.threads = r.Below(2) == 0 ? 1 : 3;
    SCOPED_TRACE("round " + std::to_string(round) + ": " + Describe(kind, picture, c));
    const bmpresize_options options = CombinedOptions(c);
    Bytes got;
    ASSERT_EQ(ResizeRegion(file, options, got).code, BMPRESIZE_OK);
    ASSERT_EQ(got, CombinedBytes(file, picture, c));
    ASSERT_EQ(ResizeThroughFunctions(file, options), got);
    ASSERT_EQ(ResizeFileToFile(file, options, folder), got);
  }
}

// A region not inside the picture, or one the options cannot ask for: the
// options are refused before the source is read (a file that is no BMP
// says so only for a region the options may ask for).
TEST(Region, RefusesWhatIsNotInsideThePicture) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  const Bytes picture = BmpBytes().Headers(7, 5, 24, 54).Zeros(24 * 5).data();
  const Bytes notBmp = {'n', 'o', 't', ' ', 'a', ' ', 'B', 'M', 'P'};
  const struct {
    const char* what;
    const Bytes& file;
    Region region;
    bmpresize_cause cause;  // 0: resized
    std::int64_t value;
    std::int64_t limit;
  } cases[] = {
      {"the whole picture", picture, {0, 0, 7, 5}, BMPRESIZE_CAUSE_NONE, 0, 0},
      {"the last pixel", picture, {6, 4, 1, 1}, BMPRESIZE_CAUSE_NONE, 0, 0},
      {"past the right", picture, {5, 0, 3, 1}, BMPRESIZE_CAUSE_REGION, 7, 5},
      {"past the bottom", picture, {0, 4, 1, 2}, BMPRESIZE_CAUSE_REGION, 7, 5},
      {"beyond the corner", picture, {7, 5, 1, 1}, BMPRESIZE_CAUSE_REGION, 7, 5},
      {"wider than the picture", picture, {0, 0, 8, 5}, BMPRESIZE_CAUSE_REGION, 7, 5},
      {"a corner past 2^31", picture, {kMax, kMax, 1, 1}, BMPRESIZE_CAUSE_REGION, 7, 5},
      {"a size past 2^31", picture, {1, 0, kMax, 1}, BMPRESIZE_CAUSE_REGION, 7, 5},
      {"no width", picture, {0, 0, 0, 3}, BMPRESIZE_CAUSE_OPTION, 0, 0},
      {"no height", picture, {0, 0, 3, 0}, BMPRESIZE_CAUSE_OPTION, 0, 0},
      {"a negative x", picture, {-1, 0, 1, 1}, BMPRESIZE_CAUSE_OPTION, -1, 0},
      {"a negative y", picture, {0, -3, 1, 1}, BMPRESIZE_CAUSE_OPTION, -3, 0},
      {"a negative height", picture, {0, 0, 1, -2}, BMPRESIZE_CAUSE_OPTION, -2, 0},
      {"a negative corner, no size", picture, {-1, 0, 0, 0}, BMPRESIZE_CAUSE_OPTION, -1, 0},
      {"a negative size of no BMP", notBmp, {0, 0, -1, 1}, BMPRESIZE_CAUSE_OPTION, -1, 0},
      {"no BMP", notBmp, {0, 0, 1, 1}, BMPRESIZE_CAUSE_NOT_BMP, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes bytes;
    const bmpresize_result result = ResizeRegion(c.file, RegionOptions(c.region, 100, 1, false), bytes);
    EXPECT_EQ(result.cause, c.cause);
    EXPECT_EQ(result.code == BMPRESIZE_OK, c.cause == BMPRESIZE_CAUSE_NONE);
    if (c.cause == BMPRESIZE_CAUSE_NONE) {
      EXPECT_EQ(result.width, c.region.width);
      EXPECT_EQ(result.height, c.region.height);
    } else if (c.cause != BMPRESIZE_CAUSE_NOT_BMP) {
      EXPECT_EQ(result.code, BMPRESIZE_TOO_LARGE);
      EXPECT_EQ(result.value, c.value);
      EXPECT_EQ(result.limit, c.limit);
    }
  }
}

// A file cut short: the region's rows beyond the data are white, and the
// shortfall tells of the region's rows as though it were the whole picture.
// A region whose rows all came is not cut short, strict or not.
TEST(Region, ShortfallTellsOfTheRegionsRows) {
  constexpr std::int32_t kWidth = 4;  // 12 bytes a row, no padding
  constexpr std::int32_t kHeight = 10;
  constexpr std::int32_t kRowsInFile = 6;
  const auto cutFile = [](bool topDown) {
    BmpBytes b;
    b.Headers(kWidth, topDown ? -kHeight : kHeight, 24, 54);
    for (std::int32_t i = 0; i < 12 * kRowsInFile + 5; ++i) b.U8(static_cast<std::uint32_t>(i * 7 + 1));
    return b.data();
  };
  const Bytes bottomUp = cutFile(false);  // the picture's bottom 6 rows, y 4 to 9
  const Bytes topDown = cutFile(true);    // its top 6 rows, y 0 to 5
  const struct {
    const char* what;
    const Bytes& file;
    Region region;
    bool cutShort;
    std::int64_t rowsRead;
  } cases[] = {
      {"bottom-up, the whole picture", bottomUp, {0, 0, 0, 0}, true, 6},
      {"bottom-up, above the data", bottomUp, {0, 0, 4, 3}, true, 0},
      {"bottom-up, across the data's end", bottomUp, {1, 2, 2, 4}, true, 2},
      {"bottom-up, within the data", bottomUp, {0, 6, 3, 4}, false, 0},
      {"top-down, the whole picture", topDown, {0, 0, 0, 0}, true, 6},
      {"top-down, within the data", topDown, {0, 0, 4, 3}, false, 0},
      {"top-down, across the data's end", topDown, {2, 4, 2, 4}, true, 2},
      {"top-down, below the data", topDown, {0, 8, 4, 2}, true, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    BmpImage picture;
    ASSERT_TRUE(ReadPicture(c.file, picture));
    for (const std::int32_t threads : {1, 3}) {
      Bytes got;
      const bmpresize_result result = ResizeRegion(c.file, RegionOptions(c.region, 100, threads, false), got);
      ASSERT_EQ(result.code, BMPRESIZE_OK);
      EXPECT_EQ(got, ExpectedBytes(picture, c.region, 100));
      EXPECT_EQ(result.shortfall.cut_short != 0, c.cutShort);
      EXPECT_EQ(result.shortfall.rows_read, c.rowsRead);
      EXPECT_EQ(result.shortfall.rows, c.region.width == 0 ? kHeight : c.region.height);
      const bmpresize_result strict = ResizeRegion(c.file, RegionOptions(c.region, 100, threads, true), got);
      EXPECT_EQ(strict.cause, c.cutShort ? BMPRESIZE_CAUSE_CUT_SHORT : BMPRESIZE_CAUSE_NONE);
    }
  }
}

}  // namespace

namespace {

// A 24-bit picture of width x height with pixels from r.
Bytes RandomPicture(Random& r, std::int32_t width, std::int32_t height) {
  const std::int32_t stride = (width * 3 + 3) / 4 * 4;
  BmpBytes b;
  b.Headers(width, height, 24, 54);
  for (std::int32_t i = 0; i < stride * height; ++i) b.U8(r.Byte());
  return b.data();
}

}  // namespace

// Cover: exactly the box, from the largest centred rectangle of its aspect
// within the picture (or the region): the bytes of that rectangle as a
// region resized to the box's size.
TEST(Region, CoverResizesTheCentredRectangleOfTheBoxsAspect) {
  const struct {
    const char* what;
    std::int32_t width, height;
    Region within;  // 0 x 0: the whole picture
    std::int32_t boxWidth, boxHeight;
    Region rectangle;
  } cases[] = {
      {"wide source, square box", 9, 4, {0, 0, 0, 0}, 2, 2, {2, 0, 4, 4}},
      {"tall source, square box", 4, 9, {0, 0, 0, 0}, 3, 3, {0, 2, 4, 4}},
      {"square source, wide box", 6, 6, {0, 0, 0, 0}, 4, 2, {0, 1, 6, 3}},
      {"square source, tall box", 6, 6, {0, 0, 0, 0}, 2, 4, {1, 0, 3, 6}},
      {"square source, square box", 5, 5, {0, 0, 0, 0}, 8, 8, {0, 0, 5, 5}},
      {"the box's aspect already", 8, 4, {0, 0, 0, 0}, 4, 2, {0, 0, 8, 4}},
      // 3 x 1 / 2 = 1.5 rounds up to 2; the odd pixel of the rest on the right.
      {"a half rounds up", 7, 3, {0, 0, 0, 0}, 1, 2, {2, 0, 2, 3}},
      {"less than a pixel wide keeps 1", 40, 1, {0, 0, 0, 0}, 1, 90, {19, 0, 1, 1}},
      {"less than a pixel high keeps 1", 1, 40, {0, 0, 0, 0}, 90, 1, {0, 19, 1, 1}},
      {"within a region", 20, 10, {3, 2, 10, 6}, 1, 1, {5, 2, 6, 6}},
      {"within a tall region", 20, 10, {3, 1, 4, 9}, 2, 1, {3, 4, 4, 2}},
  };
  Random r{std::mt19937(35)};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Bytes file = RandomPicture(r, c.width, c.height);
    bmpresize_options cover = RegionOptions(c.within, 100, 1, false);
    cover.flags = BMPRESIZE_COVER;
    cover.width = c.boxWidth;
    cover.height = c.boxHeight;
    bmpresize_options cropped = RegionOptions(c.rectangle, 100, 1, false);
    cropped.width = c.boxWidth;
    cropped.height = c.boxHeight;
    Bytes got, want;
    const bmpresize_result result = ResizeRegion(file, cover, got);
    ASSERT_EQ(result.code, BMPRESIZE_OK);
    EXPECT_EQ(result.width, c.boxWidth);
    EXPECT_EQ(result.height, c.boxHeight);
    ASSERT_EQ(ResizeRegion(file, cropped, want).code, BMPRESIZE_OK);
    EXPECT_EQ(got, want);
  }
}
