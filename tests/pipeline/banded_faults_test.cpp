// SPDX-License-Identifier: MIT
// A picture resized in bands on several threads, where one band meets a
// fault: a read that fails, the caller's cancel, a write that fails. The
// whole resize fails with that reason and the destination stays as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "api/checked_options.h"
#include "api/option_calls.h"
#include "files/files_in_flight.h"
#include "support/bmp_bytes.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"
#include "support/vector_sink.h"

using namespace bmpresize;

namespace {

using ByteVector = std::vector<std::uint8_t>;

constexpr std::int32_t kWidth = 64;
constexpr std::int32_t kHeight = 60;
constexpr std::size_t kStride = 3 * kWidth;

ByteVector Picture() {
  BmpBytes b;
  b.Headers(kWidth, kHeight, 24, 54, 0);
  for (std::size_t i = 0; i < kStride * kHeight; ++i) b.U8(static_cast<std::uint32_t>(i * 7 % 251));
  return b.data();
}

// What a read that reaches offset from meets: it fails with error; or, with
// error 0, it sets the cancel flag, as another thread would; or, with reached
// given, it says so there and waits until another thread sets the flag.
// Bytes read once the flag is set are counted in readAfterCancel, if given.
struct Fault {
  std::int64_t from;
  int error;
  volatile sig_atomic_t* cancel;
  std::atomic<int>* reached = nullptr;
  // long: 32-bit cores without 64-bit atomics (ARMv5) count with it too.
  std::atomic<long>* readAfterCancel = nullptr;
};

// The picture's bytes, read with a fault.
class FaultyWay final : public ByteSource {
 public:
  FaultyWay(const ByteVector& data, const Fault& fault) : data_(data), fault_(fault) {}
  std::int64_t Position() const override { return at_; }
  bool CanSeek() const override { return true; }
  std::int64_t Length() const override { return static_cast<std::int64_t>(data_.size()); }

 private:
  std::size_t Fetch(void* destination, std::size_t n) override {
    if (fault_.readAfterCancel != nullptr && __atomic_load_n(fault_.cancel, __ATOMIC_RELAXED) != 0)
      fault_.readAfterCancel->fetch_add(static_cast<long>(n));
    std::size_t got =
        at_ < static_cast<std::int64_t>(data_.size()) ? std::min(n, data_.size() - static_cast<std::size_t>(at_)) : 0;
    if (at_ + static_cast<std::int64_t>(got) > fault_.from) {
      if (fault_.error != 0) {
        got = at_ < fault_.from ? static_cast<std::size_t>(fault_.from - at_) : 0;
        std::memcpy(destination, data_.data() + at_, got);
        at_ += static_cast<std::int64_t>(got);
        NoteError(fault_.error);
        return got;
      }
      if (fault_.reached == nullptr) {
        __atomic_store_n(fault_.cancel, 1, __ATOMIC_RELAXED);
      } else {
        fault_.reached->store(1);
        while (__atomic_load_n(fault_.cancel, __ATOMIC_RELAXED) == 0)
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    }
    std::memcpy(destination, data_.data() + at_, got);
    at_ += static_cast<std::int64_t>(got);
    if (got < n) NoteEnd();
    return got;
  }
  bool Seek(std::int64_t position) override {
    at_ = position;
    return true;
  }

  const ByteVector& data_;
  Fault fault_;
  std::int64_t at_ = 0;
};

// The picture, every way of reading it (each band's) with the fault.
class FaultySource final : public SourceEnd {
 public:
  FaultySource(const ByteVector& data, const Fault& fault) : data_(data), bytes_(data, fault), fault_(fault) {}
  Status Open() override { return {}; }
  ByteSource& Bytes() override { return bytes_; }
  std::unique_ptr<ByteSource> IndependentBytes() const override { return std::make_unique<FaultyWay>(data_, fault_); }

 private:
  const ByteVector& data_;
  FaultyWay bytes_;
  Fault fault_;
};

// A destination in memory whose writes at offsets fail with ENOSPC.
class FullAtOffsets final : public DestinationEnd, private OffsetSink {
 public:
  Status Accepts(std::uint64_t) override { return {}; }
  Status Open(const SourceEnd&, std::uint64_t) override { return {}; }
  ByteSink& Bytes() override { return bytes_; }
  OffsetSink* StartOffsets() override { return this; }
  Status Commit(bool) override { return {}; }

