// SPDX-License-Identifier: MIT
// The reader on the formats other programs write: run-length encoded rows
// (bottom-up and top-down), top-down rows, 2-bit pixels, OS/2 1.x headers,
// colour tables and masks after longer info headers, 16-bit masks below bit 4
// and 32-bit bit fields. Files are built byte by byte and read both whole
// (ReadBmpFile) and row by row through the reader, from a path and from a pipe
// that cannot seek, with and without skipping rows first.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <ostream>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#if !defined(_WIN32)
#include <unistd.h>

#include <thread>
#endif

#include "bmpfile/bmp_reader.h"
#include "image/colour_tables.h"
#include "reference/read_bmp_file.h"
#include "support/bmp_bytes.h"
#include "support/file_bytes.h"
#include "support/random_bmp.h"
#include "support/temp_dir.h"
#include "support/test_pixels.h"

using namespace bmpresize;

namespace {

using Bytes = std::vector<std::uint8_t>;
using Pixels = std::vector<PixelBGRA>;

// Palette entry i as the tests write it: distinct from every other and from white.
PixelBGRA Entry(int i) {
  return {static_cast<std::uint8_t>(i * 3), static_cast<std::uint8_t>(i * 5 + 1), static_cast<std::uint8_t>(200 - i),
          static_cast<std::uint8_t>(i)};
}

// A picture as rows from the top, one character a pixel: '.' white, else the
// palette entry with that base-36 digit.
Pixels Expected(const std::vector<std::string>& rows) {
  Pixels out;
  for (const std::string& row : rows) {
    for (char c : row) {
      if (c == '.') {
        out.push_back(kWhite);
      } else {
        out.push_back(Entry(c <= '9' ? c - '0' : c - 'a' + 10));
      }
    }
  }
  return out;
}

enum class Via { kWhole, kRows, kRowsSkippingOne, kPipe, kPipeSkippingOne };
const Via kAllWays[] = {Via::kWhole, Via::kRows, Via::kRowsSkippingOne, Via::kPipe, Via::kPipeSkippingOne};
const char* Name(Via via) {
  switch (via) {
    case Via::kWhole:
      return "ReadBmpFile";
    case Via::kRows:
      return "rows from a path";
    case Via::kRowsSkippingOne:
      return "rows from a path, the bottom one skipped";
    case Via::kPipe:
      return "rows from a pipe";
    case Via::kPipeSkippingOne:
      return "rows from a pipe, the bottom one skipped";
  }
  return "";
}

// The depth a way of reading tells: the file's, but the image of a whole
// read holds a 2-bit file at 8 bits.
int DepthSeen(Via via, int depth) { return via == Via::kWhole ? ImageDepthFor(depth) : depth; }

struct Picture {
  bool accepted = false;
  std::int32_t width = 0, height = 0, depth = 0;
  Pixels pixels;               // rows from the top
  std::vector<int> answers;    // ReadRow's answers, bottom row first
  bool bottomSkipped = false;  // the bottom row was skipped: not compared
};

Picture ReadRows(BmpReader& reader, ByteSource& source, bool skipOne) {
  Picture p;
  p.accepted = reader.Open(source).Ok();
  if (!p.accepted) return p;
  p.width = reader.Width();
  p.height = reader.Height();
  p.depth = reader.Depth();
  p.pixels.assign(static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height), PixelBGRA{1, 2, 3, 4});
  std::int32_t first = 0;
  if (skipOne) {
    reader.SkipRows(1);
    first = 1;
    p.bottomSkipped = true;
  }
  for (std::int32_t i = first; i < p.height; ++i) {
    const std::int32_t y = p.height - 1 - i;
    PixelRow row{p.pixels.data() + static_cast<std::ptrdiff_t>(y) * p.width, 1, p.width};
    p.answers.push_back(reader.ReadRow(row));
  }
  return p;
}

Picture Read(const Bytes& bytes, Via via) {
  TempDir dir;
  const std::string path = dir.File("in.bmp");
  WriteFileBytes(path, bytes);
  const bool skip = via == Via::kRowsSkippingOne || via == Via::kPipeSkippingOne;
  if (via == Via::kWhole) {
    BmpImage image;
    Picture p;
    p.accepted = ReadBmpFile(image, path.c_str()) == 1;
    p.width = image.Width();
    p.height = image.Height();
    p.depth = image.Depth();
    for (std::int32_t y = 0; y < p.height; ++y)
      for (std::int32_t x = 0; x < p.width; ++x) p.pixels.push_back(image.PixelAt(x, y));
    return p;
  }
  if (via == Via::kRows || via == Via::kRowsSkippingOne) {
    FileBytes file(path);
    BmpReader reader;
    return ReadRows(reader, file.Source(), skip);
  }
#if defined(_WIN32)
  // No pipe here: the path stands in for it.
  FileBytes file(path);
  BmpReader reader;
  return ReadRows(reader, file.Source(), skip);
#else
  int fds[2];
  if (pipe(fds) != 0) {
    ADD_FAILURE() << "no pipe";
    return {};
  }
  // Written from a thread of its own, since a file may be larger than the
  // pipe's buffer.
  std::thread writer([&bytes, fd = fds[1]] {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    close(fd);
  });
  std::FILE* stream = fdopen(fds[0], "rb");
  FileSource source(stream);
  BmpReader reader;
  Picture p = ReadRows(reader, source, skip);
  // Whatever the reader left unread is drained, so the writer can finish.
  char drain[4096];
  while (std::fread(drain, 1, sizeof drain, stream) > 0) {
  }
  writer.join();
  std::fclose(stream);
  return p;
#endif
}

