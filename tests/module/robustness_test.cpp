// Hostile headers, failing disks and odd files (Linux): each call ends with
// its result code, quickly, within bounded memory, and never waits for ever.
// Every call runs in a child process, so that its peak memory is its own and a
// hang fails the test instead of stalling the run.
#include <gtest/gtest.h>

#if defined(__linux__)

#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "bmpfile/bmp_headers.h"
#include "bmpresizescale.h"
#include "support/bmp_bytes.h"
#include "support/temp_dir.h"
#include "support/export_call.h"

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
#else
constexpr bool kRssMeasurable = true;
#endif
constexpr double kTimeLimitSeconds = 20;

struct ChildRun {
  bool ended = false;  // false: killed at the time limit
  std::int32_t result = 0;
  long peakRssKiB = 0;
  double seconds = 0;
};

ChildRun ResizeInChild(const std::string& source, const std::string& destination, std::int32_t percent) {
  ChildRun run;
  int fds[2];
  if (pipe(fds) != 0) return run;
  const Clock::time_point start = Clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
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

// A 100-byte file: the two headers as given, then zeros.
std::vector<std::uint8_t> HundredByteFile(std::int32_t width, std::int32_t height, std::uint16_t depth,
                                          std::uint32_t offBits) {
  BmpBytes b;
  b.Headers(width, height, depth, offBits).Zeros(100 - kHeadersSize);
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
};

void PrintTo(const HostileHeader& h, std::ostream* os) { *os << h.name; }

class HostileHeaders : public ::testing::TestWithParam<HostileHeader> {};

TEST_P(HostileHeaders, EndQuicklyWithTheirResultAndBoundedMemory) {
  const HostileHeader& h = GetParam();
  if (h.expected == BMPRESIZE_OK && h.rssBoundMiB > 64 && sizeof(void*) < 8)
    GTEST_SKIP() << "512 MiB of pixels need not be had in a 32-bit process";
  TempDir dir;
  WriteFileBytes(dir.File("in.bmp"), HundredByteFile(h.width, h.height, h.depth, h.offBits));
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
    {"SourceDevNull", "/dev/null", nullptr, true, BMPRESIZE_SOURCE_UNREADABLE},  // empty: passes the peek
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

// The source shrinks once the signature peek has closed it, before or while
// the reader reads it. However the two interleave, the result is one the
// remaining bytes allow, and every row of a written picture is either the
// source's row or white (the rows the file no longer held).
struct Shrink {
  const char* name;
  std::size_t keptBytes;
  bool mayBeUnreadable;  // the cut falls inside the headers
};

void PrintTo(const Shrink& s, std::ostream* os) { *os << s.name; }

class ShrinkingSource : public ::testing::TestWithParam<Shrink> {};

TEST_P(ShrinkingSource, GivesAResultTheRemainingBytesAllow) {
  constexpr std::int32_t kSide = 256;
  TempDir dir;
  const std::string source = dir.File("in.bmp");
  const std::vector<std::uint8_t> bytes = SmallBmp(kSide, kSide);
  WriteFileBytes(source, bytes);

  const int watch = inotify_init1(IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(inotify_add_watch(watch, source.c_str(), IN_CLOSE_NOWRITE), 0);
  std::thread shrinker([&] {
    alignas(inotify_event) char event[sizeof(inotify_event) + 256];
    if (read(watch, event, sizeof event) > 0) (void)truncate(source.c_str(), static_cast<off_t>(GetParam().keptBytes));
  });
  const std::int32_t result = CallExport(source, dir.File("out.bmp"), 100);
  shrinker.join();
  close(watch);

  if (result != BMPRESIZE_OK) {
    EXPECT_TRUE(GetParam().mayBeUnreadable && result == BMPRESIZE_SOURCE_UNREADABLE) << result;
    EXPECT_FALSE(FileExists(dir.File("out.bmp")));
    return;
  }
  const std::vector<std::uint8_t> out = ReadFileBytes(dir.File("out.bmp"));
  ASSERT_EQ(out.size(), bytes.size());
  const std::size_t stride = 3 * kSide;
  const std::vector<std::uint8_t> white(stride, 255);
  for (std::size_t row = 0; row < kSide; ++row) {
    const auto at = static_cast<std::ptrdiff_t>(54 + row * stride);
    const std::vector<std::uint8_t> written(out.begin() + at, out.begin() + at + static_cast<std::ptrdiff_t>(stride));
    const std::vector<std::uint8_t> original(bytes.begin() + at,
                                             bytes.begin() + at + static_cast<std::ptrdiff_t>(stride));
    EXPECT_TRUE(written == original || written == white) << "file row " << row;
  }
}

INSTANTIATE_TEST_SUITE_P(Export, ShrinkingSource,
                         ::testing::Values(Shrink{"ToTenRows", 54 + 10 * 3 * 256, false},
                                           Shrink{"IntoTheHeaders", 20, true}, Shrink{"ToNothing", 0, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

#endif  // __linux__
