// SPDX-License-Identifier: MIT
// Sources that fail or shrink while they are read, and sources cut short. The
// faults come through a stream whose reads come from a real file (glibc's
// fopencookie): one fails with EIO from a given byte on, another cuts the file
// to a given length once the reader has taken a given number of bytes, so the
// file really shrinks between rows.
#include <gtest/gtest.h>

#if defined(__GLIBC__)

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "api/checked_options.h"
#include "api/option_calls.h"
#include "bmpfile/bmp_reader.h"
#include "files/file_source.h"
#include "support/bmp_bytes.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

using namespace bmpresize;

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::int32_t kWidth = 7;
constexpr std::int32_t kHeight = 24;

// A picture of width x kHeight with no white pixel, at depth 8 (run-length
// encoded when rle), 16 or 24; top-down when asked.
Bytes Picture(int depth, bool topDown = false, bool rle = false, std::int32_t width = kWidth) {
  BmpBytes b;
  const std::uint32_t table = depth == 8 ? 1024 : 0;
  b.Headers(width, topDown ? -kHeight : kHeight, static_cast<std::uint16_t>(depth), 54 + table, rle ? 1 : 0);
  for (std::uint32_t i = 0; i < table / 4; ++i) b.PaletteEntry({static_cast<std::uint8_t>(i), 7, 9, 0});
  for (std::int32_t row = 0; row < kHeight; ++row) {
    if (rle) {
      b.U8(static_cast<std::uint32_t>(width)).U8(static_cast<std::uint32_t>(row + 1)).U8(0).U8(0);  // a run, then EOL
      continue;
    }
    const std::int32_t bytes = width * depth / 8;
    for (std::int32_t x = 0; x < bytes; ++x) b.U8(static_cast<std::uint32_t>((x * 5 + row * 11) % 250));
    b.Zeros(static_cast<std::size_t>((4 - bytes % 4) % 4));
  }
  if (rle) b.U8(0).U8(1);  // the end of the bitmap
  return b.data();
}

std::size_t Stride24(std::int32_t width = kWidth) { return (3 * static_cast<std::size_t>(width) + 3) / 4 * 4; }

// Reads of a real file through a stream: from failAt on every read fails with
// EIO; once cutAfter bytes were taken the file is cut to cutTo bytes.
struct Seam {
  int fd = -1;
  off_t position = 0;
  off_t failAt = -1;
  off_t cutAfter = -1;
  off_t cutTo = 0;
};

ssize_t SeamRead(void* cookie, char* buffer, std::size_t size) {
  Seam& seam = *static_cast<Seam*>(cookie);
  if (seam.cutAfter >= 0 && seam.position >= seam.cutAfter) {
    if (ftruncate(seam.fd, seam.cutTo) != 0) return -1;
    seam.cutAfter = -1;
  }
  if (seam.failAt >= 0) {
    if (seam.position >= seam.failAt) {
      errno = EIO;
      return -1;
    }
    size = std::min<std::size_t>(size, static_cast<std::size_t>(seam.failAt - seam.position));
  }
  const ssize_t n = pread(seam.fd, buffer, size, seam.position);
  if (n > 0) seam.position += n;
  return n;
}

// The stream over path; unbuffered, so the reader takes bytes only as it needs them.
std::FILE* OpenSeam(Seam& seam, const std::string& path) {
  seam.fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
  std::FILE* stream = fopencookie(&seam, "rb", cookie_io_functions_t{SeamRead, nullptr, nullptr, nullptr});
  if (stream != nullptr) setvbuf(stream, nullptr, _IONBF, 0);
  return stream;
}

// The seam as a source end: read through its stream, which cannot seek.
class SeamSource final : public SourceEnd {
 public:
  explicit SeamSource(std::FILE* stream) : bytes_(stream) {}
  Status Open() override { return {}; }
  ByteSource& Bytes() override { return bytes_; }

 private:
  FileSource bytes_;
};

struct SeamRun {
  bmpresize_result outcome;
  Bytes destination;
  bool onlyTheTwoFiles = false;  // nothing else (no new file) was left in the folder
};