void ExpectPicture(const Picture& p, std::int32_t width, std::int32_t height, const Pixels& expected) {
  ASSERT_TRUE(p.accepted);
  ASSERT_EQ(p.width, width);
  ASSERT_EQ(p.height, height);
  ASSERT_EQ(p.pixels.size(), expected.size());
  const std::int32_t compared = p.bottomSkipped ? height - 1 : height;
  for (std::int32_t y = 0; y < compared; ++y)
    for (std::int32_t x = 0; x < width; ++x) {
      const std::size_t at =
          static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
      const PixelBGRA a = p.pixels[at], e = expected[at];
      EXPECT_EQ(a, e) << "pixel " << x << "," << y << ": got " << int(a.blue) << "," << int(a.green) << ","
                      << int(a.red) << "," << int(a.alpha) << " want " << int(e.blue) << "," << int(e.green) << ","
                      << int(e.red) << "," << int(e.alpha);
    }
}

// ---------------------------------------------------------------- run-length

struct RleCase {
  const char* name;
  std::uint16_t depth;         // 8: RLE8, 4: RLE4
  std::int32_t width, height;  // a negative height: the data starts at the top row
  int entries;                 // palette entries the file carries
  Bytes stream;
  std::vector<std::string> picture;  // from the top
};
std::ostream& operator<<(std::ostream& os, const RleCase& c) { return os << c.name; }

Bytes RleFile(const RleCase& c) {
  BmpBytes file;
  file.Headers(c.width, c.height, c.depth, 54 + 4 * static_cast<std::uint32_t>(c.entries), c.depth == 8 ? 1 : 2);
  for (int i = 0; i < c.entries; ++i) file.PaletteEntry(Entry(i));
  return file.Bytes(c.stream).data();
}

// An absolute run of 255 pixels (1, 2, 3, ... 255), its padding byte, a run of
// one pixel 2 on the next row, end of bitmap.
Bytes LongAbsoluteRun() {
  Bytes b = {0, 255};
  for (int i = 1; i <= 255; ++i) b.push_back(static_cast<std::uint8_t>(i));
  b.insert(b.end(), {0, 0, 0, 1, 2, 0, 1});
  return b;
}

class RunLength : public ::testing::TestWithParam<RleCase> {};

TEST_P(RunLength, DecodesEveryWayAlike) {
  const RleCase& c = GetParam();
  for (Via via : kAllWays) {
    SCOPED_TRACE(Name(via));
    const Picture p = Read(RleFile(c), via);
    ExpectPicture(p, c.width, std::abs(c.height), Expected(c.picture));
    EXPECT_EQ(p.depth, c.depth);
  }
}

INSTANTIATE_TEST_SUITE_P(
    BmpReader, RunLength,
    ::testing::Values(
        RleCase{"EncodedRunsAndEndOfLine",
                8,
                6,
                4,
                16,
                {3, 1, 2, 2, 0, 0, 6, 3, 0, 0, 0, 1},
                {"......", "......", "333333", "11122."}},
        RleCase{"OddAbsoluteRunIsPadded", 8, 6, 2, 16, {0, 3, 4, 5, 6, 0, 2, 7, 0, 1}, {"......", "45677."}},
        RleCase{"EvenAbsoluteRunIsNotPadded", 8, 6, 2, 16, {0, 4, 1, 2, 3, 4, 1, 5, 0, 1}, {"......", "12345."}},
        RleCase{"DeltaWithinTheRowAndUp",
                8,
                6,
                4,
                16,
                {1, 1, 0, 2, 2, 0, 1, 2, 0, 2, 1, 2, 1, 3, 0, 1},
                {"......", ".....3", "......", "1..2.."}},
        RleCase{"RunPastTheRowEndIsDroppedNotWrapped",
                8,
                6,
                2,
                16,
                {10, 1, 0, 3, 2, 2, 2, 0, 0, 0, 2, 3, 0, 1},
                {"33....", "111111"}},
        RleCase{"AbsoluteRunClippedAtTheRowEnd",
                8,
                6,
                2,
                16,
                {4, 1, 0, 5, 2, 3, 4, 5, 6, 0, 0, 0, 1, 4, 0, 1},
                {"4.....", "111123"}},
        RleCase{"LongestAbsoluteRunClipped", 8, 6, 2, 16, LongAbsoluteRun(), {"2.....", "123456"}},
        RleCase{"DeltaFarToTheRightDropsTheRestOfTheRow",
                8,
                6,
                2,
                16,
                {1, 1, 0, 2, 255, 0, 0, 2, 255, 0, 9, 2, 0, 0, 1, 3},
                {"3.....", "1....."}},
        RleCase{"EndOfLineOnTheTopRowStops", 8, 6, 2, 16, {1, 1, 0, 0, 1, 2, 0, 0, 1, 3, 0, 1}, {"2.....", "1....."}},
        RleCase{"DeltaAboveTheTopStops", 8, 6, 2, 16, {1, 1, 0, 2, 0, 5, 1, 2, 0, 1}, {"......", "1....."}},
        RleCase{"EndOfBitmapLeavesTheRestWhite",
                8,
                6,
                3,
                16,
                {2, 1, 0, 1, 2, 2, 0, 0, 2, 3},
                {"......", "......", "11...."}},
        RleCase{"StreamWithoutEndMarkers", 8, 6, 3, 16, {2, 1, 0, 0, 2, 2}, {"......", "22....", "11...."}},
        RleCase{"StreamEndsInsideAnAbsoluteRun", 8, 6, 2, 16, {0, 5, 1, 2}, {"......", "12...."}},
        RleCase{"StreamEndsInsideACommand", 8, 6, 2, 16, {2, 1, 3}, {"......", "11...."}},
        RleCase{"StreamEndsInsideADelta", 8, 6, 2, 16, {2, 1, 0, 2, 1}, {"......", "11...."}},
        RleCase{"IndexBeyondTheTableIsWhite", 8, 6, 1, 4, {2, 3, 2, 9, 2, 0, 0, 1}, {"33..00"}},
        RleCase{"FourBitRunAlternatesNibbles", 4, 7, 2, 16, {5, 0x12, 0, 0, 1, 0xA0, 0, 1}, {"a......", "12121.."}},
        RleCase{"FourBitRunAtAnOddColumnStartsWithTheHighNibble", 4, 4, 1, 16, {1, 0x30, 3, 0x12, 0, 1}, {"3121"}},
        RleCase{"FourBitOddAbsoluteRunsArePadded",
                4,
                8,
                2,
                16,
                {0, 3, 0x34, 0x50, 0, 5, 0x67, 0x89, 0xA0, 0, 0, 0, 1, 0xB0, 0, 1},
                {"b.......", "3456789a"}},
        RleCase{"FourBitStreamEndsInsideAnAbsoluteRun", 4, 8, 1, 16, {0, 7, 0x12, 0x34}, {"1234...."}},
        RleCase{"FourBitRunPastTheRowEnd", 4, 8, 2, 16, {10, 0x12, 0, 0, 2, 0x34, 0, 1}, {"34......", "12121212"}},
        RleCase{"FourBitAbsoluteRunClipped",
                4,
                4,
                2,
                16,
                {1, 0x50, 0, 5, 0x12, 0x34, 0x50, 0, 0, 0, 1, 0x60},
                {"6...", "5123"}},
        RleCase{"TopDownStartsAtTheTopRow",
                8,
                6,
                -3,
                16,
                {3, 1, 0, 0, 2, 2, 0, 0, 1, 3, 0, 1},
                {"111...", "22....", "3....."}},
        RleCase{"TopDownDeltaMovesDown",
                8,
                6,
                -4,
                16,
                {1, 1, 0, 2, 2, 2, 1, 2, 0, 0, 1, 3, 0, 1},
                {"1.....", "......", "...2..", "3....."}},
        RleCase{"TopDownDeltaBelowTheBottomStops", 8, 6, -2, 16, {1, 1, 0, 2, 0, 5, 1, 2, 0, 1}, {"1.....", "......"}},
        RleCase{"TopDownEndOfLineOnTheBottomRowStops",
                8,
                6,
                -2,
                16,
                {1, 1, 0, 0, 1, 2, 0, 0, 1, 3, 0, 1},
                {"1.....", "2....."}},
        RleCase{"TopDownStreamEndsInsideAnAbsoluteRun",
                8,
                6,
                -3,
                16,
                {1, 1, 0, 0, 0, 5, 1, 2},
                {"1.....", "12....", "......"}},
        RleCase{"TopDownStreamEndsInsideADelta", 8, 6, -2, 16, {2, 1, 0, 2, 1}, {"11....", "......"}},
        RleCase{"TopDownFourBitDeltaEntersARowPastItsStart",
                4,
                8,
                -3,
                16,
                {2, 0x12, 0, 2, 3, 1, 3, 0x45, 0, 0, 1, 0x60, 0, 1},
                {"12......", ".....454", "6......."}}),
    [](const auto& info) { return info.param.name; });

