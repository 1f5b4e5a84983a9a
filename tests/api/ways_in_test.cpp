// SPDX-License-Identifier: MIT
// The three ways into the library (file to file, memory to memory, read and
// write functions) against the export, BMPResizeScale: for the same source
// and percent, the same result code and the same bytes, on random files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "bmpresize.h"
#include "bmpresizescale.h"
#include "support/bmp_bytes.h"
#include "support/export_call.h"
#include "support/random_bmp.h"
#include "support/temp_dir.h"

using namespace bmpresize;

extern "C" int ResizeWithC11CancelFlag(const void* bmp, std::size_t size, void* out, std::size_t capacity, int cancel);

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Picture {
  std::int32_t code;
  Bytes bytes;  // what was written, for 999
};

struct Ends {
  std::string source, destination;  // the files, for the file way
  Bytes data;                       // the source's bytes, for the others
  bmpresize_options options;
};

Picture FileToFile(const Ends& e) {
  std::remove(e.destination.c_str());
  const std::int32_t code = bmpresize_file(e.source.c_str(), e.destination.c_str(), &e.options, nullptr);
  return {code, FileExists(e.destination) ? ReadFileBytes(e.destination) : Bytes()};
}

Picture MemoryToMemory(const Ends& e) {
  std::size_t size = 0;
  const bmpresize_code measured = bmpresize_memory_size(e.data.data(), e.data.size(), &e.options, &size, nullptr);
  if (measured != BMPRESIZE_OK) return {measured, {}};
  Bytes out(size);
  return {bmpresize_memory(e.data.data(), e.data.size(), out.data(), out.size(), &e.options, nullptr), out};
}

// A source read a few bytes at a time, as from a pipe.
struct Trickle {
  const Bytes* data;
  std::size_t at = 0;
};

int ReadTrickle(void* user, void* buffer, std::size_t size, std::size_t* got) {
  Trickle& t = *static_cast<Trickle*>(user);
  *got = std::min({size, t.data->size() - t.at, std::size_t{7}});
  std::copy_n(t.data->begin() + static_cast<std::ptrdiff_t>(t.at), *got, static_cast<std::uint8_t*>(buffer));
  t.at += *got;
  return 0;
}

// The bytes written, and whether the end of the picture was told once.
struct Collected {
  Bytes bytes;
  int ends = 0;
};

int Collect(void* user, const void* data, std::size_t size) {
  Collected& c = *static_cast<Collected*>(user);
  if (data == nullptr) return ++c.ends == 1 && size == 0 ? 0 : 1;
  c.bytes.insert(c.bytes.end(), static_cast<const std::uint8_t*>(data), static_cast<const std::uint8_t*>(data) + size);
  return 0;
}

Picture Callbacks(const Ends& e) {
  Trickle in{&e.data};
  Collected out;
  const bmpresize_code code = bmpresize_callbacks(ReadTrickle, &in, Collect, &out, &e.options, nullptr);
  // Only a complete picture is told complete.
  EXPECT_EQ(out.ends, code == BMPRESIZE_OK ? 1 : 0);
  return {code, code == BMPRESIZE_OK ? out.bytes : Bytes()};
}

TEST(WaysIn, GiveTheExportsCodeAndBytes) {
  const struct {
    const char* name;
    Picture (*resize)(const Ends&);
  } ways[] = {{"file to file", FileToFile}, {"memory to memory", MemoryToMemory}, {"callbacks", Callbacks}};
  static const std::int32_t kPercents[] = {1, 7, 33, 50, 66, 100, 101, 150, 200, 313, 0, -40};
  Random r{std::mt19937(1207)};
  TempDir dir;
  Ends e;
  e.source = dir.File("in.bmp");
  e.destination = dir.File("out.bmp");
  bmpresize_options_init(&e.options);
  const std::string exported = dir.File("export.bmp");
  for (int round = 0; round < 400; ++round) {
    e.data = RandomBmp(r);
    e.options.percent = kPercents[r.Below(sizeof kPercents / sizeof kPercents[0])];
    WriteFileBytes(e.source, e.data);
    std::remove(exported.c_str());
    const std::int32_t want = CallExport(e.source, exported, e.options.percent);
    const Bytes wantBytes = want == BMPRESIZE_OK ? ReadFileBytes(exported) : Bytes();
    for (const auto& way : ways) {
      SCOPED_TRACE(testing::Message() << way.name << ", round " << round << ", " << e.data.size() << " bytes at "
                                      << e.options.percent << " %");
      const Picture got = way.resize(e);
      ASSERT_EQ(got.code, want);
      ASSERT_EQ(got.bytes, wantBytes);
    }
  }
}