// Resizes bytes at 100 % from the seam onto an existing destination.
SeamRun ResizeThroughSeam(const Bytes& bytes, Seam seam, bool strict = false) {
  TempDir dir;
  WriteFileBytes(dir.File("in.bmp"), bytes);
  WriteFileBytes(dir.File("out.bmp"), {'k', 'e', 'e', 'p'});
  std::FILE* stream = OpenSeam(seam, dir.File("in.bmp"));
  const std::string out = dir.File("out.bmp");
  bmpresize_options options = DefaultOptions();
  options.strict = strict;
  SeamRun run;
  {
    SeamSource from(stream);
    const NativePath to8(out.c_str());
    PathDestination to(to8.get());
    run.outcome = Resize(from, to, options);
  }
  if (stream != nullptr) std::fclose(stream);
  close(seam.fd);
  run.destination = ReadFileBytes(out);
  run.onlyTheTwoFiles = ListFolder(dir.path()) == std::set<std::string>{"in.bmp", "out.bmp"};
  return run;
}

TEST(SourceReadError, FailsWithTheReasonAndLeavesTheDestination) {
  const off_t rows24 = 54 + 5 * static_cast<off_t>(Stride24()) + 3;
  const struct {
    const char* what;
    Bytes bytes;
    off_t failAt;
  } cases[] = {
      {"file header", Picture(24), 6},
      {"colour table", Picture(8), 54 + 100},
      {"rows", Picture(24), rows24},
      {"last byte", Picture(24), static_cast<off_t>(Picture(24).size()) - 1},
      {"top-down rows", Picture(24, true), rows24},
      {"16-bit rows", Picture(16), 54 + 40},
      {"run-length data", Picture(8, false, true), 54 + 1024 + 30},
      {"top-down run-length data", Picture(8, true, true), 54 + 1024 + 30},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Seam seam;
    seam.failAt = c.failAt;
    const SeamRun run = ResizeThroughSeam(c.bytes, seam);
    EXPECT_EQ(run.outcome.code, -1);
    EXPECT_EQ(run.outcome.cause, BMPRESIZE_CAUSE_READ_FAILED);
    EXPECT_EQ(run.outcome.error, EIO);
    EXPECT_EQ(run.destination, (Bytes{'k', 'e', 'e', 'p'}));
    EXPECT_TRUE(run.onlyTheTwoFiles);
  }
}

TEST(SourceReadError, TheReaderRefusesEveryCallAfterIt) {
  TempDir dir;
  WriteFileBytes(dir.File("in.bmp"), Picture(24));
  Seam seam;
  seam.failAt = 54 + 2 * static_cast<off_t>(Stride24());
  std::FILE* stream = OpenSeam(seam, dir.File("in.bmp"));
  FileSource source(stream);
  BmpReader reader;
  ASSERT_TRUE(reader.Open(source).Ok());
  std::vector<PixelBGRA> row(kWidth);
  const PixelRow pixels{row.data(), 1, kWidth};
  EXPECT_EQ(reader.ReadRow(pixels), 1);
  EXPECT_EQ(reader.ReadRow(pixels), 1);
  EXPECT_EQ(reader.ReadRow(pixels), 0);
  EXPECT_EQ(reader.Failure().kind, BMPRESIZE_CAUSE_READ_FAILED);
  seam.failAt = -1;  // the stream would read again; the reader does not
  reader.SkipRows(3);
  row.assign(kWidth, PixelBGRA{1, 2, 3, 4});
  EXPECT_EQ(reader.ReadRow(pixels), 0);
  EXPECT_EQ(row, std::vector<PixelBGRA>(kWidth, kWhite));
  EXPECT_FALSE(reader.Open(source).Ok());
  EXPECT_EQ(reader.Failure().error, EIO);
  // Closed, it still tells why it failed.
  reader.Close();
  EXPECT_TRUE(reader.Failed());
  EXPECT_EQ(reader.Failure().error, EIO);
  std::fclose(stream);
  close(seam.fd);
}