TEST(BmpReaderRunLength, HugeCountsAndDeltasCostNoMoreThanTheirBytes) {
  // A 3 x 2 picture whose data claims runs and moves far beyond it: every
  // command must be dropped in constant time. 20000 commands take well under
  // a second; if a run cost its count, this would take minutes.
  for (const bool topDown : {false, true}) {
    BmpBytes file;
    file.Headers(3, topDown ? -2 : 2, 8, 54 + 8, 1).PaletteEntry(Entry(0)).PaletteEntry(Entry(1));
    for (int i = 0; i < 10000; ++i) file.Bytes({0, 2, 255, 0, 255, 1});
    file.Bytes({0, 0, 2, 1, 0, 1});
    for (Via via : kAllWays) {
      SCOPED_TRACE(std::string(topDown ? "top-down, " : "bottom-up, ") + Name(via));
      const Picture p = Read(file.data(), via);
      ExpectPicture(
          p, 3, 2, Expected(topDown ? std::vector<std::string>{"...", "11."} : std::vector<std::string>{"11.", "..."}));
    }
  }
}

// More rows than the reader of top-down data notes at once, some passed over
// by deltas: stored top-down, the data gives the picture it gives stored
// bottom-up, upside down, read in every way and after skipping any number of
// rows.
TEST(BmpReaderRunLength, TallTopDownDataGivesTheBottomUpPictureUpsideDown) {
  constexpr std::int32_t kWidth = 6, kHeight = 300;
  Bytes stream;
  for (std::int32_t row = 0; row < kHeight;) {
    stream.insert(stream.end(), {static_cast<std::uint8_t>(row % 5 + 1), static_cast<std::uint8_t>(row % 16)});
    // Every seventh row a delta two rows on, one column right.
    const bool delta = row % 7 == 6;
    const Bytes end = delta ? Bytes{0, 2, 1, 2} : Bytes{0, 0};
    stream.insert(stream.end(), end.begin(), end.end());
    row += delta ? 2 : 1;
  }
  stream.insert(stream.end(), {0, 1});
  const Picture bottomUp = Read(RleFile({"", 8, kWidth, kHeight, 16, stream, {}}), Via::kWhole);
  ASSERT_TRUE(bottomUp.accepted);
  Pixels flipped;
  for (std::int32_t y = kHeight - 1; y >= 0; --y) {
    const auto row = bottomUp.pixels.begin() + static_cast<std::ptrdiff_t>(y) * kWidth;
    flipped.insert(flipped.end(), row, row + kWidth);
  }
  const Bytes topDown = RleFile({"", 8, kWidth, -kHeight, 16, stream, {}});
  for (Via via : kAllWays) {
    SCOPED_TRACE(Name(via));
    ExpectPicture(Read(topDown, via), kWidth, kHeight, flipped);
  }
  for (const std::int64_t skip : {63, 64, 65, 128, 200, 299, 300, 1000}) {
    SCOPED_TRACE(skip);
    MemorySource source(topDown.data(), topDown.size(), false);
    BmpReader reader;
    ASSERT_TRUE(reader.Open(source).Ok());
    reader.SkipRows(skip);
    Pixels row(kWidth);
    for (std::int64_t i = skip; i < kHeight; ++i) {
      EXPECT_EQ(reader.ReadRow({row.data(), 1, kWidth}), 1);
      const auto want = flipped.begin() + static_cast<std::ptrdiff_t>(kHeight - 1 - i) * kWidth;
      EXPECT_EQ(row, Pixels(want, want + kWidth)) << "row " << i << " from the bottom";
    }
  }
}