 private:
  Status WriteAt(std::int64_t, const void*, std::size_t) override {
    return BecauseOfError(BMPRESIZE_CAUSE_WRITE_FAILED, ENOSPC);
  }
  VectorSink bytes_;
};

TEST(BandedResize, AFaultInOneBandFailsTheWhole) {
  const ByteVector picture = Picture();
  // Three bands of about 20 rows: the middle one reads the file's rows 21 to 40.
  const std::int64_t middleBand = 54 + 30 * static_cast<std::int64_t>(kStride);
  const struct {
    const char* what;
    int error;  // 0: the band cancels
    std::int32_t code, cause;
    std::int16_t filter;
    std::int32_t height;  // 0: percent
    std::int32_t percent = 99;
  } cases[] = {
      {"read error", EIO, BMPRESIZE_SOURCE_UNREADABLE, BMPRESIZE_CAUSE_READ_FAILED, BMPRESIZE_FILTER_POINT, 0},
      {"cancelled", 0, BMPRESIZE_DESTINATION_FAILED, BMPRESIZE_CAUSE_CANCELLED, BMPRESIZE_FILTER_POINT, 0},
      // One row a band, each the average of 20 source rows: the band stops
      // within them, not at its row's end.
      {"cancelled averaging", 0, BMPRESIZE_DESTINATION_FAILED, BMPRESIZE_CAUSE_CANCELLED, BMPRESIZE_FILTER_AREA, 3},
      {"read error averaging", EIO, BMPRESIZE_SOURCE_UNREADABLE, BMPRESIZE_CAUSE_READ_FAILED, BMPRESIZE_FILTER_AREA, 3},
      // Each row filtered from some 60 source rows: the band stops within them.
      {"cancelled filtering", 0, BMPRESIZE_DESTINATION_FAILED, BMPRESIZE_CAUSE_CANCELLED, BMPRESIZE_FILTER_LANCZOS3, 3},
      {"read error filtering", EIO, BMPRESIZE_SOURCE_UNREADABLE, BMPRESIZE_CAUSE_READ_FAILED, BMPRESIZE_FILTER_CUBIC,
       0},
      // At 100 % the stored rows are handed through: read a block at a time,
      // where an error must not pass for the data's end.
      {"read error, rows handed through", EIO, BMPRESIZE_SOURCE_UNREADABLE, BMPRESIZE_CAUSE_READ_FAILED,
       BMPRESIZE_FILTER_POINT, 0, 100},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const std::string out = dir.File("out.bmp");
    WriteFileBytes(out, {'k', 'e', 'e', 'p'});
    volatile sig_atomic_t cancel = 0;
    std::atomic<long> readAfterCancel{0};
    FaultySource from(picture, {middleBand, c.error, &cancel, nullptr, &readAfterCancel});
    const NativePath to8(out.c_str());
    bmpresize_options options = DefaultOptions();
    options.percent = c.percent;  // at 100 % the rows are copied as they are
    options.width = c.height > 0 ? kWidth : 0;
    options.height = c.height;
    options.filter = c.filter;
    options.threads = 3;
    options.cancel = &cancel;
    bmpresize_result result;
    {
      PathDestination to(to8.get());
      result = Resize(from, to, options);
    }
    EXPECT_EQ(result.code, c.code);
    EXPECT_EQ(result.cause, c.cause);
    if (c.error != 0) {
      EXPECT_EQ(result.error, c.error);
    }
    EXPECT_EQ(ReadFileBytes(out), (ByteVector{'k', 'e', 'e', 'p'}));
    EXPECT_EQ(ListFolder(dir.path()), std::set<std::string>{"out.bmp"});
    // Once cancelled, each band stops within a row or two.
    EXPECT_LE(readAfterCancel.load(), 3 * 2 * static_cast<long>(kStride));
  }
}

// The caller's thread cancels a resize in flight on another thread, one
// whose source holds it at its middle rows until then. Before that, the new
// file in flight may be removed, as a signal handler that ends the process
// removes it; the resize still ends cancelled, with nothing left, and each
// band stopped within a row or two of the cancel rather than reading on.
TEST(BandedResize, AnotherThreadCancelsAResizeInFlight) {
  const ByteVector picture = Picture();
  const std::int64_t middle = 54 + 30 * static_cast<std::int64_t>(kStride);
  const struct {
    std::int32_t threads;
    bool removeFirst;
  } cases[] = {
      {1, false},
      {3, false},
#ifndef _WIN32
      // Windows removes no file that is still open.
      {1, true},
      {3, true},
#endif
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.threads << " threads" << (c.removeFirst ? ", new file removed first" : ""));
    TempDir dir;
    const std::string out = dir.File("out.bmp");
    WriteFileBytes(out, {'k', 'e', 'e', 'p'});
    volatile sig_atomic_t cancel = 0;
    std::atomic<int> reached{0};
    std::atomic<long> readAfterCancel{0};
    FaultySource from(picture, {middle, 0, &cancel, &reached, &readAfterCancel});
    const NativePath to8(out.c_str());
    bmpresize_options options = DefaultOptions();
    options.percent = 99;
    options.threads = c.threads;
    options.cancel = &cancel;
    bmpresize_result result{};
    std::thread resize([&] {
      PathDestination to(to8.get());
      result = Resize(from, to, options);
    });
    while (reached.load() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(ListFolder(dir.path()).size(), 2u) << "the new file beside out.bmp";
    if (c.removeFirst) {
      RemoveFilesInFlight();
      AllowNewFilesAgain();
      EXPECT_EQ(ListFolder(dir.path()), std::set<std::string>{"out.bmp"});
    }
    __atomic_store_n(&cancel, 1, __ATOMIC_RELAXED);
    resize.join();
    EXPECT_EQ(result.code, BMPRESIZE_DESTINATION_FAILED);
    EXPECT_EQ(result.cause, BMPRESIZE_CAUSE_CANCELLED);
    EXPECT_EQ(ReadFileBytes(out), (ByteVector{'k', 'e', 'e', 'p'}));
    EXPECT_EQ(ListFolder(dir.path()), std::set<std::string>{"out.bmp"});
    EXPECT_LE(readAfterCancel.load(), c.threads * 2 * static_cast<long>(kStride));
  }
}

TEST(BandedResize, AWriteThatFailsFailsTheWhole) {
  const ByteVector picture = Picture();
  MemorySourceEnd from(picture.data(), picture.size());
  FullAtOffsets to;
  bmpresize_options options = DefaultOptions();
  options.percent = 99;
  options.threads = 2;
  const bmpresize_result result = Resize(from, to, options);
  EXPECT_EQ(result.code, BMPRESIZE_DESTINATION_FAILED);
  EXPECT_EQ(result.cause, BMPRESIZE_CAUSE_WRITE_FAILED);
  EXPECT_EQ(result.error, ENOSPC);
}

}  // namespace

namespace {

// A picture of depth bits cut short after rowsHeld of its kHeight rows (at
// their whole, for a bottom-up file: the bottom ones).
ByteVector CutPicture(std::uint16_t depth, std::int64_t rowsHeld, bool topDown = false, std::size_t more = 0) {
  BmpBytes b;
  const std::size_t stride = (static_cast<std::size_t>(kWidth) * depth / 8 + 3) & ~std::size_t{3};
  b.Headers(kWidth, topDown ? -kHeight : kHeight, depth, 54, 0);
  for (std::size_t i = 0; i < stride * static_cast<std::size_t>(rowsHeld) + more; ++i)
    b.U8(static_cast<std::uint32_t>(i * 13 % 251));
  return b.data();
}

// A file that shrinks to shrinksTo bytes once a read reaches past them,
// whichever way of reading it (each band's) makes that read.
struct Shrink {
  std::size_t shrinksTo = SIZE_MAX;
};

class ShrinkingFile {
 public:
  ShrinkingFile(const ByteVector& data, Shrink shrink) : data_(data), shrink_(shrink), length_(data.size()) {}
  std::size_t Length() const { return length_.load(); }
  // The bytes from at up to n, as the file holds them when the read is made.
  std::size_t Read(std::size_t at, void* destination, std::size_t n) {
    if (at + n > shrink_.shrinksTo) length_.store(std::min(length_.load(), shrink_.shrinksTo));
    const std::size_t length = length_.load();
    const std::size_t got = at < length ? std::min(n, length - at) : 0;
    std::memcpy(destination, data_.data() + at, got);
    return got;
  }