// The source is cut once some rows were read: the rows read stay, the rows
// above are white, and the outcome says how many came from the file; with
// strict nothing is written.
TEST(ShrinkingSource, KeepsTheRowsReadAndTellsWhereTheDataEnded) {
  const off_t stride = static_cast<off_t>(Stride24());
  const struct {
    const char* what;
    off_t cutAfter, cutTo;
    bool strict;
    std::int32_t code;
    std::int64_t rowsRead;
  } cases[] = {
      {"to the rows read", 54 + 10 * stride, 54 + 10 * stride, false, 999, 10},
      {"below the rows read", 54 + 10 * stride, 54 + 4 * stride, false, 999, 10},
      {"inside a row", 54 + 10 * stride, 54 + 12 * stride + 5, false, 999, 12},
      {"strict", 54 + 10 * stride, 54 + 10 * stride, true, -1, 10},
      {"into the headers", 20, 20, false, -1, 0},
  };
  const Bytes source = Picture(24);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Seam seam;
    seam.cutAfter = c.cutAfter;
    seam.cutTo = c.cutTo;
    const SeamRun run = ResizeThroughSeam(source, seam, c.strict);
    EXPECT_EQ(run.outcome.code, c.code);
    EXPECT_TRUE(run.onlyTheTwoFiles);
    if (c.code != 999) {
      EXPECT_EQ(run.destination, (Bytes{'k', 'e', 'e', 'p'}));
      continue;
    }
    EXPECT_TRUE(run.outcome.shortfall.cut_short);
    EXPECT_EQ(run.outcome.shortfall.rows_read, c.rowsRead);
    EXPECT_FALSE(run.outcome.shortfall.top_down);
    ASSERT_EQ(run.destination.size(), source.size());
    const Bytes white(3 * kWidth, 255);
    for (std::int64_t row = 0; row < kHeight; ++row) {
      const auto at = static_cast<std::ptrdiff_t>(54 + row * stride);
      const Bytes written(run.destination.begin() + at, run.destination.begin() + at + 3 * kWidth);
      const Bytes original(source.begin() + at, source.begin() + at + 3 * kWidth);
      EXPECT_EQ(written, row < c.rowsRead ? original : white) << "file row " << row;
    }
  }
}

// A top-down file that shrinks once the reader has measured it: the rows it
// no longer holds are white (and cost no reads), its rows still there come.
// Wide enough that its rows lie beyond what stdio has read ahead.
TEST(ShrinkingSource, TopDownRowsBeyondTheNewEndAreWhite) {
  constexpr std::int32_t kWide = 700;
  TempDir dir;
  const std::string path = dir.File("in.bmp");
  WriteFileBytes(path, Picture(24, true, false, kWide));
  FileBytes bytes(path);
  BmpReader reader;
  ASSERT_TRUE(bytes && reader.Open(bytes.Source()).Ok());
  ASSERT_FALSE(reader.Shortfall().cutShort);
  ASSERT_EQ(truncate(path.c_str(), 54 + 9 * static_cast<off_t>(Stride24(kWide))), 0);
  std::vector<PixelBGRA> row(kWide);
  const PixelRow pixels{row.data(), 1, kWide};
  for (std::int32_t i = 0; i < kHeight; ++i) {
    SCOPED_TRACE(i);
    (void)reader.ReadRow(pixels);
    const bool held = kHeight - 1 - i < 9;  // the file's first 9 rows are the picture's top ones
    EXPECT_EQ(row == std::vector<PixelBGRA>(kWide, kWhite), !held);
  }
  EXPECT_TRUE(reader.Shortfall().cutShort);
  EXPECT_EQ(reader.Shortfall().rowsRead, 9);
  EXPECT_TRUE(reader.Shortfall().topDown);
}