// ------------------------------------------------------------------ top-down

// A bottom-up file and the same picture stored top-down must read alike.
struct TopDownCase {
  const char* name;
  std::uint16_t depth;
  std::uint32_t compression;
  Bytes table;  // palette or masks after the 40-byte header
};
std::ostream& operator<<(std::ostream& os, const TopDownCase& c) { return os << c.name; }

Bytes PictureFile(const TopDownCase& c, std::int32_t width, std::int32_t height, bool topDown) {
  const std::size_t stride = (static_cast<std::size_t>(width) * c.depth + 31) / 32 * 4;
  BmpBytes file;
  file.Headers(width, topDown ? -height : height, c.depth, 54 + static_cast<std::uint32_t>(c.table.size()),
               c.compression);
  file.Bytes(c.table);
  // File row r (from the bottom of the picture) holds bytes 7r + 13k + 5.
  for (std::int32_t i = 0; i < height; ++i) {
    const std::int32_t r = topDown ? height - 1 - i : i;
    for (std::size_t k = 0; k < stride; ++k) file.U8(static_cast<std::uint32_t>(7 * r + 13 * k + 5));
  }
  return file.data();
}

Bytes FullTable(int depth) {
  BmpBytes b;
  for (int i = 0; i < (1 << depth); ++i) b.PaletteEntry(Entry(i));
  return b.data();
}
Bytes Masks(std::vector<std::uint32_t> masks) {
  BmpBytes b;
  for (std::uint32_t m : masks) b.U32(m);
  return b.data();
}

class TopDown : public ::testing::TestWithParam<TopDownCase> {};

TEST_P(TopDown, ReadsAsTheSamePictureStoredBottomUp) {
  const TopDownCase& c = GetParam();
  const Picture reference = Read(PictureFile(c, 5, 4, false), Via::kWhole);
  ASSERT_TRUE(reference.accepted);
  for (Via via : kAllWays) {
    SCOPED_TRACE(Name(via));
    const Picture p = Read(PictureFile(c, 5, 4, true), via);
    ExpectPicture(p, 5, 4, reference.pixels);
    EXPECT_EQ(p.depth, DepthSeen(via, c.depth));
    for (int answer : p.answers) EXPECT_EQ(answer, 1);
  }
}

INSTANTIATE_TEST_SUITE_P(
    BmpReader, TopDown,
    ::testing::Values(TopDownCase{"OneBit", 1, 0, FullTable(1)}, TopDownCase{"TwoBit", 2, 0, FullTable(2)},
                      TopDownCase{"FourBit", 4, 0, FullTable(4)}, TopDownCase{"EightBit", 8, 0, FullTable(8)},
                      TopDownCase{"SixteenBit", 16, 0, {}},
                      TopDownCase{"SixteenBitFields", 16, 3, Masks({0xF800, 0x07E0, 0x001F})},
                      TopDownCase{"TwentyFourBit", 24, 0, {}}, TopDownCase{"ThirtyTwoBit", 32, 0, {}},
                      TopDownCase{"ThirtyTwoBitFields", 32, 3, Masks({0xFF0000, 0xFF00, 0xFF})},
                      TopDownCase{"ThirtyTwoBitAlphaFields", 32, 6, Masks({0xFF00, 0xFF0000, 0xFF000000, 0xFF})}),
    [](const auto& info) { return info.param.name; });

TEST(BmpReaderTopDown, ShortFileLacksItsBottomRows) {
  // 3 x 4 at 8 bits, rows of 4 bytes from the top; {bytes kept, whole rows}.
  const TopDownCase c{"", 8, 0, FullTable(8)};
  const Bytes full = PictureFile(c, 3, 4, true);
  const Picture whole = Read(full, Via::kWhole);
  const std::size_t start = 54 + 1024;
  const std::pair<std::size_t, int> cuts[] = {{0, 0}, {3, 0}, {4, 1}, {10, 2}, {15, 3}, {16, 4}};
  for (const auto& [kept, rows] : cuts) {
    const Bytes bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(start + kept));
    Pixels expected = whole.pixels;
    for (std::size_t i = static_cast<std::size_t>(rows) * 3; i < expected.size(); ++i) expected[i] = kWhite;
    for (Via via : kAllWays) {
      SCOPED_TRACE(std::to_string(kept) + " bytes of pixel data, " + Name(via));
      const Picture p = Read(bytes, via);
      ExpectPicture(p, 3, 4, expected);
      // A 0 would tell a caller that every later (higher) row is white.
      for (int answer : p.answers) EXPECT_EQ(answer, rows > 0 ? 1 : 0);
    }
  }
}

TEST(BmpReaderTopDown, LargeFilesReadInChunksWholeAndShort) {
  // Pixel data beyond what the reader fetches at once: many narrow rows, and
  // rows wider than that on their own. {width, height, bytes kept of the pixel data}
  const TopDownCase c{"", 24, 0, {}};
  const std::int64_t cases[][3] = {{100, 300, 90000},  {100, 300, 70001},  {100, 300, 300 * 40 + 7},
                                   {30000, 3, 270000}, {30000, 3, 180001}, {7, 40000, 32 * 40000}};
  for (const auto& [width, height, kept] : cases) {
    const auto w = static_cast<std::int32_t>(width), h = static_cast<std::int32_t>(height);
    const std::int64_t stride = (width * 3 + 3) / 4 * 4;
    const Picture reference = Read(PictureFile(c, w, h, false), Via::kWhole);
    Pixels expected = reference.pixels;
    const std::int64_t rows = kept / stride;
    for (std::size_t i = static_cast<std::size_t>(rows * width); i < expected.size(); ++i) expected[i] = kWhite;
    Bytes bytes = PictureFile(c, w, h, true);
    bytes.resize(static_cast<std::size_t>(54 + kept));
    for (Via via : kAllWays) {
      SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height) + ", " + std::to_string(kept) + " bytes, " +
                   Name(via));
      ExpectPicture(Read(bytes, via), w, h, expected);
    }
  }
}

