// SPDX-License-Identifier: MIT
// Paths that name an open descriptor (/dev/stdout, /dev/fd/N, /proc/self/fd/N,
// /proc/<pid>/fd/N, /dev/stdin), through bmpresize_file and the export, and as
// destinations of a source in memory or named by its descriptor: read and
// written through the descriptor where it stands, so an append keeps what the
// file held, pipes work, and the file behind it is never replaced; a reader
// that leaves early keeps what it took, and the result says so. With
// sync asked, what is written reaches the storage, by path or by descriptor.
#include <gtest/gtest.h>

#if !defined(_WIN32)

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

#include "bmpresize.h"
#include "support/bmp_bytes.h"
#include "support/export_call.h"
#include "support/temp_dir.h"

using namespace bmpresize;

#if defined(__linux__)
#include <sys/stat.h>
#include <sys/syscall.h>

#include <mutex>
#include <set>
#include <utility>

namespace {

// The files this process has synced to storage, by device and inode: this
// program's fsync stands in for the system's, which it then calls.
std::mutex gSyncedLock;
std::set<std::pair<dev_t, ino_t>> gSynced;

std::pair<dev_t, ino_t> IdentityOf(const std::string& path) {
  struct stat st {};
  (void)stat(path.c_str(), &st);
  return {st.st_dev, st.st_ino};
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int fsync(int fd) {
  struct stat st {};
  if (fstat(fd, &st) == 0) {
    const std::lock_guard<std::mutex> lock(gSyncedLock);
    gSynced.insert({st.st_dev, st.st_ino});
  }
  return static_cast<int>(syscall(SYS_fsync, fd));
}
#endif

namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kHeld = {'H', 'E', 'L', 'D'};

Bytes Picture(std::int32_t width, std::int32_t height) {
  BmpBytes b;
  const std::int32_t rows = height < 0 ? -height : height;
  b.Headers(width, height, 24, 54);
  const std::size_t stride = (3 * static_cast<std::size_t>(width) + 3) / 4 * 4;
  for (std::size_t i = 0; i < stride * static_cast<std::size_t>(rows); ++i) b.U8(static_cast<std::uint32_t>(i * 13));
  return b.data();
}

Bytes Joined(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// What stands behind the descriptor of a row.
enum class Behind {
  kAppendFile,     // a file that holds kHeld, opened for appending
  kFileAfterHeld,  // a file of kHeld and then the source, read from after kHeld
  kPipe,           // a pipe, its other end read or written by a thread
  kPipeLeftEarly,  // a pipe whose reader takes the first bytes, then closes it
  kSourceFile,     // the source file itself, opened for appending
  kNotOpen,        // a number no descriptor has
};

// How the path names it: /dev/stdin or /dev/stdout, or /dev/fd/0 or /dev/fd/1
// (the descriptor put in place of 0 or 1 for the call), /dev/fd/N,
// /proc/self/fd/N, /proc/<pid>/fd/N.
enum class Spelling { kStandard, kStandardNumber, kDevFd, kProcSelf, kProcPid };

std::string PathFor(Spelling spelling, int fd, bool asSource) {
  switch (spelling) {
    case Spelling::kStandard:
      return asSource ? "/dev/stdin" : "/dev/stdout";
    case Spelling::kStandardNumber:
      return asSource ? "/dev/fd/0" : "/dev/fd/1";
    case Spelling::kDevFd:
      return "/dev/fd/" + std::to_string(fd);
    case Spelling::kProcSelf:
      return "/proc/self/fd/" + std::to_string(fd);
    case Spelling::kProcPid:
      return "/proc/" + std::to_string(getpid()) + "/fd/" + std::to_string(fd);
  }
  return {};
}

// The descriptor of a row with the far end of a pipe, and what came of it.
class Descriptor {
 public:
  Descriptor(Behind behind, bool asSource, const std::string& file, const Bytes& source) {
    int ends[2];
    switch (behind) {
      case Behind::kAppendFile:
        WriteFileBytes(file, kHeld);
        fd_ = open(file.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
        break;
      case Behind::kFileAfterHeld:
        WriteFileBytes(file, Joined({kHeld, source}));
        fd_ = open(file.c_str(), O_RDONLY | O_CLOEXEC);
        (void)lseek(fd_, static_cast<off_t>(kHeld.size()), SEEK_SET);
        break;
      case Behind::kPipe:
      case Behind::kPipeLeftEarly:
        if (pipe(ends) != 0) return;
        fd_ = asSource ? ends[0] : ends[1];
        farEnd_ = asSource ? ends[1] : ends[0];
        pump_ = asSource ? std::thread([this, source] { Feed(source); })
                         : std::thread([this, behind] { Drain(behind == Behind::kPipeLeftEarly); });
        break;
      case Behind::kSourceFile:
        fd_ = open(file.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
        break;
      case Behind::kNotOpen:
        fd_ = 987;
        (void)close(fd_);
        return;
    }
    EXPECT_GE(fd_, 0);
  }
  ~Descriptor() { Close(); }
  int fd() const { return fd_; }
  // Closes this end, then waits for the far end's thread; answers what a
  // drained pipe gave.
  const Bytes& Close() {
    if (fd_ != 987 && fd_ >= 0) (void)close(fd_);
    fd_ = -1;
    if (pump_.joinable()) pump_.join();
    return drained_;
  }

 private:
  void Feed(const Bytes& bytes) {
    // A reader that gave up makes this fail (this thread takes no SIGPIPE),
    // which the row's outcome shows.
    sigset_t brokenPipe;
    sigemptyset(&brokenPipe);
    sigaddset(&brokenPipe, SIGPIPE);
    (void)pthread_sigmask(SIG_BLOCK, &brokenPipe, nullptr);
    (void)!write(farEnd_, bytes.data(), bytes.size());
    (void)close(farEnd_);
  }
  // Reads until the end, or once only where the reader leaves early.
  void Drain(bool leaveEarly) {
    std::uint8_t buffer[4096];
    ssize_t n;
    while ((n = read(farEnd_, buffer, sizeof buffer)) > 0) {
      drained_.insert(drained_.end(), buffer, buffer + n);
      if (leaveEarly) break;
    }
    (void)close(farEnd_);
  }

  int fd_ = -1;
  int farEnd_ = -1;
  std::thread pump_;
  Bytes drained_;
};

// Runs call with fd standing in for standard input or output, as the shell's
// redirection would have it.
void InPlaceOf(int standard, int fd, const std::function<void()>& call) {
  std::fflush(stdout);
  const int saved = dup(standard);
  ASSERT_GE(saved, 0);
  ASSERT_EQ(dup2(fd, standard), standard);
  call();
  ASSERT_EQ(dup2(saved, standard), standard);
  (void)close(saved);
}

using WayIn =
    std::function<std::int32_t(const std::string& source, const std::string& destination, bmpresize_result& result)>;

std::int32_t ByFile(const std::string& source, const std::string& destination, bmpresize_result& result) {
  bmpresize_options options;
  bmpresize_options_init(&options);
  options.percent = 50;
  return bmpresize_file(source.c_str(), destination.c_str(), &options, &result);
}

std::int32_t ByExport(const std::string& source, const std::string& destination, bmpresize_result& result) {
  result = bmpresize_result{};
  return CallExport(source, destination, 50);
}

// The source file's bytes, from memory.
std::int32_t FromMemory(const std::string& source, const std::string& destination, bmpresize_result& result) {
  const Bytes bytes = ReadFileBytes(source);
  bmpresize_source from{};
  from.data = bytes.data();
  from.size = bytes.size();
  bmpresize_destination to{};
  to.path = destination.c_str();
  bmpresize_options options;
  bmpresize_options_init(&options);
  options.percent = 50;
  return bmpresize_resize(&from, &to, &options, &result);
}

// The source file opened and named by its descriptor.
std::int32_t FromDescriptor(const std::string& source, const std::string& destination, bmpresize_result& result) {
  const int fd = open(source.c_str(), O_RDONLY | O_CLOEXEC);
  const std::int32_t code = ByFile("/dev/fd/" + std::to_string(fd), destination, result);
  (void)close(fd);
  return code;
}

struct Way {
  const char* name;
  WayIn call;
  bool givesResult;
  bool anySource;   // else the destination's rows only, with in.bmp as the source
  bool readsAFile;  // else memory, which may hold any file's bytes and be written onto it
};

const Way kWays[] = {
    {"bmpresize_file", ByFile, true, true, true},
    {"export", ByExport, false, true, true},
    {"from memory", FromMemory, true, false, false},
    {"from /dev/fd/N", FromDescriptor, true, false, true},
};

struct Row {
  const char* what;
  bool asSource;  // else the destination, with in.bmp as the source
  Behind behind;
  Spelling spelling;
  int runs;
  bool topDown;  // the source's rows top-down
  std::int32_t code;
  bmpresize_cause cause;
  int partial = BMPRESIZE_PARTIAL_NONE;  // with a result
};

const Row kRows[] = {
    {"stdout appending to a file that holds bytes", false, Behind::kAppendFile, Spelling::kStandard, 1, false,
     BMPRESIZE_OK, BMPRESIZE_CAUSE_NONE},
    {"three runs appending to one file", false, Behind::kAppendFile, Spelling::kDevFd, 3, false, BMPRESIZE_OK,
     BMPRESIZE_CAUSE_NONE},
    {"/proc/self/fd onto a pipe", false, Behind::kPipe, Spelling::kProcSelf, 1, false, BMPRESIZE_OK,
     BMPRESIZE_CAUSE_NONE},
    {"stdout onto a pipe", false, Behind::kPipe, Spelling::kStandard, 2, false, BMPRESIZE_OK, BMPRESIZE_CAUSE_NONE},
    {"/proc/<pid>/fd appending", false, Behind::kAppendFile, Spelling::kProcPid, 1, false, BMPRESIZE_OK,
     BMPRESIZE_CAUSE_NONE},
    {"appending to the source file", false, Behind::kSourceFile, Spelling::kDevFd, 1, false,
     BMPRESIZE_DESTINATION_FAILED, BMPRESIZE_CAUSE_SAME_AS_SOURCE},
    {"a pipe whose reader leaves after the first bytes", false, Behind::kPipeLeftEarly, Spelling::kDevFd, 1, false,
     BMPRESIZE_DESTINATION_FAILED, BMPRESIZE_CAUSE_WRITE_FAILED, BMPRESIZE_PARTIAL_DESCRIPTOR},
    {"a destination descriptor not open", false, Behind::kNotOpen, Spelling::kDevFd, 1, false,
     BMPRESIZE_DESTINATION_FAILED, BMPRESIZE_CAUSE_CREATE_FAILED},
    {"stdin from a pipe", true, Behind::kPipe, Spelling::kStandard, 1, false, BMPRESIZE_OK, BMPRESIZE_CAUSE_NONE},
    {"stdin from a pipe, top-down", true, Behind::kPipe, Spelling::kStandard, 1, true, BMPRESIZE_OK,
     BMPRESIZE_CAUSE_NONE},
    {"stdin from a file, where it stands", true, Behind::kFileAfterHeld, Spelling::kStandard, 1, false, BMPRESIZE_OK,
     BMPRESIZE_CAUSE_NONE},
    {"/dev/fd/0 from a file, where it stands", true, Behind::kFileAfterHeld, Spelling::kStandardNumber, 1, false,
     BMPRESIZE_OK, BMPRESIZE_CAUSE_NONE},
    {"/dev/fd from a file, where it stands", true, Behind::kFileAfterHeld, Spelling::kDevFd, 1, true, BMPRESIZE_OK,
     BMPRESIZE_CAUSE_NONE},
    {"a source descriptor not open", true, Behind::kNotOpen, Spelling::kDevFd, 1, false, BMPRESIZE_SOURCE_NOT_BMP,
     BMPRESIZE_CAUSE_OPEN_FAILED},
};

// SIGPIPE keeps its default: a pipe whose reader left must fail the resize
// with EPIPE, not end the process.
TEST(DescriptorPaths, AreReadAndWrittenWhereTheyStand) {
  for (const Way& way : kWays) {
    for (const Row& row : kRows) {
      if (!way.anySource && row.asSource) continue;
      if (!way.readsAFile && row.behind == Behind::kSourceFile) continue;
      SCOPED_TRACE(std::string(way.name) + ": " + row.what);
      TempDir dir;
      const std::string in = dir.File("in.bmp"), behind = dir.File("behind.bin"), out = dir.File("out.bmp");
      // Left early, the pipe must fill: a picture more than a pipe holds.
      const bool large = row.behind == Behind::kPipeLeftEarly;
      const std::int32_t width = large ? 400 : 7, height = large ? 400 : 5;
      const Bytes source = Picture(width, row.topDown ? -height : height);
      WriteFileBytes(in, source);
      bmpresize_result result{};
      ASSERT_EQ(ByFile(in, dir.File("expected.bmp"), result), BMPRESIZE_OK);
      const Bytes picture = ReadFileBytes(dir.File("expected.bmp"));

      Descriptor descriptor(row.behind, row.asSource, row.behind == Behind::kSourceFile ? in : behind, source);
      const std::string path = PathFor(row.spelling, descriptor.fd(), row.asSource);
      Bytes expected = row.behind == Behind::kAppendFile ? kHeld : Bytes();
      for (int run = 0; run < row.runs; ++run) {
        std::int32_t code = 0;
        const auto call = [&] { code = row.asSource ? way.call(path, out, result) : way.call(in, path, result); };
        if (row.spelling == Spelling::kStandard || row.spelling == Spelling::kStandardNumber) {
          InPlaceOf(row.asSource ? STDIN_FILENO : STDOUT_FILENO, descriptor.fd(), call);
        } else {
          call();
        }
        EXPECT_EQ(code, row.code);
        if (way.givesResult) {
          EXPECT_EQ(result.cause, row.cause);
          EXPECT_EQ(result.partial_left, row.partial);
        }
        if (row.code == BMPRESIZE_OK) expected = Joined({expected, picture});
      }
      const Bytes drained = descriptor.Close();
      if (row.asSource) {
        EXPECT_EQ(FileExists(out) ? ReadFileBytes(out) : Bytes(), row.code == BMPRESIZE_OK ? picture : Bytes());
      } else if (row.behind == Behind::kPipe) {
        EXPECT_EQ(drained, expected);
      } else if (row.behind == Behind::kPipeLeftEarly) {
        ASSERT_FALSE(drained.empty());
        EXPECT_LT(drained.size(), picture.size());
        EXPECT_EQ(drained, Bytes(picture.begin(), picture.begin() + static_cast<std::ptrdiff_t>(drained.size())));
      } else if (row.behind == Behind::kSourceFile) {
        EXPECT_EQ(ReadFileBytes(in), source);
      } else if (row.behind == Behind::kAppendFile) {
        EXPECT_EQ(ReadFileBytes(behind), expected);
      }
      if (way.givesResult && row.behind == Behind::kNotOpen) {
        EXPECT_EQ(result.error, EBADF);
      }
      if (way.givesResult && row.behind == Behind::kPipeLeftEarly) {
        EXPECT_EQ(result.error, EPIPE);
      }
    }
  }
}

#if defined(__linux__)
// With sync asked, the destination reaches the storage before the call
// returns: a new file, and the folder that names it; a descriptor's file.
// Without, nothing is synced.
TEST(DescriptorPaths, AreSyncedWhenAsked) {
  for (const bool descriptor : {false, true}) {
    for (const int sync : {1, 0}) {
      SCOPED_TRACE(testing::Message() << (descriptor ? "/dev/fd/N" : "a new file") << (sync ? ", synced" : ""));
      TempDir dir;
      const std::string in = dir.File("in.bmp"), out = dir.File("out.bmp");
      WriteFileBytes(in, Picture(7, 5));
      const int fd = descriptor ? open(out.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644) : -1;
      const std::string path = descriptor ? "/dev/fd/" + std::to_string(fd) : out;
      bmpresize_options options;
      bmpresize_options_init(&options);
      options.percent = 50;
      options.sync = sync;
      {
        const std::lock_guard<std::mutex> lock(gSyncedLock);
        gSynced.clear();
      }
      EXPECT_EQ(bmpresize_file(in.c_str(), path.c_str(), &options, nullptr), BMPRESIZE_OK);
      if (fd >= 0) (void)close(fd);
      std::set<std::pair<dev_t, ino_t>> expected;
      if (sync != 0) expected.insert(IdentityOf(out));
      if (sync != 0 && !descriptor) expected.insert(IdentityOf(dir.path()));
      const std::lock_guard<std::mutex> lock(gSyncedLock);
      EXPECT_EQ(gSynced, expected);
    }
  }
}
#endif

}  // namespace

#endif  // !_WIN32