// Files cut short on disk: where each kind of file tells its data ended, read
// whole or with rows skipped (at 25 %).
TEST(CutShortSource, TellsWhereItsDataEnded) {
  const std::size_t stride = Stride24();
  const std::size_t rle = 54 + 1024;
  const struct {
    const char* what;
    Bytes bytes;
    std::size_t keep;
    std::int32_t percent;
    bool cutShort;
    std::int64_t rowsRead;
    bool topDown, repeats;
  } cases[] = {
      {"bottom-up", Picture(24), 54 + 12 * stride + 5, 100, true, 12, false, false},
      {"bottom-up, rows skipped", Picture(24), 54 + 12 * stride + 5, 25, true, 12, false, false},
      {"top-down", Picture(24, true), 54 + 12 * stride + 5, 100, true, 12, true, false},
      {"16 bits", Picture(16), 54 + 16 * 5 + 3, 100, true, 5, false, true},
      {"16 bits, no pixel data", Picture(16), 54 + 1, 100, true, 0, false, false},
      {"16 bits, top-down", Picture(16, true), 54 + 16 * 5 + 3, 100, true, 5, true, true},
      {"16 bits, top-down, no pixel data", Picture(16, true), 54, 100, true, 0, true, false},
      {"run-length encoded", Picture(8, false, true), rle + 4 * 9 + 2, 100, true, 9, false, false},
      {"run-length, no end-of-bitmap mark", Picture(8, false, true), rle + 4 * kHeight, 100, false, 0, false, false},
      {"run-length, top-down", Picture(8, true, true), rle + 4 * 9 + 2, 100, true, 9, true, false},
      {"run-length, top-down, no end-of-bitmap mark", Picture(8, true, true), rle + 4 * kHeight, 100, false, 0, true,
       false},
      {"run-length, top-down, rows skipped", Picture(8, true, true), rle + 4 * 9 + 2, 25, true, 9, true, false},
      {"whole", Picture(24), Picture(24).size(), 100, false, 0, false, false},
  };
  for (const auto& c : cases) {
    for (const std::int32_t threads : {1, 3, 7}) {
      SCOPED_TRACE(std::string(c.what) + ", " + std::to_string(threads) + " threads");
      TempDir dir;
      WriteFileBytes(dir.File("in.bmp"), Bytes(c.bytes.begin(), c.bytes.begin() + static_cast<std::ptrdiff_t>(c.keep)));
      const std::string in = dir.File("in.bmp"), out = dir.File("out.bmp");
      const NativePath from8(in.c_str()), to8(out.c_str());
      PathSource from(from8.get());
      PathDestination to(to8.get());
      bmpresize_options options = DefaultOptions();
      options.percent = c.percent;
      options.threads = threads;
      const bmpresize_result outcome = Resize(from, to, options);
      EXPECT_EQ(outcome.code, 999);
      EXPECT_EQ(outcome.shortfall.cut_short != 0, c.cutShort);
      if (!c.cutShort) continue;
      EXPECT_EQ(outcome.shortfall.rows_read, c.rowsRead);
      EXPECT_EQ(outcome.shortfall.rows, kHeight);
      EXPECT_EQ(outcome.shortfall.top_down != 0, c.topDown);
      EXPECT_EQ(outcome.shortfall.repeats_last_pixel != 0, c.repeats);
    }
  }
}

// Headers alone, claiming a column of 2^31 - 1 rows: the area filter takes
// the rows past the data's end as one, so the resize costs its rows out, not
// the rows claimed (which took 40 s one by one), on one thread or in bands.
TEST(CutShortSource, ATallClaimIsAveragedInTheStepsOfItsRowsOut) {
  constexpr std::int32_t kTall = 0x7FFFFFFF;
  const struct {
    const char* what;
    std::int32_t height;  // negative: top-down
    std::uint16_t depth;
    std::uint32_t compression;
  } cases[] = {
      {"bottom-up", kTall, 24, 0},          {"top-down", -kTall, 24, 0},         {"16 bits", kTall, 16, 0},
      {"16 bits, top-down", -kTall, 16, 0}, {"run-length encoded", kTall, 8, 1}, {"run-length, top-down", -kTall, 8, 1},
  };
  for (const auto& c : cases) {
    for (const std::int32_t threads : {1, 3}) {
      SCOPED_TRACE(std::string(c.what) + ", " + std::to_string(threads) + " threads");
      TempDir dir;
      const std::uint32_t table = c.depth == 8 ? 8 : 0;
      WriteFileBytes(dir.File("in.bmp"),
                     BmpBytes().Headers(1, c.height, c.depth, 54 + table, c.compression).Zeros(table).data());
      const std::string in = dir.File("in.bmp"), out = dir.File("out.bmp");
      const NativePath from8(in.c_str()), to8(out.c_str());
      PathSource from(from8.get());
      PathDestination to(to8.get());
      bmpresize_options options = DefaultOptions();
      options.width = 1;
      options.height = 3;
      options.filter = BMPRESIZE_FILTER_AREA;
      options.threads = threads;
      const auto start = std::chrono::steady_clock::now();
      const bmpresize_result outcome = Resize(from, to, options);
      EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
      EXPECT_EQ(outcome.code, 999);
      EXPECT_TRUE(outcome.shortfall.cut_short);
      EXPECT_EQ(outcome.shortfall.rows_read, 0);
    }
  }
}

}  // namespace

#endif  // __GLIBC__