TEST(BmpReaderTopDown, ShortSixteenBitFileRepeatsTheLastValueInFileOrder) {
  // 3 x 3, rows of 8 bytes (6 of pixels, 2 of padding) from the top; file pixel
  // p (from the top-left) has grey 8(p + 1). {bytes kept, whole pixels}.
  BmpBytes fullFile;
  fullFile.Headers(3, -3, 16, 54);
  for (int p = 0; p < 9; ++p) {
    fullFile.U16(static_cast<std::uint32_t>((p + 1) * 0x0421));
    if (p % 3 == 2) fullFile.U16(0xFFFF);
  }
  const Bytes& full = fullFile.data();
  const std::pair<std::size_t, int> cuts[] = {{0, 0},  {1, 0},  {2, 1},  {5, 2},  {6, 3},  {7, 3}, {8, 3},
                                              {10, 4}, {13, 5}, {17, 6}, {20, 8}, {23, 9}, {24, 9}};
  for (const auto& [kept, whole] : cuts) {
    const Bytes bytes(full.begin(), full.begin() + 54 + static_cast<std::ptrdiff_t>(kept));
    Pixels expected;
    for (int p = 0; p < 9; ++p)
      expected.push_back(p < whole ? Grey(8 * (p + 1)) : whole > 0 ? Grey(8 * whole) : kWhite);
    for (Via via : kAllWays) {
      SCOPED_TRACE(std::to_string(kept) + " bytes of pixel data, " + Name(via));
      ExpectPicture(Read(bytes, via), 3, 3, expected);
    }
  }
}

// ---------------------------------------------------------------- OS/2 1.x

struct CoreCase {
  const char* name;
  std::uint16_t depth;
  std::uint32_t offBits;
  int entries;       // 3-byte entries Entry(i) (alpha 0) after the header
  Bytes afterTable;  // gap and pixel data, one row of width 3
  Pixels pixels;
  int fromFile, standardUpTo;  // as far as the entries come from the file, then keep the standard table
};
std::ostream& operator<<(std::ostream& os, const CoreCase& c) { return os << c.name; }

PixelBGRA CoreEntry(int i) {
  PixelBGRA e = Entry(i);
  e.alpha = 0;
  return e;
}

Bytes CoreFile(std::uint32_t offBits, std::uint16_t width, std::uint16_t height, std::uint16_t depth) {
  BmpBytes b;
  b.U16(0x4D42).U32(0).U16(0).U16(0).U32(offBits).U32(12).U16(width).U16(height).U16(1).U16(depth);
  return b.data();
}

class CoreHeader : public ::testing::TestWithParam<CoreCase> {};

TEST_P(CoreHeader, ThreeByteTableAfterTheTwelveByteHeader) {
  const CoreCase& c = GetParam();
  BmpBytes file;
  file.Bytes(CoreFile(c.offBits, 3, 1, c.depth));
  for (int i = 0; i < c.entries; ++i) file.U8(CoreEntry(i).blue).U8(CoreEntry(i).green).U8(CoreEntry(i).red);
  file.Bytes(c.afterTable);
  TempDir dir;
  const std::string path = dir.File("core.bmp");
  WriteFileBytes(path, file.data());
  BmpImage image;
  ASSERT_EQ(ReadBmpFile(image, path.c_str()), 1);
  EXPECT_EQ(image.Depth(), c.depth);
  EXPECT_EQ(image.Width(), 3);
  EXPECT_EQ(image.Height(), 1);
  // No resolution in the header: the writer then uses its default.
  EXPECT_EQ(image.GetResolution().xPixelsPerMetre, 0);
  EXPECT_EQ(image.GetResolution().yPixelsPerMetre, 0);
  if (image.HasPalette()) {
    Palette standard{};
    FillStandardTable(c.depth, standard);
    for (int i = 0; i < image.PaletteSize(); ++i)
      EXPECT_EQ(image.GetPaletteEntry(i), i < c.fromFile       ? CoreEntry(i)
                                          : i < c.standardUpTo ? standard[i]
                                                               : kWhite)
          << "entry " << i;
  }
  for (std::int32_t x = 0; x < 3; ++x) EXPECT_EQ(image.PixelAt(x, 0), c.pixels[x]) << "pixel " << x;
}

INSTANTIATE_TEST_SUITE_P(
    BmpReader, CoreHeader,
    ::testing::Values(
        CoreCase{"OneBit", 1, 26 + 6, 2, {0x60, 0, 0, 0}, {CoreEntry(0), CoreEntry(1), CoreEntry(1)}, 2, 2},
        CoreCase{"EightBitShortTable", 8, 26 + 60, 20, {0, 19, 23, 0}, {CoreEntry(0), CoreEntry(19), kWhite}, 20, 20},
        CoreCase{"FourBitSurplusBytesAreAGap",
                 4,
                 26 + 48 + 5,
                 16,
                 {9, 9, 9, 9, 9, 0x0F, 0xA0, 0, 0},
                 {CoreEntry(0), CoreEntry(15), CoreEntry(10)},
                 16,
                 16},
        CoreCase{
            "FourBitOffsetInsideAnEntry", 4, 26 + 7, 2, {0x01, 0x20, 0, 0}, {CoreEntry(0), CoreEntry(1), kWhite}, 2, 2},
        CoreCase{"TwentyFourBitGap",
                 24,
                 26 + 4,
                 0,
                 {9, 9, 9, 9, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0},
                 {{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}},
                 0,
                 0},
        CoreCase{"TableCutShort", 8, 26 + 768, 3, {1}, {kWhite, kWhite, kWhite}, 3, 256}),
    [](const auto& info) { return info.param.name; });

// -------------------------------------------- longer info headers and masks