 private:
  const ByteVector& data_;
  Shrink shrink_;
  std::atomic<std::size_t> length_;
};

class ShrinkingWay final : public ByteSource {
 public:
  explicit ShrinkingWay(ShrinkingFile& file) : file_(file) {}
  std::int64_t Position() const override { return static_cast<std::int64_t>(at_); }
  bool CanSeek() const override { return true; }
  std::int64_t Length() const override { return static_cast<std::int64_t>(file_.Length()); }

 private:
  std::size_t Fetch(void* destination, std::size_t n) override {
    const std::size_t got = file_.Read(at_, destination, n);
    at_ += got;
    if (got < n) NoteEnd();
    return got;
  }
  bool Seek(std::int64_t position) override {
    at_ = static_cast<std::size_t>(position);
    return true;
  }

  ShrinkingFile& file_;
  std::size_t at_ = 0;
};

class ShrinkingSource final : public SourceEnd {
 public:
  ShrinkingSource(const ByteVector& data, Shrink shrink) : file_(data, shrink), bytes_(file_) {}
  Status Open() override { return {}; }
  ByteSource& Bytes() override { return bytes_; }
  std::unique_ptr<ByteSource> IndependentBytes() const override { return std::make_unique<ShrinkingWay>(file_); }

 private:
  mutable ShrinkingFile file_;
  ShrinkingWay bytes_;
};

struct MemoryRun {
  bmpresize_result result{};
  ByteVector bytes;
};

MemoryRun ResizeInMemory(const ByteVector& source, std::int32_t percent, std::int32_t threads, Shrink shrink = {}) {
  MemoryRun run;
  run.bytes.assign(std::size_t{1} << 20, 0);
  ShrinkingSource from(source, shrink);
  MemoryDestination to(run.bytes.data(), run.bytes.size());
  bmpresize_options options = DefaultOptions();
  options.percent = percent;
  options.threads = threads;
  run.result = Resize(from, to, options);
  run.bytes.resize(static_cast<std::size_t>(std::max<std::int64_t>(0, run.result.size)));
  return run;
}

}  // namespace

// A source cut short, resized in bands: whichever bands meet the end of the
// data, the result tells the shortfall, and the bytes are, as of one thread.
// 16-bit rows past the end repeat the last pixel read, which a band that
// starts above the end never read: such files stay on one band. A top-down
// file that shrinks while it is read is cut where the band that met the new
// end found it, though the others found the end where it was before.
TEST(BandedResize, ACutShortSourceGivesTheOutcomeOfOneThread) {
  const struct {
    std::uint16_t depth;
    std::int64_t rowsHeld;
    bool topDown;
    std::size_t more;        // bytes of the next row
    std::int64_t shrinksTo;  // rows, once a read reaches past them; 0: never
  } cases[] = {{24, 50, false, 0, 0},      {24, 10, false, 0, 0}, {24, 0, false, 0, 0},   {24, 31, true, 0, 0},
               {32, 45, false, 0, 0},      {16, 40, false, 0, 0}, {16, 40, false, 30, 0}, {16, 10, false, 30, 0},
               {24, kHeight, false, 0, 0}, {24, 50, true, 0, 40}};
  for (const auto& c : cases) {
    const ByteVector source = CutPicture(c.depth, c.rowsHeld, c.topDown, c.more);
    const std::int64_t stride = static_cast<std::int64_t>(kWidth) * c.depth / 8;
    const std::int64_t rowsRead = c.shrinksTo > 0 ? c.shrinksTo : c.rowsHeld;
    Shrink shrink;
    if (c.shrinksTo > 0) shrink.shrinksTo = static_cast<std::size_t>(54 + c.shrinksTo * stride);
    const MemoryRun one = ResizeInMemory(source, 99, 1, shrink);
    ASSERT_EQ(one.result.code, BMPRESIZE_OK);
    ASSERT_EQ(one.result.shortfall.cut_short, c.rowsHeld < kHeight);
    EXPECT_EQ(one.result.shortfall.rows_read, c.rowsHeld < kHeight ? rowsRead : 0);
    for (const std::int32_t threads : {2, 3, 4}) {
      SCOPED_TRACE(testing::Message() << c.depth << " bits, " << c.rowsHeld << " rows held, " << threads << " threads");
      const MemoryRun many = ResizeInMemory(source, 99, threads, shrink);
      EXPECT_EQ(many.result.code, BMPRESIZE_OK);
      EXPECT_EQ(many.result.shortfall.cut_short, one.result.shortfall.cut_short);
      EXPECT_EQ(many.result.shortfall.rows_read, one.result.shortfall.rows_read);
      EXPECT_EQ(many.result.shortfall.rows, kHeight);
      EXPECT_EQ(many.result.shortfall.top_down, c.topDown);
      EXPECT_EQ(many.result.shortfall.repeats_last_pixel, one.result.shortfall.repeats_last_pixel);
      EXPECT_TRUE(many.bytes == one.bytes);
    }
  }
}

namespace {

// A destination that fails where it is told to, and tells what a failure
// left of it.
class FailingDestination final : public DestinationEnd {
 public:
  FailingDestination(bool failWrites, int leftPartial) : failWrites_(failWrites), leftPartial_(leftPartial) {}
  Status Accepts(std::uint64_t) override { return {}; }
  Status Open(const SourceEnd&, std::uint64_t) override { return {}; }
  ByteSink& Bytes() override { return bytes_; }
  OffsetSink* StartOffsets() override { return nullptr; }
  Status Commit(bool) override {
    if (failWrites_) return {};
    return BecauseOfError(BMPRESIZE_CAUSE_WRITE_FAILED, EIO);
  }
  void Abandon() override { abandoned = true; }
  int LeftPartial() const override { return leftPartial_; }
  bool abandoned = false;

