// SPDX-License-Identifier: MIT
// The three ways into the library (file to file, memory to memory, read and
// write functions) against the export, BMPResizeScale: for the same source
// and percent, the same result code and the same bytes, on random files.
#include <gtest/gtest.h>

#include <algorithm>
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
