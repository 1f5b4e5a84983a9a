// SPDX-License-Identifier: MIT
// The memory limit of a resize, measured: this program counts every block
// the library takes through new (each one is, by the project's rule), and a
// resize must stay within its limit however many threads it is given.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "bmpfile/bmp_headers.h"
#include "bmpresize.h"
#include "support/bmp_bytes.h"

using namespace bmpresize;

namespace {

std::atomic<std::size_t> gLive{0};
std::atomic<std::size_t> gPeak{0};

// Blocks carry their size in front, where the alignment of any type keeps it.
constexpr std::size_t kFront = alignof(std::max_align_t) > sizeof(std::size_t) ? alignof(std::max_align_t) : 16;

void* Take(std::size_t n) {
  auto* block = static_cast<unsigned char*>(std::malloc(n + kFront));
  if (block == nullptr) return nullptr;
  std::memcpy(block, &n, sizeof n);
  const std::size_t live = gLive.fetch_add(n) + n;
  for (std::size_t peak = gPeak.load(); live > peak && !gPeak.compare_exchange_weak(peak, live);) {
  }
  return block + kFront;
}

void Give(void* p) {
  if (p == nullptr) return;
  unsigned char* block = static_cast<unsigned char*>(p) - kFront;
  std::size_t n;
  std::memcpy(&n, block, sizeof n);
  gLive.fetch_sub(n);
  std::free(block);
}

void* TakeOrThrow(std::size_t n) {
  void* p = Take(n);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

}  // namespace

void* operator new(std::size_t n) { return TakeOrThrow(n); }
void* operator new[](std::size_t n) { return TakeOrThrow(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return Take(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return Take(n); }
void operator delete(void* p) noexcept { Give(p); }
void operator delete[](void* p) noexcept { Give(p); }
void operator delete(void* p, std::size_t) noexcept { Give(p); }
void operator delete[](void* p, std::size_t) noexcept { Give(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Give(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Give(p); }

namespace {

constexpr std::int64_t kMiB = std::int64_t{1} << 20;

// The hostile kind of file: headers alone, claiming rows far wider than its
// bytes. 131,072 x 2 at 32 bits, at 400 %: rows of 2 MiB, 12 MiB of taps.
std::vector<std::uint8_t> WideHeader() { return BmpBytes().Headers(131072, 2, 32, 54).data(); }

struct Measured {
  bmpresize_result result{};
  std::vector<std::uint8_t> bytes;
  std::int64_t peak = 0;  // bytes the library held at most
};

// A region of a source: x, y, width, height; all 0 for the whole picture.
struct Region {
  std::int32_t x = 0, y = 0, width = 0, height = 0;
};

// A source read through a read function, as from a pipe: it cannot seek.
struct Piped {
  const std::vector<std::uint8_t>& bytes;
  std::size_t at = 0;
};

int ReadPiped(void* user, void* buffer, std::size_t size, std::size_t* got) {
  Piped& piped = *static_cast<Piped*>(user);
  *got = std::min<std::size_t>({size, piped.bytes.size() - piped.at, 4096});
  std::memcpy(buffer, piped.bytes.data() + piped.at, *got);
  piped.at += *got;
  return 0;
}

// What a write function takes, in malloc's blocks, which are the caller's
// and not counted.
struct Taken {
  unsigned char* bytes = nullptr;
  std::size_t size = 0;
  std::size_t capacity = 0;
};

int TakeWritten(void* user, const void* data, std::size_t size) {
  Taken& taken = *static_cast<Taken*>(user);
  if (size == 0) return 0;
  if (taken.size + size > taken.capacity) {
    const std::size_t capacity = std::max(2 * taken.capacity, taken.size + size);
    void* more = std::realloc(taken.bytes, capacity);
    if (more == nullptr) return ENOMEM;
    taken.bytes = static_cast<unsigned char*>(more);
    taken.capacity = capacity;
  }
  std::memcpy(taken.bytes + taken.size, data, size);
  taken.size += size;
  return 0;
}

Measured ResizePiped(const std::vector<std::uint8_t>& source, const bmpresize_options& options) {
  Measured run;
  Piped piped{source};
  Taken taken;
  const std::size_t before = gLive.load();
  gPeak.store(before);
  bmpresize_callbacks(ReadPiped, &piped, TakeWritten, &taken, &options, &run.result);
  run.peak = static_cast<std::int64_t>(gPeak.load() - before);
  if (run.result.code == BMPRESIZE_OK) run.bytes.assign(taken.bytes, taken.bytes + taken.size);
  std::free(taken.bytes);
  return run;
}

// Resizes source (or its region) to percent (400 % unless said) into memory
// of the caller's (not counted), or, piped, through read and write functions.
Measured Resize(const std::vector<std::uint8_t>& source, std::int32_t threads, std::int64_t limit,
                const Region& region = {}, std::int32_t percent = 400, int filter = BMPRESIZE_FILTER_POINT,
                std::int16_t depth = 0, bool piped = false, int flags = 0) {
  bmpresize_options options;
  bmpresize_options_init(&options);
  options.flags = flags;
  options.percent = percent;
  options.depth = depth;
  options.filter = static_cast<std::int16_t>(filter);
  options.region_x = region.x;
  options.region_y = region.y;
  options.region_width = region.width;
  options.region_height = region.height;
  options.threads = threads;
  options.memory_limit = limit;
  if (piped) return ResizePiped(source, options);
  Measured run;
  std::size_t size = 0;
  if (bmpresize_memory_size(source.data(), source.size(), &options, &size, &run.result) != BMPRESIZE_OK) return run;
  void* out = std::malloc(size);
  const std::size_t before = gLive.load();
  gPeak.store(before);
  bmpresize_memory(source.data(), source.size(), out, size, &options, &run.result);
  run.peak = static_cast<std::int64_t>(gPeak.load() - before);
  if (run.result.code == BMPRESIZE_OK)
    run.bytes.assign(static_cast<std::uint8_t*>(out), static_cast<std::uint8_t*>(out) + size);
  std::free(out);
  return run;
}

std::string Describe(const bmpresize_result& result) {
  char text[256];
  bmpresize_describe(&result, "in.bmp", "out.bmp", text, sizeof text);
  return text;
}

// The limit bounds the whole resize, summed over its threads: bands are added
// while they fit, and the bytes stay those of any other count. One band of
// this file takes 23 MiB, two 33 MiB, four 51 MiB.
TEST(MemoryLimit, HoldsForEveryThreadCount) {
  const std::vector<std::uint8_t> source = WideHeader();
  const Measured reference = Resize(source, 4, 1024 * kMiB);
  ASSERT_EQ(reference.result.code, BMPRESIZE_OK) << Describe(reference.result);
  const struct {
    std::int32_t threads;
    std::int64_t limit;
  } cases[] = {
      {1, 32 * kMiB}, {2, 32 * kMiB}, {4, 32 * kMiB},  // one band fits, two do not
      {4, 40 * kMiB},                                  // two fit, four do not
      {4, 0},                                          // the default: four fit
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.threads) + " threads, limit " + std::to_string(c.limit));
    const Measured run = Resize(source, c.threads, c.limit);
    ASSERT_EQ(run.result.code, BMPRESIZE_OK) << Describe(run.result);
    EXPECT_LE(run.peak, c.limit > 0 ? c.limit : BMPRESIZE_DEFAULT_MEMORY_LIMIT);
    EXPECT_TRUE(run.bytes == reference.bytes);
  }
  // Each band with taps of its own, four threads took 87 MiB here.
  EXPECT_LE(reference.peak, 55 * kMiB);
}

// Just below what two bands take, however many threads are allowed, one band
// runs and takes what one thread takes. Here the readers take most of it: a
// narrow region of wide rows, 512 KiB each, read by each band with a reader
// of its own besides the one that read the headers.
TEST(MemoryLimit, JustBelowTwoBandsKeepsOne) {
  const std::vector<std::uint8_t> source = WideHeader();
  const Region region{0, 0, 300, 2};
  const Measured one = Resize(source, 1, 1024 * kMiB, region, 100);
  const Measured two = Resize(source, 2, 1024 * kMiB, region, 100);
  ASSERT_EQ(two.result.code, BMPRESIZE_OK) << Describe(two.result);
  for (const std::int32_t threads : {2, 4}) {
    SCOPED_TRACE(threads);
    const Measured run = Resize(source, threads, two.peak - 1, region, 100);
    ASSERT_EQ(run.result.code, BMPRESIZE_OK) << Describe(run.result);
    EXPECT_LE(run.peak, two.peak - 1);
    EXPECT_EQ(run.peak, one.peak);
    EXPECT_TRUE(run.bytes == one.bytes);
  }
}

// A top-down run-length file of 2,000,000 rows, each an end of line: its
// encoded data, held in memory as it is read, takes 4 MB.
std::vector<std::uint8_t> LongTopDownRunLength() {
  return BmpBytes().Headers(1, -2000000, 8, 54 + 1024, kBiRle8).Zeros(1024 + 4000000).data();
}

// A resize that does not fit on one thread fails before any row is had, the
// size query as the resize; so does the widest claim at the default limit,
// and a top-down run-length file whose data would pass the limit.
TEST(MemoryLimit, RefusesWhatDoesNotFitOnOneThread) {
  const struct {
    const char* what;
    std::vector<std::uint8_t> source;
    std::int64_t limit;
    std::string words;
  } cases[] = {
      {"a limit below one band", WideHeader(), 20 * kMiB,
       "in.bmp: resizing it needs 24 MiB, more than the memory limit of 20 MiB"},
      {"a limit of one byte", WideHeader(), 1,
       "in.bmp: resizing it needs 24 MiB, more than the memory limit of 1 byte"},
      {"a limit in KiB", WideHeader(), 1536, "in.bmp: resizing it needs 24 MiB, more than the memory limit of 1.5 KiB"},
      {"4,194,304 x 2 pixels at the default", BmpBytes().Headers(4194304, 2, 32, 54).data(), 0,
       "in.bmp: resizing it needs 737 MiB, more than the memory limit of 256 MiB"},
      {"run-length data beyond the limit", LongTopDownRunLength(), kMiB, "more than the memory limit of 1 MiB"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    bmpresize_options options;
    bmpresize_options_init(&options);
    options.percent = 400;
    options.memory_limit = c.limit;
    bmpresize_result sized{};
    std::size_t size = 0;
    EXPECT_EQ(bmpresize_memory_size(c.source.data(), c.source.size(), &options, &size, &sized), BMPRESIZE_TOO_LARGE);
    EXPECT_EQ(sized.cause, BMPRESIZE_CAUSE_MEMORY_LIMIT);
    // No buffer at all: the size is refused before the destination is.
    bmpresize_result result{};
    const std::size_t before = gLive.load();
    gPeak.store(before);
    EXPECT_EQ(bmpresize_memory(c.source.data(), c.source.size(), nullptr, 0, &options, &result), BMPRESIZE_TOO_LARGE);
    // Nothing beyond the headers: data to be held is counted before any is.
    EXPECT_LE(gPeak.load() - before, std::size_t{1} << 16);
    EXPECT_EQ(result.cause, BMPRESIZE_CAUSE_MEMORY_LIMIT);
    EXPECT_EQ(result.limit, c.limit > 0 ? c.limit : BMPRESIZE_DEFAULT_MEMORY_LIMIT);
    EXPECT_GT(result.value, result.limit);
    EXPECT_EQ(result.value, sized.value);
    EXPECT_NE(Describe(result).find(c.words), std::string::npos) << Describe(result);
  }
}

}  // namespace

namespace {

// A top-down picture, 500 x 300 at 24 bits, whose rows are held in memory
// where its source cannot seek: 450,000 bytes; or its headers alone.
std::vector<std::uint8_t> TopDown(bool headersOnly = false) {
  BmpBytes b;
  b.Headers(500, -300, 24, 54);
  for (std::size_t i = 0; !headersOnly && i < 1500 * 300; ++i) b.U8(static_cast<std::uint32_t>(i * 7 % 251));
  return b.data();
}

// A top-down run-length picture of 50,000 rows of 200 pixels, each two runs
// and an end of line, 6 bytes a row, held in memory whatever its source.
std::vector<std::uint8_t> TopDownRunLength(std::uint32_t trailingZeros = 0) {
  BmpBytes b;
  b.Headers(200, -50000, 8, 54 + 1024, kBiRle8).Zeros(1024);
  for (std::uint32_t row = 0; row < 50000; ++row) b.U8(100).U8(row % 256).U8(100).U8(7).U8(0).U8(0);
  return b.Zeros(trailingZeros).data();
}

// Wide rows of a depth whose columns are decoded only together, 2 bytes a
// pixel or run-length encoded: a region of them is cut from whole rows.
std::vector<std::uint8_t> Wide16() { return BmpBytes().Headers(131072, 2, 16, 54).data(); }
std::vector<std::uint8_t> WideRunLength() {
  return BmpBytes().Headers(131072, 2, 8, 54 + 1024, kBiRle8).Zeros(1024).U8(255).U8(7).U8(0).U8(1).data();
}

// Headers alone of a picture both wide and tall: 65,536 x 30,000 at 32 bits.
std::vector<std::uint8_t> TallHeader() { return BmpBytes().Headers(65536, 30000, 32, 54).data(); }

// The limit is the most a resize may take: exactly what it needs is enough,
// one byte less is not. What it needs is what a refusal reports. A region
// needs what its own width takes, besides a whole row where rows are cut.
TEST(MemoryLimit, WhatTheResizeNeedsIsEnough) {
  const struct {
    const char* what;
    std::vector<std::uint8_t> source;
    std::int32_t threads;
    Region region;
    std::int32_t percent;
    int filter;
    std::int16_t depth = 0;
    bool piped = false;  // through read and write functions
    int flags = 0;
  } cases[] = {
      {"wide rows", WideHeader(), 1, {}, 400, BMPRESIZE_FILTER_POINT},
      {"wide rows, four threads wanted", WideHeader(), 4, {}, 400, BMPRESIZE_FILTER_POINT},
      {"a small picture", BmpBytes().Headers(5, 3, 24, 54).Zeros(48).data(), 1, {}, 400, BMPRESIZE_FILTER_POINT},
      {"a region of wide rows", WideHeader(), 1, {70000, 1, 3000, 1}, 400, BMPRESIZE_FILTER_POINT},
      {"a region of wide rows, three threads wanted", WideHeader(), 3, {5, 0, 4000, 2}, 400, BMPRESIZE_FILTER_POINT},
      {"a region of wide 16-bit rows", Wide16(), 1, {100000, 0, 2000, 2}, 400, BMPRESIZE_FILTER_POINT},
      {"a region of wide run-length rows", WideRunLength(), 1, {1, 1, 5000, 1}, 400, BMPRESIZE_FILTER_POINT},
      {"wide rows averaged", WideHeader(), 1, {}, 400, BMPRESIZE_FILTER_AREA},
      {"wide rows averaged to 10 %, four threads wanted", WideHeader(), 4, {}, 10, BMPRESIZE_FILTER_AREA},
      {"a region of wide rows averaged", WideHeader(), 2, {70000, 1, 3000, 1}, 400, BMPRESIZE_FILTER_AREA},
      {"wide rows at 8 bits, two threads wanted", WideHeader(), 2, {}, 400, BMPRESIZE_FILTER_POINT, 8},
      {"wide rows at 4 bits", WideHeader(), 1, {}, 400, BMPRESIZE_FILTER_POINT, 4},
      {"wide rows at 1 bit, averaged", WideHeader(), 1, {}, 400, BMPRESIZE_FILTER_AREA, 1},
      {"wide rows at 16 bits", WideHeader(), 1, {}, 400, BMPRESIZE_FILTER_POINT, 16},
      {"wide rows by lanczos3", WideHeader(), 1, {}, 400, BMPRESIZE_FILTER_LANCZOS3},
      {"wide rows by cubic to 10 %, three threads wanted", WideHeader(), 3, {}, 10, BMPRESIZE_FILTER_CUBIC},
      {"a region of wide rows by linear", WideHeader(), 2, {70000, 1, 3000, 1}, 400, BMPRESIZE_FILTER_LINEAR},
      {"wide rows by lanczos3 as light, two threads wanted",
       WideHeader(),
       2,
       {},
       400,
       BMPRESIZE_FILTER_LANCZOS3,
       0,
       false,
       BMPRESIZE_LINEAR},
      {"wide rows averaged as light to 10 %",
       WideHeader(),
       1,
       {},
       10,
       BMPRESIZE_FILTER_AREA,
       0,
       false,
       BMPRESIZE_LINEAR},
      // 601 rows filtered across held for each row out.
      {"a tall support: wide rows by lanczos3 to 1 %, two threads wanted",
       TallHeader(),
       2,
       {},
       1,
       BMPRESIZE_FILTER_LANCZOS3},
      // Data held in memory, had at once: all the rows the header tells, or
      // the run-length data and notes the source's length allows.
      {"a top-down picture piped", TopDown(), 1, {}, 50, BMPRESIZE_FILTER_POINT, 0, true},
      {"a top-down picture piped, its headers alone", TopDown(true), 1, {}, 50, BMPRESIZE_FILTER_POINT, 0, true},
      {"a top-down run-length picture", TopDownRunLength(), 1, {}, 50, BMPRESIZE_FILTER_POINT},
      {"a top-down run-length picture, bytes after its data",
       TopDownRunLength(70000),
       1,
       {},
       50,
       BMPRESIZE_FILTER_POINT},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Measured refused = Resize(c.source, c.threads, 1, c.region, c.percent, c.filter, c.depth, c.piped, c.flags);
    ASSERT_EQ(refused.result.cause, BMPRESIZE_CAUSE_MEMORY_LIMIT);
    EXPECT_EQ(refused.result.notes, 0);  // all it needs, not the least
    const std::int64_t needed = refused.result.value;
    const Measured exact =
        Resize(c.source, c.threads, needed, c.region, c.percent, c.filter, c.depth, c.piped, c.flags);
    EXPECT_EQ(exact.result.code, BMPRESIZE_OK) << Describe(exact.result);
    EXPECT_LE(exact.peak, needed);
    const Measured under =
        Resize(c.source, c.threads, needed - 1, c.region, c.percent, c.filter, c.depth, c.piped, c.flags);
    EXPECT_EQ(under.result.cause, BMPRESIZE_CAUSE_MEMORY_LIMIT);
    // Refused before any of its data is held, with the same need.
    EXPECT_EQ(under.result.value, needed);
    EXPECT_LE(under.peak, 1 << 16);
    // A region takes far less than its whole picture.
    if (c.region.width > 0) {
      EXPECT_LT(needed * 4, Resize(c.source, c.threads, 1, {}, c.percent, c.filter, c.depth).result.value);
    }
  }
}

// Run-length data from a source of unknown length is held as it comes: a
// refusal tells the least the resize needs, more than the limit, and less
// than that does not do either. Raised to it each time, the limit comes to
// one that is enough, the bytes those of a source that can seek.
TEST(MemoryLimit, RunLengthDataOfUnknownLengthTellsTheLeastItNeeds) {
  const std::vector<std::uint8_t> source = TopDownRunLength();
  const Measured seeking = Resize(source, 1, 0, {}, 50);
  ASSERT_EQ(seeking.result.code, BMPRESIZE_OK) << Describe(seeking.result);
  std::int64_t limit = 1;
  Measured run = Resize(source, 1, limit, {}, 50, BMPRESIZE_FILTER_POINT, 0, true);
  EXPECT_NE(Describe(run.result).find("in.bmp: resizing it needs at least "), std::string::npos)
      << Describe(run.result);
  int refusals = 0;
  for (; run.result.code != BMPRESIZE_OK && refusals < 20; ++refusals) {
    SCOPED_TRACE(limit);
    ASSERT_EQ(run.result.cause, BMPRESIZE_CAUSE_MEMORY_LIMIT);
    EXPECT_EQ(run.result.notes, BMPRESIZE_NOTE_NEED_AT_LEAST);
    EXPECT_GT(run.result.value, limit);
    EXPECT_LE(run.peak, limit);
    const std::int64_t least = run.result.value;
    EXPECT_EQ(Resize(source, 1, least - 1, {}, 50, BMPRESIZE_FILTER_POINT, 0, true).result.cause,
              BMPRESIZE_CAUSE_MEMORY_LIMIT);
    limit = least;
    run = Resize(source, 1, limit, {}, 50, BMPRESIZE_FILTER_POINT, 0, true);
  }
  EXPECT_GE(refusals, 3);  // the data grew past its first blocks
  ASSERT_EQ(run.result.code, BMPRESIZE_OK) << Describe(run.result);
  EXPECT_LE(run.peak, limit);
  EXPECT_TRUE(run.bytes == seeking.bytes);
}

}  // namespace