struct LongHeaderCase {
  const char* name;
  std::uint32_t infoSize;
  std::uint16_t depth;
  std::uint32_t compression;
  Bytes headerTail;  // the info header's bytes after the first 40 (zeros after these)
  std::uint32_t offBits;
  Bytes afterHeader;  // colour table, masks of a 40-byte header, gap
  Bytes row;          // one row of width 2
  Pixels pixels;
};
std::ostream& operator<<(std::ostream& os, const LongHeaderCase& c) { return os << c.name; }

class LongHeader : public ::testing::TestWithParam<LongHeaderCase> {};

TEST_P(LongHeader, TableFollowsTheHeaderAndMasksSitAtFiftyFour) {
  const LongHeaderCase& c = GetParam();
  BmpBytes file;
  file.U16(0x4D42).U32(0).U16(0).U16(0).U32(c.offBits);
  file.U32(c.infoSize).U32(2).U32(1).U16(1).U16(c.depth).U32(c.compression).U32(0).U32(2835).U32(2835).U32(0).U32(0);
  if (c.infoSize > 40) {
    Bytes tail = c.headerTail;
    // Filler that would show as colours if it were taken for a table.
    tail.resize(c.infoSize - 40, 0xC5);
    file.Bytes(tail);
  }
  file.Bytes(c.afterHeader).Bytes(c.row);
  for (Via via : kAllWays) {
    SCOPED_TRACE(Name(via));
    const Picture p = Read(file.data(), via);
    ExpectPicture(p, 2, 1, c.pixels);
    EXPECT_EQ(p.depth, DepthSeen(via, c.depth));
  }
}

Bytes Entries(std::initializer_list<int> indices) {
  BmpBytes b;
  for (int i : indices) b.PaletteEntry(Entry(i));
  return b.data();
}
Bytes Le32(std::initializer_list<std::uint32_t> words) {
  BmpBytes b;
  for (std::uint32_t w : words) b.U32(w);
  return b.data();
}
Bytes Truncated(Bytes a, std::size_t n) {
  a.resize(n);
  return a;
}
Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

INSTANTIATE_TEST_SUITE_P(
    BmpReader, LongHeader,
    ::testing::Values(
        LongHeaderCase{
            "V5EightBitTable", 124, 8, 0, {}, 138 + 16, Entries({0, 1, 2, 3}), {3, 4, 0, 0}, {Entry(3), kWhite}},
        LongHeaderCase{"V4FourBitTableThenGap",
                       108,
                       4,
                       0,
                       {},
                       122 + 64 + 3,
                       Concat(FullTable(4), {9, 9, 9}),
                       {0xF1, 0, 0, 0},
                       {Entry(15), Entry(1)}},
        // Two pixels in the top four bits: the four below are spare.
        LongHeaderCase{"V5TwoBitTableThenGap",
                       124,
                       2,
                       0,
                       {},
                       138 + 16 + 2,
                       Concat(FullTable(2), {9, 9}),
                       {0x8F, 0, 0, 0},
                       {Entry(2), Entry(0)}},
        // No standard table for 2 bits: entries the file lacks are white.
        LongHeaderCase{"TwoBitShortTable", 40, 2, 0, {}, 54 + 8, Entries({0, 1}), {0x7F, 0, 0, 0}, {Entry(1), kWhite}},
        LongHeaderCase{"Size52OneBit", 52, 1, 0, {}, 66 + 8, Entries({0, 1}), {0x40, 0, 0, 0}, {Entry(0), Entry(1)}},
        LongHeaderCase{"Size64EightBit", 64, 8, 0, {}, 78 + 8, Entries({0, 1}), {1, 0, 0, 0}, {Entry(1), Entry(0)}},
        LongHeaderCase{"V5RunLength8", 124, 8, 1, {}, 138 + 8, Entries({0, 1}), {1, 1, 0, 1}, {Entry(1), kWhite}},
        LongHeaderCase{"OffsetInsideTheHeaderGivesNoTable", 124, 8, 0, {}, 100, {}, {1, 0, 0, 0}, {kWhite, kWhite}},
        // Any other size is read as 40 bytes: the table at 54.
        LongHeaderCase{"Size16ReadAsForty", 16, 8, 0, {}, 54 + 8, Entries({0, 1}), {1, 0, 0, 0}, {Entry(1), Entry(0)}},
        LongHeaderCase{"Size40ThirtyTwoBitFieldsHaveNoAlphaMask",
                       40,
                       32,
                       3,
                       {},
                       66,
                       Le32({0xFF0000, 0xFF00, 0xFF}),
                       Le32({0x80112233, 0xFF000000}),
                       {{0x33, 0x22, 0x11, 0}, {0, 0, 0, 0}}},
        LongHeaderCase{"Size40AlphaBitfields",
                       40,
                       32,
                       6,
                       {},
                       70,
                       Le32({0xFF0000, 0xFF00, 0xFF, 0xFF000000}),
                       Le32({0x80112233, 0x7F000000}),
                       {{0x33, 0x22, 0x11, 0x80}, {0, 0, 0, 0x7F}}},
        LongHeaderCase{"Size52ThirtyTwoBitFieldsWithoutAlpha",
                       52,
                       32,
                       3,
                       Le32({0xFF0000, 0xFF00, 0xFF}),
                       66,
                       {},
                       Le32({0x80112233, 0}),
                       {{0x33, 0x22, 0x11, 0}, {0, 0, 0, 0}}},
        LongHeaderCase{"Size56ThirtyTwoBitFieldsWithAlpha",
                       56,
                       32,
                       3,
                       Le32({0xFF, 0xFF00, 0xFF0000, 0xFF000000}),
                       70,
                       {},
                       Le32({0x80112233, 0}),
                       {{0x11, 0x22, 0x33, 0x80}, {0, 0, 0, 0}}},
        LongHeaderCase{"V5ThirtyTwoBitFieldsWithAlpha",
                       124,
                       32,
                       3,
                       Le32({0xFF0000, 0xFF00, 0xFF, 0xFF000000}),
                       138,
                       {},
                       Le32({0x80112233, 0xFFFFFFFF}),
                       {{0x33, 0x22, 0x11, 0x80}, {255, 255, 255, 255}}},
        LongHeaderCase{"TenBitFieldsKeepTheirTopBits",
                       40,
                       32,
                       3,
                       {},
                       66,
                       Le32({0x3FF00000, 0x000FFC00, 0x3FF}),
                       Le32({0x3FF80001, 0x00501407}),
                       {{0, 128, 255, 0}, {1, 1, 1, 0}}},
        LongHeaderCase{"NarrowFieldsAreLeftAligned",
                       40,
                       32,
                       3,
                       {},
                       66,
                       Le32({0x1, 0x6, 0}),
                       Le32({0x7, 0x2}),
                       {{0, 192, 128, 0}, {0, 64, 0, 0}}},
        LongHeaderCase{"V5SixteenBitArgb4444",
                       124,
                       16,
                       3,
                       Le32({0x0F00, 0x00F0, 0x000F, 0xF000}),
                       138,
                       {},
                       {0xFF, 0xFF, 0x34, 0x12},
                       {{240, 240, 240, 0}, {64, 48, 32, 0}}},
        LongHeaderCase{"SixteenBitAlphaBitfieldsSkipTheAlphaMask",
                       40,
                       16,
                       6,
                       {},
                       70,
                       Le32({0xF800, 0x07E0, 0x001F, 0x0000}),
                       {0xFF, 0xFF, 0x1F, 0},
                       {Grey(248), {248, 0, 0, 0}}},
        LongHeaderCase{"SixteenBitOneBitMasksLiftedToTheTop",
                       40,
                       16,
                       3,
                       {},
                       66,
                       Le32({0x4, 0x2, 0x1}),
                       {0x07, 0, 0x05, 0},
                       {Grey(128), {128, 0, 128, 0}}}),
    [](const auto& info) { return info.param.name; });