 private:
  class Refusing final : public ByteSink {
   public:
    Status Write(const void*, std::size_t) override { return BecauseOfError(BMPRESIZE_CAUSE_WRITE_FAILED, ENOSPC); }
  };
  bool failWrites_;
  int leftPartial_;
  Refusing refusing_;
  VectorSink accepting_;
  ByteSink& bytes_ = failWrites_ ? static_cast<ByteSink&>(refusing_) : static_cast<ByteSink&>(accepting_);
};

}  // namespace

// What a failed write or a failed commit left of the destination reaches the
// result, and the destination is given up.
TEST(FailedDestination, TellsWhatWasLeftOfIt) {
  const ByteVector picture = Picture();
  const struct {
    bool failWrites;
    int leftPartial;
    int error;
  } cases[] = {
      {true, BMPRESIZE_PARTIAL_NONE, ENOSPC},
      {false, BMPRESIZE_PARTIAL_IN_PLACE, EIO},
      {true, BMPRESIZE_PARTIAL_DESCRIPTOR, ENOSPC},
  };
  for (const auto& c : cases) {
    for (const std::int32_t percent : {100, 99}) {
      SCOPED_TRACE(testing::Message() << (c.failWrites ? "write" : "commit") << " fails, at " << percent << " %");
      MemorySourceEnd from(picture.data(), picture.size());
      FailingDestination to(c.failWrites, c.leftPartial);
      bmpresize_options options = DefaultOptions();
      options.percent = percent;
      const bmpresize_result result = Resize(from, to, options);
      EXPECT_EQ(result.cause, BMPRESIZE_CAUSE_WRITE_FAILED);
      EXPECT_EQ(result.error, c.error);
      EXPECT_EQ(result.partial_left, c.leftPartial);
      EXPECT_TRUE(to.abandoned);
    }
  }
}

namespace {

// A path that could not be made the system's is not opened, and says why.
TEST(UnusablePath, IsNotOpenedAndSaysWhy) {
  PathSource from(nullptr, EILSEQ);
  ByteVector out(4096);
  MemoryDestination to(out.data(), out.size());
  const bmpresize_result result = Resize(from, to, DefaultOptions());
  EXPECT_EQ(result.cause, BMPRESIZE_CAUSE_OPEN_FAILED);
  EXPECT_EQ(result.value, BMPRESIZE_PATH_UNUSABLE_NAME);
  EXPECT_EQ(result.error, EILSEQ);
}

// Memory written at offsets takes nothing past its end.
TEST(MemoryDestination, RefusesWritesPastItsEnd) {
  ByteVector out(16, 0xAB);
  MemoryDestination to(out.data(), out.size());
  OffsetSink& sink = *to.StartOffsets();
  const std::uint8_t bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_TRUE(sink.WriteAt(8, bytes, 8).Ok());
  for (const std::int64_t offset : {std::int64_t{9}, std::int64_t{17}, std::int64_t{-1}}) {
    const Status refused = sink.WriteAt(offset, bytes, 8);
    ASSERT_FALSE(refused.Ok()) << offset;
    EXPECT_EQ(refused.Why().error, ENOSPC) << offset;
  }
  EXPECT_EQ(ByteVector(out.begin() + 8, out.end()), ByteVector(bytes, bytes + 8));
  EXPECT_EQ(ByteVector(out.begin(), out.begin() + 8), ByteVector(8, 0xAB));
}

}  // namespace