// A filter that does not exist fails every way in as an option out of range,
// with its value, before the source is read: no destination is made.
TEST(WaysIn, RefuseAFilterThatDoesNotExist) {
  TempDir dir;
  Ends e;
  e.source = dir.File("in.bmp");
  e.destination = dir.File("out.bmp");
  Random r{std::mt19937(27)};
  e.data = RandomBmp(r);
  WriteFileBytes(e.source, e.data);
  for (const std::int16_t filter : {-1, 2, 32767}) {
    SCOPED_TRACE(filter);
    bmpresize_options_init(&e.options);
    e.options.filter = filter;
    bmpresize_result result{};
    std::size_t size = 0;
    EXPECT_EQ(bmpresize_memory_size(e.data.data(), e.data.size(), &e.options, &size, &result), BMPRESIZE_TOO_LARGE);
    EXPECT_EQ(result.cause, BMPRESIZE_CAUSE_OPTION);
    EXPECT_EQ(result.value, filter);
    result = {};
    EXPECT_EQ(bmpresize_file(e.source.c_str(), e.destination.c_str(), &e.options, &result), BMPRESIZE_TOO_LARGE);
    EXPECT_EQ(result.cause, BMPRESIZE_CAUSE_OPTION);
    EXPECT_FALSE(FileExists(e.destination));
  }
}

// A read function with a fault: it gives at most piece bytes a call (0: all
// it is asked for), fails with error once failAt bytes were given, or says it
// gave more than it was asked for.
struct FaultyRead {
  const Bytes* data;
  std::size_t piece, failAt;
  int error;
  bool overfills;
  std::size_t at = 0;
};

int ReadWithFault(void* user, void* buffer, std::size_t size, std::size_t* got) {
  FaultyRead& r = *static_cast<FaultyRead*>(user);
  if (r.at >= r.failAt) {
    if (r.overfills) *got = size + 1;
    return r.overfills ? 0 : r.error;
  }
  *got = std::min({size, r.data->size() - r.at, r.failAt - r.at, r.piece == 0 ? size : r.piece});
  std::copy_n(r.data->begin() + static_cast<std::ptrdiff_t>(r.at), *got, static_cast<std::uint8_t*>(buffer));
  r.at += *got;
  return 0;
}

// A write function that fails with error on its call number failOn, or on
// the call that ends the picture with failOn -1.
struct FaultyWrite {
  int failOn, error;
  int calls = 0;
  Bytes bytes;
};

int WriteWithFault(void* user, const void* data, std::size_t size) {
  FaultyWrite& w = *static_cast<FaultyWrite*>(user);
  if (++w.calls == w.failOn || (data == nullptr && w.failOn == -1)) return w.error;
  if (data != nullptr)
    w.bytes.insert(w.bytes.end(), static_cast<const std::uint8_t*>(data),
                   static_cast<const std::uint8_t*>(data) + size);
  return 0;
}