TEST(RowDecoders, SixteenBitMasksAlignTheirHighestBitOnBitFour) {
  // {mask, value, channel}: the blue channel with the given mask.
  const std::tuple<std::uint16_t, std::uint16_t, int> cases[] = {
      {0x000F, 0x000F, 240}, {0x000F, 0x0001, 16}, {0x0001, 0x0001, 128}, {0x0003, 0x0002, 128}, {0x001F, 0x001F, 248},
      {0xF800, 0xF800, 248}, {0x07E0, 0x0020, 0},  {0x0F00, 0x0F00, 240}, {0x0000, 0xFFFF, 0},   {0x00F0, 0x0010, 16}};
  for (const auto& [mask, value, channel] : cases) {
    ChannelMasks masks;
    masks.blue = mask;
    EXPECT_EQ(Decode16(value, masks, ShiftsFor(masks)).blue, channel) << std::hex << mask << " " << value;
  }
  EXPECT_EQ(MaskLift(0x000F), 1u);
  EXPECT_EQ(MaskLift(0x0001), 4u);
  EXPECT_EQ(MaskLift(0x001F), 0u);
  EXPECT_EQ(MaskLift(0), 0u);
}

// ---------------------------------------------------------------- refusals

struct ProblemCase {
  const char* name;
  Bytes file;
  bmpresize_cause kind;
  std::int64_t value, limit;
};
std::ostream& operator<<(std::ostream& os, const ProblemCase& c) { return os << c.name; }

Bytes Headers(std::int32_t w, std::int32_t h, std::uint16_t depth, std::uint32_t compression, std::uint32_t size = 40) {
  BmpBytes b;
  b.Headers(w, h, depth, 54, compression).Zeros(64);
  Bytes bytes = b.data();
  bytes[14] = static_cast<std::uint8_t>(size);
  return bytes;
}

class Problem : public ::testing::TestWithParam<ProblemCase> {};

TEST_P(Problem, SaysWhichFieldAndValueRefusedTheFile) {
  const ProblemCase& c = GetParam();
  TempDir dir;
  const std::string path = dir.File("refused.bmp");
  WriteFileBytes(path, c.file);
  FileBytes bytes(path);
  BmpReader reader;
  const Status opened = reader.Open(bytes.Source());
  EXPECT_EQ(opened.Why().kind, c.kind);
  EXPECT_EQ(opened.Why().value, c.value);
  EXPECT_EQ(reader.Failure().kind, c.kind);
  EXPECT_EQ(reader.Failure().value, c.value);
  EXPECT_EQ(reader.Failure().limit, c.limit);
}

constexpr std::int32_t kMinInt = std::numeric_limits<std::int32_t>::min();

