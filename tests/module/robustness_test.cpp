// SPDX-License-Identifier: MIT
// Hostile headers, failing disks and odd files (Linux): each call ends with
// its result code, quickly, within bounded memory, and never waits for ever.
// Every call runs in a child process, so that its peak memory is its own and a
// hang fails the test instead of stalling the run.
#include <gtest/gtest.h>

#if defined(__linux__)

#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <set>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "bmpfile/bmp_headers.h"
#include "bmpresizescale.h"
#include "support/bmp_bytes.h"
#include "support/temp_dir.h"
#include "support/export_call.h"

using namespace bmpresize;

#if defined(__SANITIZE_ADDRESS__)
#define BMPRESIZE_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BMPRESIZE_SANITIZED 1
#endif
#endif

namespace {

using Clock = std::chrono::steady_clock;

// AddressSanitizer's shadow memory and red zones add to every process's RSS,
// and under an emulator the RSS is the emulator's: the bound is then not checked.
#if defined(BMPRESIZE_SANITIZED)
constexpr long kSanitizerAllowanceMiB = 256;
#else
constexpr long kSanitizerAllowanceMiB = 0;
#endif
#if defined(BMPRESIZE_EMULATED)
constexpr bool kRssMeasurable = false;
// An emulated core without an FPU takes 18 to 19 s for the widest case.
constexpr double kTimeLimitSeconds = 60;
#else
constexpr bool kRssMeasurable = true;
constexpr double kTimeLimitSeconds = 20;
#endif

struct ChildRun {
  bool ended = false;  // false: killed at the time limit
  std::int32_t result = 0;
  long peakRssKiB = 0;
  double seconds = 0;
};

// prepare, when given, runs in the child before the call (limits, another user).
ChildRun ResizeInChild(const std::string& source, const std::string& destination, std::int32_t percent,
                       const std::function<void()>& prepare = nullptr) {
  ChildRun run;
  int fds[2];
  if (pipe(fds) != 0) return run;
  const Clock::time_point start = Clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    if (prepare) prepare();
    const std::int32_t result = CallExport(source, destination, percent);
    _exit(write(fds[1], &result, sizeof result) == sizeof result ? 0 : 1);
  }
  close(fds[1]);
  int status = 0;
  rusage usage{};
  while (wait4(pid, &status, WNOHANG, &usage) == 0) {
    if (std::chrono::duration<double>(Clock::now() - start).count() > kTimeLimitSeconds) {
      kill(pid, SIGKILL);
      wait4(pid, &status, 0, &usage);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  run.ended = WIFEXITED(status) && WEXITSTATUS(status) == 0 && read(fds[0], &run.result, sizeof run.result) == 4;
  run.peakRssKiB = usage.ru_maxrss;
  close(fds[0]);
  return run;
}

// A 100-byte file: the two headers as given, then zeros (for run-length
// encoded data, ends of line).
std::vector<std::uint8_t> HundredByteFile(std::int32_t width, std::int32_t height, std::uint16_t depth,
                                          std::uint32_t offBits, std::uint32_t compression) {
  BmpBytes b;
  b.Headers(width, height, depth, offBits, compression).Zeros(100 - kHeadersSize);
  return b.data();
}

struct HostileHeader {
  const char* name;
  std::int32_t width, height;
  std::uint16_t depth;
  std::uint32_t offBits;
  std::int32_t percent;
  std::int32_t expected;
  long rssBoundMiB;
  std::uint32_t compression = kBiRgb;
};

constexpr std::int32_t kMax32 = 0x7FFFFFFF;

// Rows are held a few at a time, so memory follows the widths, never the
// heights: claims of up to 2^31 - 1 pixels are taken, and cost the time of the
// destination written (white beyond the file's end), in a few MiB. Wider rows
// than the reader takes, more pixels, or a destination beyond 4 GiB are
// refused before any row is had.
const HostileHeader kHostileHeaders[] = {
    {"Claims50000x50000", 50000, 50000, 24, 54, 100, BMPRESIZE_SOURCE_UNREADABLE, 16},
    {"OffBitsFFFFFFF0", 4, 4, 24, 0xFFFFFFF0u, 100, BMPRESIZE_OK, 16},
    {"OffBitsFFFFFFF0At8Bits", 4, 4, 8, 0xFFFFFFF0u, 100, BMPRESIZE_OK, 16},
    {"OffBits7FFFFFF0", 4, 4, 8, 0x7FFFFFF0u, 100, BMPRESIZE_OK, 16},
    {"Width2To31Minus1", kMax32, 1, 24, 54, 100, BMPRESIZE_SOURCE_UNREADABLE, 16},
    {"Height2To31Minus1", 1, kMax32, 24, 54, 100, BMPRESIZE_TOO_LARGE, 16},
    {"Height2To31Minus1To1Percent", 1, kMax32, 24, 54, 1, BMPRESIZE_OK, 16},
    {"BothSides2To31Minus1At1Bit", kMax32, kMax32, 1, 62, 100, BMPRESIZE_SOURCE_UNREADABLE, 16},
    {"LikeReallyBig3000000x2000000", 3000000, 2000000, 24, 54, 100, BMPRESIZE_SOURCE_UNREADABLE, 16},
    {"Wide65536x32767To1Percent", 65536, 32767, 32, 54, 1, BMPRESIZE_OK, 16},
    {"Wide65536x64To200Percent", 65536, 64, 24, 54, 200, BMPRESIZE_OK, 16},
    {"FormerLimitTo1Percent", 16384, 8192, 24, 54, 1, BMPRESIZE_OK, 16},
    {"FormerLimitTo400Percent", 16384, 8192, 32, 54, 400, BMPRESIZE_TOO_LARGE, 16},
    // The widest rows resized would take more than the default memory limit,
    // on every thread count: refused before any of it is had. Handed through
    // at 100 %, the widest row needs no resampler: one row's block.
    {"Wide4194304x2At32BitsTo400Percent", 4194304, 2, 32, 54, 400, BMPRESIZE_TOO_LARGE, 16},
    {"Wide2To24x1At100Percent", 16777216, 1, 24, 54, 100, BMPRESIZE_OK, 64},
    // Top-down run-length data is decoded whole before its bottom row: what
    // it holds follows the data, not the height.
    {"TopDownRunLength2To31Minus1Rows", 1, -kMax32, 8, 54, 1, BMPRESIZE_OK, 16, kBiRle8},
    {"TopDownRunLength2To31Minus1RowsAt100Percent", 1, -kMax32, 4, 54, 100, BMPRESIZE_TOO_LARGE, 16, kBiRle4},
};

void PrintTo(const HostileHeader& h, std::ostream* os) { *os << h.name; }

class HostileHeaders : public ::testing::TestWithParam<HostileHeader> {};

TEST_P(HostileHeaders, EndQuicklyWithTheirResultAndBoundedMemory) {
  const HostileHeader& h = GetParam();
  if (h.expected == BMPRESIZE_OK && h.rssBoundMiB > 64 && sizeof(void*) < 8)
    GTEST_SKIP() << "512 MiB of pixels need not be had in a 32-bit process";
  TempDir dir;
  WriteFileBytes(dir.File("in.bmp"), HundredByteFile(h.width, h.height, h.depth, h.offBits, h.compression));
  const ChildRun run = ResizeInChild(dir.File("in.bmp"), dir.File("out.bmp"), h.percent);
  ASSERT_TRUE(run.ended) << "no result after " << run.seconds << " s";
  EXPECT_EQ(run.result, h.expected);
  EXPECT_EQ(FileExists(dir.File("out.bmp")), h.expected == BMPRESIZE_OK);
  if (kRssMeasurable) {
    EXPECT_LE(run.peakRssKiB, 1024 * (h.rssBoundMiB + kSanitizerAllowanceMiB));
  }
  RecordProperty("peak_rss_kib", std::to_string(run.peakRssKiB));
  RecordProperty("milliseconds", std::to_string(static_cast<long>(run.seconds * 1000)));
}

INSTANTIATE_TEST_SUITE_P(Export, HostileHeaders, ::testing::ValuesIn(kHostileHeaders),
                         [](const auto& info) { return std::string(info.param.name); });

std::vector<std::uint8_t> SmallBmp(std::int32_t width, std::int32_t height) {
  BmpBytes b;
  b.Headers(width, height, 24, 54);
  const std::size_t stride = (3 * static_cast<std::size_t>(width) + 3) / 4 * 4;
  for (std::size_t i = 0; i < stride * static_cast<std::size_t>(height); ++i) b.U8(static_cast<std::uint32_t>(i * 7));
  return b.data();
}

// Builds the odd file at path; an empty path means "use a missing file".
using MakeOdd = void (*)(const std::string& path);
void Directory(const std::string& p) { ASSERT_EQ(mkdir(p.c_str(), 0755), 0); }
void Fifo(const std::string& p) { ASSERT_EQ(mkfifo(p.c_str(), 0644), 0); }
void Socket(const std::string& p) {
  // Left bound and never listened on; it lives until the test ends.
  const int s = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(p.size(), sizeof address.sun_path);
  std::memcpy(address.sun_path, p.c_str(), p.size());
  ASSERT_EQ(bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
}

struct OddFile {
  const char* name;
  const char* device;  // a device to use as it is, or null to make one with make
  MakeOdd make;
  bool asSource;  // else the destination, with a readable source
  std::int32_t expected;
};

const OddFile kOddFiles[] = {
    {"DestinationDevFull", "/dev/full", nullptr, false, BMPRESIZE_DESTINATION_FAILED},
    {"DestinationDevNull", "/dev/null", nullptr, false, BMPRESIZE_OK},
    {"DestinationDirectory", nullptr, Directory, false, BMPRESIZE_DESTINATION_FAILED},
    {"DestinationFifoWithoutReader", nullptr, Fifo, false, BMPRESIZE_DESTINATION_FAILED},
    {"SourceDirectory", nullptr, Directory, true, BMPRESIZE_SOURCE_NOT_BMP},
    {"SourceFifoWithoutWriter", nullptr, Fifo, true, BMPRESIZE_SOURCE_NOT_BMP},
    {"SourceSocket", nullptr, Socket, true, BMPRESIZE_SOURCE_NOT_BMP},
    {"SourceDevNull", "/dev/null", nullptr, true, BMPRESIZE_SOURCE_UNREADABLE},  // empty: "BM" by default
    {"SourceDevZero", "/dev/zero", nullptr, true, BMPRESIZE_SOURCE_NOT_BMP},
};

void PrintTo(const OddFile& o, std::ostream* os) { *os << o.name; }

class OddFiles : public ::testing::TestWithParam<OddFile> {};

TEST_P(OddFiles, GetTheirResultWithoutWaiting) {
  const OddFile& odd = GetParam();
  TempDir dir;
  std::string path = odd.device ? odd.device : dir.File("odd");
  if (odd.make) odd.make(path);
  WriteFileBytes(dir.File("in.bmp"), SmallBmp(5, 3));
  const std::string source = odd.asSource ? path : dir.File("in.bmp");
  const std::string destination = odd.asSource ? dir.File("out.bmp") : path;
  const ChildRun run = ResizeInChild(source, destination, 50);
  ASSERT_TRUE(run.ended) << "no result after " << run.seconds << " s";
  EXPECT_EQ(run.result, odd.expected);
  if (odd.asSource) {
    EXPECT_FALSE(FileExists(dir.File("out.bmp")));
  }
}

INSTANTIATE_TEST_SUITE_P(Export, OddFiles, ::testing::ValuesIn(kOddFiles),
                         [](const auto& info) { return std::string(info.param.name); });

// Under a limit on the size of the files the process may write (RLIMIT_FSIZE,
// with SIGXFSZ ignored so that a write beyond it fails with EFBIG), at sizes
// inside the headers, at a row's end, one byte short and at random, both over
// an existing destination and onto the source itself: -2, the old bytes
// intact, and no new file left.
TEST(FileSizeLimit, FailsAndLeavesTheOldFileWhole) {
  constexpr std::int32_t kSide = 37;
  const std::vector<std::uint8_t> source = SmallBmp(kSide, kSide);
  const std::size_t stride = (3 * 74 + 3) / 4 * 4;  // the result at 200 %: 74 x 74
  const std::size_t result = 54 + stride * 74;
  std::vector<std::size_t> sizes = {0, 1, 2, 14, 30, 53, 54, 54 + stride, 54 + 20 * stride, 4096, result - 1};
  std::mt19937 random(15);
  for (int i = 0; i < 3; ++i) sizes.push_back(random() % result);
  for (const std::size_t size : sizes) {
    for (const bool inPlace : {false, true}) {
      SCOPED_TRACE(testing::Message() << size << " bytes, " << (inPlace ? "in place" : "over another file"));
      TempDir dir;
      WriteFileBytes(dir.File("in.bmp"), source);
      const std::vector<std::uint8_t> old = inPlace ? source : SmallBmp(9, 5);
      const std::string destination = inPlace ? dir.File("in.bmp") : dir.File("out.bmp");
      if (!inPlace) WriteFileBytes(destination, old);
      const std::set<std::string> before = ListFolder(dir.path());
      const ChildRun run = ResizeInChild(dir.File("in.bmp"), destination, 200, [size] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{static_cast<rlim_t>(size), static_cast<rlim_t>(size)};
        setrlimit(RLIMIT_FSIZE, &limit);
      });
      ASSERT_TRUE(run.ended);
      EXPECT_EQ(run.result, BMPRESIZE_DESTINATION_FAILED);
      EXPECT_EQ(ReadFileBytes(destination), old);
      EXPECT_EQ(ListFolder(dir.path()), before);
    }
  }
}

// Who may write where. Run as root, the call drops to an ordinary user
// (nobody), for whom these permissions hold as they do for the owner.
TEST(DestinationPermissions, AreHonouredAndKept) {
  struct Case {
    const char* what;
    mode_t folder, file;
    bool ontoSource;
    std::int32_t result;
    bool sameFile;  // written in place: the same inode afterwards
  };
  const Case cases[] = {
      {"read-only file, open folder", 0777, 0444, false, BMPRESIZE_DESTINATION_FAILED, true},
      {"writable file, closed folder: in place", 0555, 0666, false, BMPRESIZE_OK, true},
      {"the source, closed folder", 0555, 0666, true, BMPRESIZE_DESTINATION_FAILED, true},
      {"replaced, keeping its bits", 0777, 0606, false, BMPRESIZE_OK, false},
      {"sticky folder", 01777, 0666, false, BMPRESIZE_OK, geteuid() == 0},  // root's file: no rename over it
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
    const std::string folder = dir.File("f");
    ASSERT_EQ(mkdir(folder.c_str(), 0777), 0);
    const std::string source = c.ontoSource ? folder + "/out.bmp" : dir.File("in.bmp");
    const std::string destination = folder + "/out.bmp";
    WriteFileBytes(source, SmallBmp(6, 4));
    ASSERT_EQ(CallExport(source, dir.File("expected.bmp"), 50), BMPRESIZE_OK);
    if (!c.ontoSource) WriteFileBytes(destination, SmallBmp(3, 3));
    const std::vector<std::uint8_t> old = ReadFileBytes(destination);
    ASSERT_EQ(chmod(destination.c_str(), c.file), 0);
    ASSERT_EQ(chmod(source.c_str(), c.ontoSource ? c.file : 0644), 0);
    struct stat before;
    ASSERT_EQ(stat(destination.c_str(), &before), 0);
    ASSERT_EQ(chmod(folder.c_str(), c.folder), 0);

    const ChildRun run = ResizeInChild(source, destination, 50, [] {
      if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
    });
    ASSERT_TRUE(run.ended);
    ASSERT_EQ(chmod(folder.c_str(), 0777), 0);
    EXPECT_EQ(run.result, c.result);
    EXPECT_EQ(ReadFileBytes(destination), c.result == BMPRESIZE_OK ? ReadFileBytes(dir.File("expected.bmp")) : old);
    EXPECT_EQ(ListFolder(folder), std::set<std::string>{"out.bmp"});
    struct stat after;
    ASSERT_EQ(stat(destination.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino == before.st_ino, c.sameFile);
    EXPECT_EQ(after.st_mode & 07777, c.file);
  }
}

// A destination made new gets 0666 less the umask, as any program's new file
// does, whoever makes it.
TEST(DestinationPermissions, ANewFileTakesTheUmask) {
  for (const mode_t mask : {mode_t{022}, mode_t{077}, mode_t{0}}) {
    for (const bool asNobody : {false, true}) {
      SCOPED_TRACE(testing::Message() << "umask " << std::oct << mask << (asNobody ? ", as nobody" : ""));
      TempDir dir;
      ASSERT_EQ(chmod(dir.path().c_str(), 0777), 0);
      WriteFileBytes(dir.File("in.bmp"), SmallBmp(6, 4));
      ASSERT_EQ(chmod(dir.File("in.bmp").c_str(), 0644), 0);
      const ChildRun run = ResizeInChild(dir.File("in.bmp"), dir.File("out.bmp"), 50, [mask, asNobody] {
        umask(mask);
        if (asNobody && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
      });
      ASSERT_TRUE(run.ended);
      EXPECT_EQ(run.result, BMPRESIZE_OK);
      struct stat made;
      ASSERT_EQ(stat(dir.File("out.bmp").c_str(), &made), 0);
      EXPECT_EQ(made.st_mode & 07777, 0666 & ~mask);
    }
  }
}

// Two threads rewriting one file in place at once (its folder takes no new
// file), each through a hard link of its own, take turns: the file ends as
// one whole result or the other, never a mix of the two.
TEST(DestinationPermissions, OneFileIsRewrittenInPlaceOnceAtATime) {
  TempDir dir;
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  const std::string folder = dir.File("f"), one = folder + "/one.bmp", two = folder + "/two.bmp";
  ASSERT_EQ(mkdir(folder.c_str(), 0777), 0);
  WriteFileBytes(dir.File("wide.bmp"), SmallBmp(1200, 900));
  WriteFileBytes(dir.File("tall.bmp"), SmallBmp(900, 1200));
  ASSERT_EQ(CallExport(dir.File("wide.bmp"), dir.File("wide-150.bmp"), 150), BMPRESIZE_OK);
  ASSERT_EQ(CallExport(dir.File("tall.bmp"), dir.File("tall-150.bmp"), 150), BMPRESIZE_OK);
  const std::vector<std::uint8_t> wide = ReadFileBytes(dir.File("wide-150.bmp"));
  const std::vector<std::uint8_t> tall = ReadFileBytes(dir.File("tall-150.bmp"));
  WriteFileBytes(one, SmallBmp(3, 3));
  ASSERT_EQ(link(one.c_str(), two.c_str()), 0);
  ASSERT_EQ(chmod(one.c_str(), 0666), 0);
  ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
  for (int round = 0; round < 6; ++round) {
    SCOPED_TRACE(round);
    const pid_t pid = fork();
    if (pid == 0) {
      alarm(static_cast<unsigned>(kTimeLimitSeconds));  // a rewrite that waits for ever fails the test
      if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
      std::int32_t other = 0;
      std::thread second([&] { other = CallExport(dir.File("tall.bmp"), two, 150); });
      const std::int32_t first = CallExport(dir.File("wide.bmp"), one, 150);
      second.join();
      _exit(first == BMPRESIZE_OK && other == BMPRESIZE_OK ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    const std::vector<std::uint8_t> written = ReadFileBytes(one);
    EXPECT_TRUE(written == wide || written == tall) << written.size() << " bytes, neither result";
  }
  ASSERT_EQ(chmod(folder.c_str(), 0777), 0);
  EXPECT_EQ(ListFolder(folder), (std::set<std::string>{"one.bmp", "two.bmp"}));
}

}  // namespace

#endif  // __linux__