// Read and write functions that serve many bytes at once, give bytes one by
// one to a run-length reader, or fail: the picture is the one memory gives,
// or the failure is the function's own, with its error.
TEST(WaysIn, ReadAndWriteFunctionsServeInAnyPiecesOrFailWithTheirError) {
  constexpr std::int32_t kSide = 700;  // rows of more bytes than a read function's buffer
  BmpBytes large;
  large.Headers(kSide, kSide, 24, 54);
  for (std::size_t i = 0; i < std::size_t{kSide} * kSide * 3; ++i) large.U8(static_cast<std::uint32_t>(i * 13 % 251));
  const Bytes rle = BmpBytes().Headers(6, -4, 8, 58, 1).U32(0x00804020).Bytes({6, 0, 0, 0, 6, 0, 0, 0, 3, 0}).data();
  constexpr std::size_t kAll = ~std::size_t{0};
  const struct {
    const char* name;
    const Bytes& source;
    std::int32_t percent;
    std::size_t piece, failAt;
    int readError;
    bool overfills;
    int failOn, writeError;
    bmpresize_code code;
    bmpresize_cause cause;
    int error;
  } cases[] = {
      {"copied in one piece", large.data(), 100, 0, kAll, 0, false, 0, 0, BMPRESIZE_OK, BMPRESIZE_CAUSE_NONE, 0},
      {"resized in one piece", large.data(), 50, 0, kAll, 0, false, 0, 0, BMPRESIZE_OK, BMPRESIZE_CAUSE_NONE, 0},
      {"run lengths a byte at a time", rle, 200, 1, kAll, 0, false, 0, 0, BMPRESIZE_OK, BMPRESIZE_CAUSE_NONE, 0},
      {"read fails in the rows copied", large.data(), 100, 0, 100000, EIO, false, 0, 0, BMPRESIZE_SOURCE_UNREADABLE,
       BMPRESIZE_CAUSE_READ_FAILED, EIO},
      {"read fails in the rows resized", large.data(), 50, 3, 100000, ENXIO, false, 0, 0, BMPRESIZE_SOURCE_UNREADABLE,
       BMPRESIZE_CAUSE_READ_FAILED, ENXIO},
      {"read gives more than asked", large.data(), 50, 0, 100000, 0, true, 0, 0, BMPRESIZE_SOURCE_UNREADABLE,
       BMPRESIZE_CAUSE_READ_FAILED, EIO},
      {"first write fails", large.data(), 50, 0, kAll, 0, false, 1, ENOSPC, BMPRESIZE_DESTINATION_FAILED,
       BMPRESIZE_CAUSE_WRITE_FAILED, ENOSPC},
      {"end of the picture refused", rle, 100, 0, kAll, 0, false, -1, EPIPE, BMPRESIZE_DESTINATION_FAILED,
       BMPRESIZE_CAUSE_WRITE_FAILED, EPIPE},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    bmpresize_options options;
    bmpresize_options_init(&options);
    options.percent = c.percent;
    FaultyRead read{&c.source, c.piece, c.failAt, c.readError, c.overfills, 0};
    FaultyWrite write{c.failOn, c.writeError, 0, {}};
    bmpresize_result result{};
    EXPECT_EQ(bmpresize_callbacks(ReadWithFault, &read, WriteWithFault, &write, &options, &result), c.code);
    EXPECT_EQ(result.cause, c.cause);
    EXPECT_EQ(result.error, c.error);
    if (c.code != BMPRESIZE_OK) continue;
    const Picture memory = MemoryToMemory({"", "", c.source, options});
    ASSERT_EQ(memory.code, BMPRESIZE_OK);
    EXPECT_EQ(write.bytes, memory.bytes);
  }
}

// A C11 caller's atomic_int, handed over as the cancel flag, stops the
// resize once set (c11_cancel.c).
TEST(WaysIn, CancelFlagSetTheC11Way) {
  BmpBytes b;
  b.Headers(4, 4, 24, 54).Zeros(4 * 12);
  Bytes out(1024);
  EXPECT_EQ(ResizeWithC11CancelFlag(b.data().data(), b.size(), out.data(), out.size(), 0), BMPRESIZE_CAUSE_NONE);
  EXPECT_EQ(ResizeWithC11CancelFlag(b.data().data(), b.size(), out.data(), out.size(), 1), BMPRESIZE_CAUSE_CANCELLED);
}

}  // namespace
