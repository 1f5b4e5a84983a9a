// SPDX-License-Identifier: MIT
// The three ways into the library (file to file, memory to memory, read and
// write functions) against the export, BMPResizeScale: for the same source
// and percent, the same result code and the same bytes, on random files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstddef>
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
  for (const std::int16_t filter : {-1, 7, 32767}) {
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

namespace {

// The depth written: the size query and the resize agree on each depth's
// size, and a depth out of range, or greys above 8 bits, are refused before
// anything is read or written.
TEST(WaysIn, DepthOptionsGiveTheirSizeOrTheirRefusal) {
  constexpr std::int32_t kWidth = 5, kHeight = 3;
  std::vector<std::uint8_t> source = BmpBytes().Headers(kWidth, kHeight, 24, 54).Zeros(16 * kHeight).data();
  for (std::size_t i = 54; i < source.size(); ++i) source[i] = static_cast<std::uint8_t>(i * 53);
  const struct {
    std::int16_t depth;
    bool grey;
    std::int64_t size;  // 0: refused with CAUSE_OPTION
  } cases[] = {
      {1, false, 54 + 8 + 4 * kHeight},
      {4, false, 54 + 64 + 4 * kHeight},
      {8, false, 54 + 1024 + 8 * kHeight},
      {16, false, 54 + 12 + 12 * kHeight},
      {24, false, 54 + 16 * kHeight},
      {32, false, 54 + 20 * kHeight},
      {0, true, 54 + 1024 + 8 * kHeight},
      {1, true, 54 + 8 + 4 * kHeight},
      {2, false, 0},
      {-8, false, 0},
      {64, false, 0},
      {16, true, 0},
      {24, true, 0},
      {32, true, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("depth " + std::to_string(c.depth) + (c.grey ? ", grey" : ""));
    bmpresize_options options;
    bmpresize_options_init(&options);
    options.depth = c.depth;
    options.flags = c.grey ? BMPRESIZE_GREY : 0;
    std::size_t size = 0;
    bmpresize_result sized{};
    const int code = bmpresize_memory_size(source.data(), source.size(), &options, &size, &sized);
    std::vector<std::uint8_t> out(static_cast<std::size_t>(c.size > 0 ? c.size : 64));
    bmpresize_result result{};
    const int written = bmpresize_memory(source.data(), source.size(), out.data(), out.size(), &options, &result);
    if (c.size == 0) {
      for (const bmpresize_result* r : {&sized, &result}) {
        EXPECT_EQ(r->code, BMPRESIZE_TOO_LARGE);
        EXPECT_EQ(r->cause, BMPRESIZE_CAUSE_OPTION);
        EXPECT_EQ(r->value, c.depth);
      }
      continue;
    }
    ASSERT_EQ(code, BMPRESIZE_OK);
    EXPECT_EQ(static_cast<std::int64_t>(size), c.size);
    ASSERT_EQ(written, BMPRESIZE_OK);
    EXPECT_EQ(out[28], c.depth == 0 ? 8 : c.depth);  // biBitCount
    if (c.depth == 32) {
      // A source without alpha is written opaque.
      for (std::size_t i = 54 + 3; i < out.size(); i += 4) EXPECT_EQ(out[i], 255) << i;
    }
  }
}

}  // namespace

// A buffer that cannot take the picture is refused with nothing written: one
// too small, none at all, or one over the source's own bytes, which would be
// written over as they are read (on several threads, too). One beside the
// source, or over it only past the picture's end, takes the picture.
TEST(WaysIn, BuffersThatCannotTakeThePictureStayUntouched) {
  const Bytes picture = BmpBytes().Headers(40, 30, 24, 54).Zeros(120 * 30).data();
  bmpresize_options options;
  bmpresize_options_init(&options);
  options.percent = 150;
  options.threads = 4;
  std::size_t need = 0;
  ASSERT_EQ(bmpresize_memory_size(picture.data(), picture.size(), &options, &need, nullptr), BMPRESIZE_OK);
  Bytes want(need);
  ASSERT_EQ(bmpresize_memory(picture.data(), picture.size(), want.data(), need, &options, nullptr), BMPRESIZE_OK);
  const auto n = static_cast<std::ptrdiff_t>(picture.size()), size = static_cast<std::ptrdiff_t>(need);
  constexpr std::ptrdiff_t kNoBuffer = PTRDIFF_MIN;
  TempDir dir;
  WriteFileBytes(dir.File("in.bmp"), picture);
  const struct {
    const char* name;
    std::ptrdiff_t at;     // where the buffer starts, from the source's first byte
    std::ptrdiff_t extra;  // its capacity past the picture's size
    bool fromFile;         // the source read from a file in place of the memory
    std::int32_t cause;    // BMPRESIZE_CAUSE_NONE: the picture is written
  } cases[] = {
      {"one byte short", n, -1, false, BMPRESIZE_CAUSE_BUFFER_TOO_SMALL},
      {"no buffer", kNoBuffer, 0, false, BMPRESIZE_CAUSE_BUFFER_TOO_SMALL},
      {"at the source", 0, 0, false, BMPRESIZE_CAUSE_SAME_AS_SOURCE},
      {"ending in its first byte", 1 - size, 0, false, BMPRESIZE_CAUSE_SAME_AS_SOURCE},
      {"starting at its last byte", n - 1, 0, false, BMPRESIZE_CAUSE_SAME_AS_SOURCE},
      {"ending where it starts", -size, 0, false, BMPRESIZE_CAUSE_NONE},
      {"starting where it ends", n, 0, false, BMPRESIZE_CAUSE_NONE},
      {"over it only past the picture", -size, n, false, BMPRESIZE_CAUSE_NONE},
      {"at the bytes of a file source", 0, 0, true, BMPRESIZE_CAUSE_NONE},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes arena(static_cast<std::size_t>(2 * size + n + n), 0xA5);
    std::uint8_t* source = arena.data() + size;
    std::copy(picture.begin(), picture.end(), source);
    const Bytes before = arena;
    std::uint8_t* buffer = c.at == kNoBuffer ? nullptr : source + c.at;
    const std::string path = dir.File("in.bmp");
    bmpresize_source from{};
    from.path = c.fromFile ? path.c_str() : nullptr;
    from.data = source;
    from.size = picture.size();
    bmpresize_destination to{};
    to.data = buffer;
    to.capacity = static_cast<std::size_t>(size + c.extra);
    bmpresize_result result{};
    const bmpresize_code code = bmpresize_resize(&from, &to, &options, &result);
    EXPECT_EQ(result.cause, c.cause);
    if (c.cause != BMPRESIZE_CAUSE_NONE) {
      EXPECT_EQ(code, BMPRESIZE_DESTINATION_FAILED);
      EXPECT_EQ(arena, before);
      continue;
    }
    ASSERT_EQ(code, BMPRESIZE_OK);
    EXPECT_EQ(Bytes(buffer, buffer + size), want);
  }
}
