// SPDX-License-Identifier: MIT
// A resize from one file into another when a system call under it fails, at
// each of its uses in turn: memory that cannot be had, a seek (after rows were
// copied from file to file inside the system, among others), a thread that
// will not start. The resize fails with that reason and leaves the old
// destination and nothing else, or takes another way and gives the bytes it
// gives without the fault. Linux with glibc (files/system_call_faults.h).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <set>
#include <string>
#include <vector>

#include "api/checked_options.h"
#include "api/option_calls.h"
#include "files/native_path.h"
#include "files/system_call_faults.h"
#include "pipeline/descriptor_ends.h"
#include "support/bmp_bytes.h"
#include "support/temp_dir.h"

using namespace bmpresize;

namespace {

using ByteVector = std::vector<std::uint8_t>;

const ByteVector kOld = {'o', 'l', 'd'};

// Large enough that several bands take it and its rows are copied in more
// than one block.
ByteVector Picture() {
  constexpr std::int32_t kWidth = 700, kHeight = 600;
  constexpr std::size_t kStride = (3 * kWidth + 3) / 4 * 4;
  BmpBytes b;
  b.Headers(kWidth, kHeight, 24, 54, 0);
  for (std::size_t i = 0; i < kStride * kHeight; ++i) b.U8(static_cast<std::uint32_t>(i * 7 % 251));
  return b.data();
}

struct Outcome {
  bmpresize_result result{};
  ByteVector written;  // what out.bmp holds afterwards
  std::set<std::string> folder;
};

Outcome ResizeFiles(const ByteVector& picture, std::int32_t percent, std::int32_t threads) {
  TempDir dir;
  const std::string in = dir.File("in.bmp"), out = dir.File("out.bmp");
  WriteFileBytes(in, picture);
  WriteFileBytes(out, kOld);
  const NativePath from8(in.c_str()), to8(out.c_str());
  bmpresize_options options = DefaultOptions();
  options.percent = percent;
  options.threads = threads;
  Outcome outcome;
  {
    PathSource from(from8.get());
    PathDestination to(to8.get());
    outcome.result = Resize(from, to, options);
  }
  outcome.written = ReadFileBytes(out);
  outcome.folder = ListFolder(dir.path());
  return outcome;
}

struct Row {
  const char* call;
  int error;
  std::int32_t percent, threads;
  // What a use that fails ends in, BMPRESIZE_OK where the resize goes
  // another way; the cause while the headers are read, then after.
  std::int32_t code;
  bmpresize_cause reading, resizing;
};

const Row kRows[] = {
    {"new", ENOMEM, 99, 3, BMPRESIZE_TOO_LARGE, BMPRESIZE_CAUSE_NO_MEMORY_TO_READ, BMPRESIZE_CAUSE_NO_MEMORY},
    {"new", ENOMEM, 100, 3, BMPRESIZE_TOO_LARGE, BMPRESIZE_CAUSE_NO_MEMORY_TO_READ, BMPRESIZE_CAUSE_NO_MEMORY},
    {"new", ENOMEM, 100, 1, BMPRESIZE_TOO_LARGE, BMPRESIZE_CAUSE_NO_MEMORY_TO_READ, BMPRESIZE_CAUSE_NO_MEMORY},
    // At 100 % the rows are copied inside the system, then the source is
    // sought past them; the bands read at offsets and never seek.
    {"seek", EIO, 100, 1, BMPRESIZE_SOURCE_UNREADABLE, BMPRESIZE_CAUSE_READ_FAILED, BMPRESIZE_CAUSE_READ_FAILED},
    {"seek", EIO, 100, 3, BMPRESIZE_SOURCE_UNREADABLE, BMPRESIZE_CAUSE_READ_FAILED, BMPRESIZE_CAUSE_READ_FAILED},
    {"pthread_create", EAGAIN, 99, 4, BMPRESIZE_OK, BMPRESIZE_CAUSE_NONE, BMPRESIZE_CAUSE_NONE},
};

TEST(SystemFaults, EachUseFailingFailsTheResizeCleanlyOrGoesAnotherWay) {
  const ByteVector picture = Picture();
  for (const Row& row : kRows) {
    const Outcome clean = ResizeFiles(picture, row.percent, row.threads);
    ASSERT_EQ(clean.result.code, BMPRESIZE_OK);
    int failed = 0;
    for (int skip = 0;; ++skip) {
      SCOPED_TRACE(testing::Message() << row.call << " at " << row.percent << " %, " << row.threads << " threads, use "
                                      << skip);
      PlantedFaults faults;
      PlantFault(row.call, row.error, skip);
      const Outcome faulty = ResizeFiles(picture, row.percent, row.threads);
      const bool used = !StillPlanted(row.call);
      ClearFaults();
      if (skip == 0) {
        EXPECT_TRUE(used) << "the resize makes the call";
      }
      if (faulty.result.code == BMPRESIZE_OK) {
        EXPECT_EQ(faulty.written, clean.written);
      } else {
        ++failed;
        EXPECT_TRUE(used);
        EXPECT_EQ(faulty.result.code, row.code);
        const std::set<std::int32_t> causes = {row.reading, row.resizing};
        EXPECT_EQ(causes.count(faulty.result.cause), 1u) << faulty.result.cause;
        EXPECT_EQ(faulty.result.partial_left, BMPRESIZE_PARTIAL_NONE);
        EXPECT_EQ(faulty.written, kOld);
      }
      EXPECT_EQ(faulty.folder, (std::set<std::string>{"in.bmp", "out.bmp"}));
      if (!used || skip > 200) break;
    }
    // Each row's fault fails some use, but where the resize has another way.
    EXPECT_EQ(failed > 0, row.code != BMPRESIZE_OK) << row.call << " at " << row.percent << " %, " << row.threads;
  }
}

// A descriptor destination asked to sync fails when the sync does, with the
// system's reason; what went out stays there.
TEST(SystemFaults, AFailedSyncOfADescriptorFailsTheResize) {
  TempDir dir;
  const std::string in = dir.File("in.bmp"), out = dir.File("out.bmp");
  WriteFileBytes(in, Picture());
  for (const int error : {0, EIO}) {
    SCOPED_TRACE(error);
    const int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    bmpresize_options options = DefaultOptions();
    options.percent = 50;
    options.sync = 1;
    const NativePath from8(in.c_str());
    PathSource from(from8.get());
    DescriptorDestination to(fd);
    bmpresize_result result;
    {
      PlantedFaults faults;
      if (error != 0) PlantFault("fsync", error);
      result = Resize(from, to, options);
    }
    (void)close(fd);
    EXPECT_EQ(result.cause, error != 0 ? BMPRESIZE_CAUSE_WRITE_FAILED : BMPRESIZE_CAUSE_NONE);
    EXPECT_EQ(result.error, error);
    EXPECT_EQ(result.partial_left, error != 0 ? BMPRESIZE_PARTIAL_DESCRIPTOR : BMPRESIZE_PARTIAL_NONE);
    EXPECT_FALSE(ReadFileBytes(out).empty());
  }
}

}  // namespace
