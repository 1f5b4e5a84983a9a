// SPDX-License-Identifier: MIT
// The tool's sentences for results that no file on a test machine can bring
// about, written by bmpresize_describe; the others are checked through the
// tool itself (tests/tools).
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <string>

#include "bmpresize.h"
#include "support/bmp_bytes.h"

using namespace bmpresize;

namespace {

std::string Describe(const bmpresize_result& result) {
  char text[512];
  const std::size_t length = bmpresize_describe(&result, "in.bmp", "out.bmp", text, sizeof text);
  EXPECT_EQ(length, std::string(text).size());
  return text;
}

bmpresize_result Result(bmpresize_code code, int cause, std::int64_t value = 0, std::int64_t limit = 0, int error = 0) {
  bmpresize_result r{};
  r.code = code;
  r.cause = static_cast<bmpresize_cause>(cause);
  r.value = value;
  r.limit = limit;
  r.error = error;
  return r;
}

bmpresize_result Source(int cause, std::int64_t value, std::int64_t limit = 0) {
  return Result(BMPRESIZE_SOURCE_UNREADABLE, cause, value, limit);
}

bmpresize_result Destination(int cause, std::int64_t value, int error = 0) {
  return Result(BMPRESIZE_DESTINATION_FAILED, cause, value, 0, error);
}

TEST(Describe, RareResultsAreWorded) {
  struct Case {
    const char* what;
    bmpresize_result result;
    std::string words;
  };
  const Case cases[] = {
      {"top-down RLE", Source(BMPRESIZE_CAUSE_TOP_DOWN_COMPRESSED, 1), "in.bmp: compression 1 (RLE8)"},
      {"RLE4 at 8 bits", Source(BMPRESIZE_CAUSE_COMPRESSION_DEPTH, 2, 4),
       "in.bmp: compression 2 (RLE4) is supported only at 4"},
      {"height -2^31", Source(BMPRESIZE_CAUSE_HEIGHT, -2147483648LL),
       "in.bmp: height -2147483648 is not supported: a top-down height lies from -1 to -2147483647"},
      {"Huffman in an OS/2 2.x header", Source(BMPRESIZE_CAUSE_COMPRESSION_FOR_HEADER, 3, 64),
       "in.bmp: compression 3 (Huffman) in a 64-byte header is not supported"},
      // The names of the one table, by the header's size too.
      {"RLE24 in an OS/2 2.x header", Source(BMPRESIZE_CAUSE_COMPRESSION, 4, 64),
       "in.bmp: compression 4 (RLE24) is not supported"},
      {"CMYK run-length", Source(BMPRESIZE_CAUSE_COMPRESSION, 12, 124),
       "in.bmp: compression 12 (CMYKRLE8) is not supported"},
      {"compression 2^32 - 1", Source(BMPRESIZE_CAUSE_COMPRESSION, 4294967295LL, 40),
       "in.bmp: compression 4294967295 (unknown) is not supported"},
      {"16 bits in an OS/2 1.x header", Source(BMPRESIZE_CAUSE_DEPTH_FOR_HEADER, 16, 12),
       "in.bmp: a depth of 16 bits per pixel is not supported in a 12-byte OS/2 header"},
      {"2 bits in an OS/2 1.x header", Source(BMPRESIZE_CAUSE_DEPTH_FOR_HEADER, 2, 12),
       "in.bmp: a depth of 2 bits per pixel is not supported in a 12-byte OS/2 header"},
      {"bit fields at 2 bits", Source(BMPRESIZE_CAUSE_COMPRESSION_DEPTH, 3, 16),
       "in.bmp: compression 3 (BITFIELDS) is supported only at 16 and 32 bits per pixel"},
      {"reader out of memory", Source(BMPRESIZE_CAUSE_NO_MEMORY_TO_READ, 0), "in.bmp: there is not enough memory"},
      {"a refusal added later", Source(99, 7), "in.bmp: is a BMP file that cannot be read"},
      {"short write", Destination(BMPRESIZE_CAUSE_WRITE_FAILED, 0, EIO), "out.bmp: could not be written"},
      {"unnamed destination", Destination(BMPRESIZE_CAUSE_NO_DESTINATION, 0), "out.bmp: cannot be used as a file name"},
      {"a name too long", Result(BMPRESIZE_DESTINATION_FAILED, BMPRESIZE_CAUSE_NO_DESTINATION, 300, 255, ENAMETOOLONG),
       "out.bmp: name too long (300"},
      {"a path too long", Result(BMPRESIZE_DESTINATION_FAILED, BMPRESIZE_CAUSE_NO_DESTINATION, 4100, 0, ENAMETOOLONG),
       "out.bmp: name too long for the system (its path is 4100"},
      {"row too wide", Destination(BMPRESIZE_CAUSE_ROW_TOO_WIDE, 20000000),
       "in.bmp: the resized picture would be 20000000 pixels wide"},
      {"resize out of memory", Destination(BMPRESIZE_CAUSE_NO_MEMORY, 0), "in.bmp: there is not enough memory"},
      {"read-only destination", Destination(BMPRESIZE_CAUSE_NOT_WRITABLE, 0, EACCES),
       "out.bmp: cannot be overwritten: Permission denied"},
      {"output onto the source", Destination(BMPRESIZE_CAUSE_SAME_AS_SOURCE, 0), "out.bmp: is the source file itself"},
      {"source in a closed folder", Destination(BMPRESIZE_CAUSE_SAME_AS_SOURCE, 0, EACCES),
       "out.bmp: is the source file itself, and its folder takes no new file (Permission denied)"},
      {"read error", Source(BMPRESIZE_CAUSE_READ_FAILED, 0), "in.bmp: could not be read: "},
      {"interrupted", Destination(BMPRESIZE_CAUSE_CANCELLED, 0), "out.bmp: was not written"},
      {"buffer too small", Result(BMPRESIZE_DESTINATION_FAILED, BMPRESIZE_CAUSE_BUFFER_TOO_SMALL, 1000, 999),
       "out.bmp: holds 999 bytes, fewer than the 1000 of the resized picture"},
      // The need rounded up and the limit down, so one never reads as the other.
      {"a byte past the memory limit",
       Result(BMPRESIZE_TOO_LARGE, BMPRESIZE_CAUSE_MEMORY_LIMIT, (256 << 20) + 1, 256 << 20),
       "in.bmp: resizing it needs 257 MiB, more than the memory limit of 256 MiB"},
      {"memory in GiB", Result(BMPRESIZE_TOO_LARGE, BMPRESIZE_CAUSE_MEMORY_LIMIT, 5LL << 29, (2LL << 30) - 1),
       "in.bmp: resizing it needs 2.5 GiB, more than the memory limit of 1.9 GiB"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string words = Describe(c.result);
    EXPECT_EQ(words.rfind(c.words, 0), 0u) << words;
  }
  bmpresize_result partial = Destination(BMPRESIZE_CAUSE_WRITE_FAILED, 0, ENOSPC);
  partial.partial_left = BMPRESIZE_PARTIAL_IN_PLACE;
  EXPECT_NE(Describe(partial).find("rewritten in place"), std::string::npos);
  partial.partial_left = BMPRESIZE_PARTIAL_DESCRIPTOR;
  EXPECT_NE(Describe(partial).find("what it took of the picture stays there"), std::string::npos);
  EXPECT_EQ(Describe(partial).find("rewritten in place"), std::string::npos);
}

// The library's words fit every caller: they name none of the tool's options
// and speak of no tool (the tool adds its own hints), and an empty name is
// named as one.
TEST(Describe, WordsFitEveryCaller) {
  bmpresize_result cut = Source(BMPRESIZE_CAUSE_CUT_SHORT, 0);
  cut.shortfall = {1, 0, 0, 2, 4};
  bmpresize_result fifo = Result(BMPRESIZE_SOURCE_NOT_BMP, BMPRESIZE_CAUSE_OPEN_FAILED, BMPRESIZE_PATH_FIFO);
  // Failures that left part of the picture at the destination say so.
  bmpresize_result cutIntoDescriptor = cut;
  cutIntoDescriptor.partial_left = BMPRESIZE_PARTIAL_DESCRIPTOR;
  bmpresize_result cutInPlace = cut;
  cutInPlace.partial_left = BMPRESIZE_PARTIAL_IN_PLACE;
  bmpresize_result cancelledIntoDescriptor = Destination(BMPRESIZE_CAUSE_CANCELLED, 0);
  cancelledIntoDescriptor.partial_left = BMPRESIZE_PARTIAL_DESCRIPTOR;
  const struct {
    bmpresize_result result;
    const char *source, *destination;
    std::string words;
  } cases[] = {
      {cut, "in.bmp", "out.bmp",
       "in.bmp: is cut short: only the bottom 2 of its 4 rows could be read; nothing was written"},
      {cutIntoDescriptor, "in.bmp", "/dev/stdout",
       "in.bmp: is cut short: only the bottom 2 of its 4 rows could be read; /dev/stdout took part of the picture, "
       "which stays there"},
      {cutInPlace, "in.bmp", "out.bmp",
       "in.bmp: is cut short: only the bottom 2 of its 4 rows could be read; out.bmp was being rewritten in place "
       "(its folder takes no new file) and is now partial"},
      {cancelledIntoDescriptor, "in.bmp", "/dev/fd/3",
       "/dev/fd/3: was not written completely: the resize was interrupted; what it took of the picture stays there"},
      {fifo, "in.bmp", "out.bmp", "in.bmp: is a named pipe, not a file"},
      {Source(BMPRESIZE_CAUSE_WIDTH, 16777217, 16777216), "in.bmp", "out.bmp",
       "in.bmp: the picture is 16777217 pixels wide, wider than the 16777216 pixels bmpresize reads"},
      {Source(BMPRESIZE_CAUSE_TOO_MANY_PIXELS, 2147483648LL, 2147483647), "in.bmp", "out.bmp",
       "in.bmp: the picture has 2147483648 pixels, more than the 2147483647 bmpresize reads"},
      {Result(BMPRESIZE_SOURCE_NOT_BMP, BMPRESIZE_CAUSE_OPEN_FAILED, 0, 0, ENOENT), "", "out.bmp",
       "(an empty path): cannot be opened: No such file or directory"},
      {Destination(BMPRESIZE_CAUSE_CREATE_FAILED, 0, ENOENT), "in.bmp", "",
       "(an empty path): cannot be created: No such file or directory"},
  };
  for (const auto& c : cases) {
    char text[512];
    (void)bmpresize_describe(&c.result, c.source, c.destination, text, sizeof text);
    EXPECT_EQ(std::string(text), c.words);
  }
  // A number the system has no words for is still told.
  const std::string unknown = Describe(Destination(BMPRESIZE_CAUSE_WRITE_FAILED, 0, 123456));
  EXPECT_EQ(unknown.rfind("out.bmp: could not be written completely: ", 0), 0u) << unknown;
  EXPECT_NE(unknown.find("123456"), std::string::npos) << unknown;
}

// A success says nothing, unless its source was cut short or had no colour
// table; a buffer too small for the sentence gets as much as fits, and the
// answer counts it all.
TEST(Describe, SuccessesAndShortBuffers) {
  bmpresize_result done = Result(BMPRESIZE_OK, BMPRESIZE_CAUSE_NONE);
  EXPECT_EQ(Describe(done), "");
  done.shortfall = {1, 0, 0, 2, 4};
  EXPECT_EQ(Describe(done),
            "in.bmp: warning: cut short: only the bottom 2 of its 4 rows could be read; the rows above are white");
  done.shortfall = {1, 1, 0, 3, 5};
  EXPECT_EQ(Describe(done),
            "in.bmp: warning: cut short: only the top 3 of its 5 rows could be read; the rows below are white");
  done.shortfall = {1, 0, 1, 0, 5};
  EXPECT_EQ(Describe(done),
            "in.bmp: warning: cut short: none of its 5 rows could be read; the rest repeat the last pixel read");
  done.shortfall = {1, 0, 0, 0, 5};
  EXPECT_EQ(Describe(done), "in.bmp: warning: cut short: none of its 5 rows could be read; the picture is white");
  done.shortfall = {1, 0, 0, 0, 1};
  EXPECT_EQ(Describe(done), "in.bmp: warning: cut short: its one row could not be read; the picture is white");
  done.notes = BMPRESIZE_NOTE_NO_COLOUR_TABLE;
  EXPECT_EQ(Describe(done), "in.bmp: warning: has no colour table: every pixel is white");

  char text[8] = "xxxxxxx";
  const bmpresize_result failed = Destination(BMPRESIZE_CAUSE_CANCELLED, 0);
  EXPECT_EQ(bmpresize_describe(&failed, nullptr, nullptr, text, sizeof text),
            std::string("destination: was not written: the resize was interrupted").size());
  EXPECT_EQ(std::string(text), "destina");
  EXPECT_EQ(bmpresize_describe(nullptr, "a", "b", text, sizeof text), 0u);
  EXPECT_EQ(std::string(text), "");
}

// An indexed file whose pixel data starts where its colour table would is
// resized white, with a note; a table of one entry, or no table at all at 24
// bits, is nothing to note.
TEST(Describe, IndexedFileWithoutColourTableIsNoted) {
  const struct {
    std::uint16_t depth;
    std::uint32_t entries;
    bool noted;
  } cases[] = {{8, 0, true}, {1, 0, true}, {4, 0, true}, {8, 1, false}, {24, 0, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.depth) + " bits, " + std::to_string(c.entries) + " entries");
    BmpBytes b;
    b.Headers(4, 2, c.depth, 54 + 4 * c.entries);
    for (std::uint32_t i = 0; i < c.entries; ++i) b.PaletteEntry({0, 0, 0, 0});
    b.Zeros(2 * 12);
    std::vector<std::uint8_t> out(1024);
    bmpresize_result result{};
    ASSERT_EQ(bmpresize_memory(b.data().data(), b.size(), out.data(), out.size(), nullptr, &result), BMPRESIZE_OK);
    EXPECT_EQ((result.notes & BMPRESIZE_NOTE_NO_COLOUR_TABLE) != 0, c.noted);
    EXPECT_EQ(Describe(result).empty(), !c.noted);
    if (c.noted) {
      EXPECT_EQ(out[54], 255);  // the first pixel's blue
    }
  }
}

}  // namespace