INSTANTIATE_TEST_SUITE_P(
    BmpReader, Problem,
    ::testing::Values(
        ProblemCase{"RunLength8At4Bits", Headers(4, 4, 4, 1), BMPRESIZE_CAUSE_COMPRESSION_DEPTH, 1, 8},
        ProblemCase{"RunLength4At8Bits", Headers(4, 4, 8, 2), BMPRESIZE_CAUSE_COMPRESSION_DEPTH, 2, 4},
        ProblemCase{"RunLength4TopDownAt8Bits", Headers(4, -4, 8, 2), BMPRESIZE_CAUSE_COMPRESSION_DEPTH, 2, 4},
        ProblemCase{"TwoBitsRunLength8", Headers(4, 4, 2, 1), BMPRESIZE_CAUSE_COMPRESSION_DEPTH, 1, 8},
        ProblemCase{"TwoBitsBitfields", Headers(4, 4, 2, 3), BMPRESIZE_CAUSE_COMPRESSION_DEPTH, 3, 16},
        ProblemCase{"BitfieldsAt8", Headers(4, 4, 8, 3), BMPRESIZE_CAUSE_COMPRESSION_DEPTH, 3, 16},
        ProblemCase{"HuffmanInA64ByteHeader", Headers(4, 4, 1, 3, 64), BMPRESIZE_CAUSE_COMPRESSION_FOR_HEADER, 3, 64},
        ProblemCase{"Rle24InA64ByteHeader", Headers(4, 4, 24, 4, 64), BMPRESIZE_CAUSE_COMPRESSION, 4, 64},
        ProblemCase{"Png", Headers(4, 4, 0, 5, 124), BMPRESIZE_CAUSE_COMPRESSION, 5, 124},
        ProblemCase{"HeightMinusTwoToThe31", Headers(4, kMinInt, 24, 0), BMPRESIZE_CAUSE_HEIGHT, kMinInt, 0},
        ProblemCase{"CoreHeaderAt16Bits", Concat(CoreFile(26, 2, 2, 16), Bytes(16, 0)),
                    BMPRESIZE_CAUSE_DEPTH_FOR_HEADER, 16, 12},
        ProblemCase{"CoreHeaderAt32Bits", Concat(CoreFile(26, 2, 2, 32), Bytes(16, 0)),
                    BMPRESIZE_CAUSE_DEPTH_FOR_HEADER, 32, 12},
        ProblemCase{"CoreHeaderAt2Bits", Concat(CoreFile(26, 2, 2, 2), Bytes(16, 0)), BMPRESIZE_CAUSE_DEPTH_FOR_HEADER,
                    2, 12},
        ProblemCase{"CoreHeaderWidth0", Concat(CoreFile(26, 0, 2, 24), Bytes(16, 0)), BMPRESIZE_CAUSE_WIDTH, 0,
                    kMaxRowPixels},
        ProblemCase{"CoreHeaderHeight0", Concat(CoreFile(26, 2, 0, 24), Bytes(16, 0)), BMPRESIZE_CAUSE_HEIGHT, 0, 0},
        ProblemCase{"CoreHeaderCutShort", Truncated(CoreFile(26, 2, 2, 24), 25), BMPRESIZE_CAUSE_SHORT_HEADER, 25, 0}),
    [](const auto& info) { return info.param.name; });

TEST(BmpReaderCoreHeader, LargestSidesAreUnsigned) {
  // 16-bit sides above 32767 are sizes, not negative heights.
  TempDir dir;
  const std::string path = dir.File("wide.bmp");
  WriteFileBytes(path, Concat(CoreFile(26, 40000, 3, 24), Bytes(8, 0)));
  FileBytes bytes(path);
  BmpReader reader;
  ASSERT_TRUE(reader.Open(bytes.Source()).Ok());
  EXPECT_EQ(reader.Width(), 40000);
  EXPECT_EQ(reader.Height(), 3);
  // A stage out of its turn is refused and changes nothing.
  EXPECT_EQ(reader.Open(bytes.Source()).Why().kind, BMPRESIZE_CAUSE_INTERNAL);
  EXPECT_EQ(reader.StartRows(MemoryBudget()).Why().kind, BMPRESIZE_CAUSE_INTERNAL);
  EXPECT_FALSE(reader.Failed());
  EXPECT_EQ(reader.Width(), 40000);
}

}  // namespace

// ------------------------------------------------------------- packed rows

// Rows handed over as the file stores them (ReadPackedRow), spread to four
// bytes, are the rows ReadRow decodes, with the same end of data and the
// same failure: whole rows and column windows, rows passed over, whole files
// and files cut short; plain 24-bit files and every other kind, which
// answer null.
TEST(BmpReaderPacked, GivesTheRowsReadRowDecodes) {
  Random r{std::mt19937(33)};
  for (int round = 0; round < 300; ++round) {
    std::vector<std::uint8_t> bytes;
    if (round % 2) {
      bytes = RandomBmp(r);
    } else {
      const auto width = static_cast<std::int32_t>(1 + r.Below(40)), height = static_cast<std::int32_t>(1 + r.Below(9));
      BmpBytes file;
      file.Headers(width, height, 24, 54, 0);
      for (std::int32_t i = 0; i < (3 * width + 3) / 4 * 4 * height; ++i) file.U8(r.Byte());
      bytes = file.data();
      if (round % 6 == 0) bytes.resize(54 + r.Below(static_cast<std::uint32_t>(bytes.size() - 54)));
    }
    for (const bool window : {false, true}) {
      MemorySource sourceA(bytes.data(), bytes.size()), sourceB(bytes.data(), bytes.size());
      BmpReader plain, packed;
      if (!plain.ReadHeaders(sourceA).Ok()) continue;
      ASSERT_TRUE(packed.ReadHeaders(sourceB).Ok());
      const std::int32_t width = plain.Width();
      std::int32_t first = 0, columns = width;
      if (window && width > 1) {
        first = static_cast<std::int32_t>(r.Below(static_cast<std::uint32_t>(width)));
        columns = 1 + static_cast<std::int32_t>(r.Below(static_cast<std::uint32_t>(width - first)));
        plain.SetColumns(first, columns);
        packed.SetColumns(first, columns);
      }
      ASSERT_EQ(plain.StartRows(MemoryBudget()).Ok(), packed.StartRows(MemoryBudget()).Ok());
      std::vector<PixelBGRA> a(static_cast<std::size_t>(columns)), b(a.size());
      for (std::int32_t y = 0; y < plain.Height() && y < 64; ++y) {
        if (r.Below(5) == 0) {
          plain.SkipRows(1);
          packed.SkipRows(1);
          continue;
        }
        (void)plain.ReadRow({a.data(), 1, columns});
        const std::uint8_t* p = packed.ReadPackedRow({b.data(), 1, columns});
        if (p != nullptr) {
          EXPECT_EQ(plain.Depth(), 24);
          for (std::int32_t x = 0; x < columns; ++x) b[x] = {p[3 * x], p[3 * x + 1], p[3 * x + 2], 0};
        }
        ASSERT_EQ(a, b) << "round " << round << ", row " << y << ", columns " << first << " + " << columns;
      }
      EXPECT_EQ(plain.Failed(), packed.Failed());
      EXPECT_EQ(plain.Shortfall().cutShort, packed.Shortfall().cutShort) << "round " << round;
      EXPECT_EQ(plain.Shortfall().rowsRead, packed.Shortfall().rowsRead) << "round " << round;
    }
  }
}
