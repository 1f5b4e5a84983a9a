// SPDX-License-Identifier: MIT
// A picture resized in bands on several threads, where one band meets a
// fault: a read that fails, the caller's cancel, a write that fails. The
// whole resize fails with that reason and the destination stays as it was.
#include <gtest/gtest.h>

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

#include "files/files_in_flight.h"
#include "pipeline/resize.h"
#include "support/bmp_bytes.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"
#include "support/vector_sink.h"

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
struct Fault {
  std::int64_t from;
  int error;
  volatile sig_atomic_t* cancel;
  std::atomic<int>* reached = nullptr;
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
  std::unique_ptr<ByteSource> Another() const override { return std::make_unique<FaultyWay>(data_, fault_); }

 private:
  const ByteVector& data_;
  FaultyWay bytes_;
  Fault fault_;
};

// A destination in memory whose writes at offsets fail with ENOSPC.
class FullAtOffsets final : public DestinationEnd, private OffsetSink {
 public:
  Status Accepts(std::uint64_t) override { return {}; }
  Status Open(const SourceEnd&) override { return {}; }
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
  } cases[] = {
      {"read error", EIO, BMPRESIZE_SOURCE_UNREADABLE, BMPRESIZE_CAUSE_READ_FAILED},
      {"cancelled", 0, BMPRESIZE_DESTINATION_FAILED, BMPRESIZE_CAUSE_CANCELLED},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const std::string out = dir.File("out.bmp");
    WriteFileBytes(out, {'k', 'e', 'e', 'p'});
    volatile sig_atomic_t cancel = 0;
    FaultySource from(picture, {middleBand, c.error, &cancel});
    const NativePath to8(out.c_str());
    bmpresize_options options = DefaultOptions();
    options.percent = 99;  // at 100 % the rows would be copied as they are
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
  }
}

// The caller's thread cancels a resize in flight on another thread, one
// whose source holds it at its middle rows until then. Before that, the new
// file in flight may be removed, as a signal handler that ends the process
// removes it; the resize still ends cancelled, with nothing left.
TEST(BandedResize, AnotherThreadCancelsAResizeInFlight) {
  const ByteVector picture = Picture();
  const std::int64_t middle = 54 + 30 * static_cast<std::int64_t>(kStride);
  const struct {
    std::int32_t threads;
    bool removeFirst;
  } cases[] = {{1, false}, {3, false}, {1, true}, {3, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.threads << " threads" << (c.removeFirst ? ", new file removed first" : ""));
    TempDir dir;
    const std::string out = dir.File("out.bmp");
    WriteFileBytes(out, {'k', 'e', 'e', 'p'});
    volatile sig_atomic_t cancel = 0;
    std::atomic<int> reached{0};
    FaultySource from(picture, {middle, 0, &cancel, &reached});
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
