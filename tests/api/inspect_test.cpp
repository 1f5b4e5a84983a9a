// SPDX-License-Identifier: MIT
// bmpresize_inspect: the record of built files of every header kind, hostile
// headers, and the corpora's indexes; and, for every file, the same warnings
// and refusals as a resize at 100 % of it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bmpresize.h"
#include "support/bmp_bytes.h"
#include "support/temp_dir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Inspected {
  bmpresize_code code;
  bmpresize_info info;
  bmpresize_result result;
};

Inspected InspectSource(const bmpresize_source& source, const bmpresize_options* options = nullptr) {
  Inspected seen{};
  seen.code = bmpresize_inspect(&source, options, &seen.info, &seen.result);
  return seen;
}

Inspected InspectBytes(const Bytes& bytes, const bmpresize_options* options = nullptr) {
  bmpresize_source source{};
  source.data = bytes.data();
  source.size = bytes.size();
  return InspectSource(source, options);
}

int Discard(void*, const void*, std::size_t) { return 0; }

// What a resize at 100 % of bytes answers, its picture thrown away.
bmpresize_result ResizeAt100(const bmpresize_source& source, const bmpresize_options* options = nullptr) {
  bmpresize_destination destination{};
  destination.write = Discard;
  bmpresize_result result{};
  (void)bmpresize_resize(&source, &destination, options, &result);
  return result;
}

// The inspection tells what the resize tells of its source.
void ExpectAsResize(const bmpresize_source& source, const Inspected& seen, const bmpresize_options* options = nullptr) {
  const bmpresize_result resized = ResizeAt100(source, options);
  EXPECT_EQ(seen.result.code, resized.code);
  EXPECT_EQ(seen.result.cause, resized.cause);
  EXPECT_EQ(seen.result.notes, resized.notes);
  EXPECT_EQ(seen.result.shortfall.cut_short, resized.shortfall.cut_short);
  EXPECT_EQ(seen.result.shortfall.rows_read, resized.shortfall.rows_read);
  EXPECT_EQ(seen.result.shortfall.rows, resized.shortfall.rows);
  EXPECT_EQ(seen.result.shortfall.top_down, resized.shortfall.top_down);
  EXPECT_EQ(seen.result.shortfall.repeats_last_pixel, resized.shortfall.repeats_last_pixel);
}

// The file header and an info header of any size: after its first 40 bytes
// the masks given, then zeros to its end.
BmpBytes Headers(std::uint32_t headerSize, std::int32_t width, std::int32_t height, std::uint16_t depth,
                 std::uint32_t offBits, std::uint32_t compression = 0, std::vector<std::uint32_t> masks = {}) {
  BmpBytes b;
  b.U16(0x4D42).U32(0).U16(0).U16(0).U32(offBits);
  if (headerSize == 12) {
    b.U32(12).U16(static_cast<std::uint32_t>(width)).U16(static_cast<std::uint32_t>(height)).U16(1).U16(depth);
    return b;
  }
  b.U32(headerSize).U32(static_cast<std::uint32_t>(width)).U32(static_cast<std::uint32_t>(height)).U16(1).U16(depth);
  b.U32(compression).U32(0).U32(2835).U32(3780).U32(0).U32(0);
  for (std::uint32_t mask : masks) b.U32(mask);
  const std::size_t rest = 40 + 4 * masks.size();
  return b.Zeros(headerSize > rest ? headerSize - rest : 0);
}

Bytes FirstBytes(const Bytes& bytes, std::size_t n) {
  return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
}

struct Expected {
  std::int32_t width, height, depth;
  std::uint32_t compression;
  std::int32_t header_size, top_down, colours, x_ppm, y_ppm;
  std::uint32_t masks[4];
  std::int64_t data_offset, file_size, needed_size;
  std::int32_t has_masks;
  std::int32_t has_alpha;
};

void ExpectInfo(const bmpresize_info& info, const Expected& e) {
  EXPECT_EQ(info.width, e.width);
  EXPECT_EQ(info.height, e.height);
  EXPECT_EQ(info.depth, e.depth);
  EXPECT_EQ(info.compression, e.compression);
  EXPECT_EQ(info.header_size, e.header_size);
  EXPECT_EQ(info.top_down, e.top_down);
  EXPECT_EQ(info.colours, e.colours);
  EXPECT_EQ(info.x_ppm, e.x_ppm);
  EXPECT_EQ(info.y_ppm, e.y_ppm);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(info.masks[i], e.masks[i]) << "mask " << i;
  EXPECT_EQ(info.data_offset, e.data_offset);
  EXPECT_EQ(info.file_size, e.file_size);
  EXPECT_EQ(info.needed_size, e.needed_size);
  EXPECT_EQ(info.has_masks != 0, e.has_masks != 0);
  EXPECT_EQ(info.has_alpha != 0, e.has_alpha != 0);
  for (std::int64_t reserved : info.reserved) EXPECT_EQ(reserved, 0);
}

TEST(Inspect, TellsWhatEveryHeaderKindHolds) {
  struct Case {
    const char* name;
    Bytes file;
    Expected info;
  };
  const Case cases[] = {
      {"40-byte header, 24 bits",
       Headers(40, 3, 2, 24, 54).Zeros(24).data(),
       {3, 2, 24, 0, 40, 0, 0, 2835, 3780, {0, 0, 0, 0}, 54, 78, 24, 0, 0}},
      {"OS/2 1.x, 8 bits, 3 entries",
       Headers(12, 2, 2, 8, 35).Zeros(9 + 8).data(),
       {2, 2, 8, 0, 12, 0, 3, 0, 0, {0, 0, 0, 0}, 35, 43, 8, 0, 0}},
      {"52-byte header, 16-bit 5-6-5, top-down",
       Headers(52, 3, -2, 16, 66, 3, {0xF800, 0x07E0, 0x001F}).Zeros(16).data(),
       {3, 2, 16, 3, 52, 1, 0, 2835, 3780, {0xF800, 0x07E0, 0x001F, 0}, 66, 82, 16, 1, 0}},
      {"124-byte header, 32-bit bit fields",
       Headers(124, 2, 1, 32, 138, 3, {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000}).Zeros(8).data(),
       {2, 1, 32, 3, 124, 0, 0, 2835, 3780, {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000}, 138, 146, 8, 1, 1}},
      {"56-byte header, 16 bits without bit fields",
       Headers(56, 1, 1, 16, 70).Zeros(4).data(),
       {1, 1, 16, 0, 56, 0, 0, 2835, 3780, {0x7C00, 0x03E0, 0x001F, 0}, 70, 74, 4, 1, 0}},
      {"40-byte header, 32 bits without bit fields",
       Headers(40, 1, -1, 32, 54).Zeros(4).data(),
       {1, 1, 32, 0, 40, 1, 0, 2835, 3780, {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}, 54, 58, 4, 1, 0}},
      {"64-byte OS/2 2.x header, 4 bits, 16 entries",
       Headers(64, 9, 1, 4, 142).Zeros(64 + 8).data(),
       {9, 1, 4, 0, 64, 0, 16, 2835, 3780, {0, 0, 0, 0}, 142, 150, 8, 0, 0}},
      {"108-byte header, RLE8, 2 entries, end of bitmap at once",
       Headers(108, 5, 3, 8, 130, 1).Zeros(8).U16(0x0100).data(),
       {5, 3, 8, 1, 108, 0, 2, 2835, 3780, {0, 0, 0, 0}, 130, 132, -1, 0, 0}},
      {"40-byte header, 2 bits, 4 entries, top-down",
       Headers(40, 5, -2, 2, 70).Zeros(16 + 8).data(),
       {5, 2, 2, 0, 40, 1, 4, 2835, 3780, {0, 0, 0, 0}, 70, 78, 8, 0, 0}},
      {"32-bit bit fields all zero: masks all the same, every pixel black",
       Headers(40, 1, 1, 32, 66, 3, {0, 0, 0}).Zeros(4).data(),
       {1, 1, 32, 3, 40, 0, 0, 2835, 3780, {0, 0, 0, 0}, 66, 70, 4, 1, 0}},
      {"bfOffBits short of a full table: the data follows the entries it counts",
       Headers(40, 1, 1, 1, 60).Zeros(8 + 4).data(),
       {1, 1, 1, 0, 40, 0, 1, 2835, 3780, {0, 0, 0, 0}, 58, 66, 4, 0, 0}},
      {"56-byte header, 32-bit bit fields, alpha mask 0: no alpha",
       Headers(56, 1, 1, 32, 70, 3, {0x00FF0000, 0x0000FF00, 0x000000FF, 0}).Zeros(4).data(),
       {1, 1, 32, 3, 56, 0, 0, 2835, 3780, {0x00FF0000, 0x0000FF00, 0x000000FF, 0}, 70, 74, 4, 1, 0}},
      {"40-byte header, compression 6 with an alpha mask",
       Headers(40, 1, 1, 32, 70, 6, {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}).Zeros(4).data(),
       {1, 1, 32, 6, 40, 0, 0, 2835, 3780, {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}, 70, 74, 4, 1, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Inspected seen = InspectBytes(c.file);
    EXPECT_EQ(seen.code, BMPRESIZE_OK);
    ExpectInfo(seen.info, c.info);
    EXPECT_EQ(seen.result.shortfall.cut_short, 0);
  }
}

TEST(Inspect, HostileHeadersTellTheirWarningOrRefusalAsAResizeWould) {
  bmpresize_options strict;
  bmpresize_options_init(&strict);
  strict.strict = 1;
  bmpresize_options tiny;
  bmpresize_options_init(&tiny);
  tiny.memory_limit = 64;
  struct Case {
    const char* name;
    Bytes file;
    const bmpresize_options* options;
    bmpresize_code code;
    bmpresize_cause cause;
    std::int64_t rowsRead;  // -1: not cut short
    std::int64_t notes;
    std::int32_t width, height, depth;  // as far as the headers were read
  };
  const Case cases[] = {
      {"24 bits, 2 of 4 rows", Headers(40, 4, 4, 24, 54).Zeros(2 * 12 + 5).data(), nullptr, BMPRESIZE_OK,
       BMPRESIZE_CAUSE_NONE, 2, 0, 4, 4, 24},
      {"the same, strict", Headers(40, 4, 4, 24, 54).Zeros(2 * 12 + 5).data(), &strict, BMPRESIZE_SOURCE_UNREADABLE,
       BMPRESIZE_CAUSE_CUT_SHORT, 2, 0, 4, 4, 24},
      {"top-down, 1 of 3 rows", Headers(40, 1, -3, 24, 54).Zeros(4).data(), nullptr, BMPRESIZE_OK, BMPRESIZE_CAUSE_NONE,
       1, 0, 1, 3, 24},
      {"16 bits, ends inside a row", Headers(40, 3, 2, 16, 54).Zeros(8 + 2).data(), nullptr, BMPRESIZE_OK,
       BMPRESIZE_CAUSE_NONE, 1, 0, 3, 2, 16},
      {"16 bits, ends before its pixel data", Headers(40, 3, 4, 16, 1078).Zeros(20).data(), nullptr, BMPRESIZE_OK,
       BMPRESIZE_CAUSE_NONE, 0, 0, 3, 4, 16},
      {"16 bits, ends after a whole row", Headers(40, 3, 4, 16, 54).Zeros(8).data(), nullptr, BMPRESIZE_OK,
       BMPRESIZE_CAUSE_NONE, 1, 0, 3, 4, 16},
      {"RLE8 without its end", Headers(40, 4, 2, 8, 58, 1).Zeros(4).U16(0x0102).data(), nullptr, BMPRESIZE_OK,
       BMPRESIZE_CAUSE_NONE, 0, 0, 4, 2, 8},
      {"ends before its pixel data", Headers(40, 2, 2, 8, 1078).Zeros(100).data(), nullptr, BMPRESIZE_OK,
       BMPRESIZE_CAUSE_NONE, 0, 0, 2, 2, 8},
      {"no colour table", Headers(40, 2, 2, 8, 54).Zeros(8).data(), nullptr, BMPRESIZE_OK, BMPRESIZE_CAUSE_NONE, -1,
       BMPRESIZE_NOTE_NO_COLOUR_TABLE, 2, 2, 8},
      {"no colour table, cut short too", Headers(40, 2, 2, 4, 54).Zeros(4).data(), nullptr, BMPRESIZE_OK,
       BMPRESIZE_CAUSE_NONE, 1, BMPRESIZE_NOTE_NO_COLOUR_TABLE, 2, 2, 4},
      {"depth 30", Headers(40, 5, 7, 30, 54).Zeros(64).data(), nullptr, BMPRESIZE_SOURCE_UNREADABLE,
       BMPRESIZE_CAUSE_DEPTH, -1, 0, 5, 7, 30},
      {"JPEG inside", Headers(40, 5, -7, 24, 54, 4).Zeros(64).data(), nullptr, BMPRESIZE_SOURCE_UNREADABLE,
       BMPRESIZE_CAUSE_COMPRESSION, -1, 0, 5, 7, 24},
      {"width 0", Headers(40, 0, 7, 24, 54).data(), nullptr, BMPRESIZE_SOURCE_UNREADABLE, BMPRESIZE_CAUSE_WIDTH, -1, 0,
       0, 7, 24},
      {"2^31 rows up", Headers(40, 1, INT32_MIN, 24, 54).data(), nullptr, BMPRESIZE_SOURCE_UNREADABLE,
       BMPRESIZE_CAUSE_HEIGHT, -1, 0, 1, INT32_MAX, 24},
      {"too many pixels", Headers(40, 1 << 16, 1 << 16, 24, 54).data(), nullptr, BMPRESIZE_SOURCE_UNREADABLE,
       BMPRESIZE_CAUSE_TOO_MANY_PIXELS, -1, 0, 1 << 16, 1 << 16, 24},
      {"headers cut short", FirstBytes(Headers(40, 4, 4, 24, 54).data(), 30), nullptr, BMPRESIZE_SOURCE_UNREADABLE,
       BMPRESIZE_CAUSE_SHORT_HEADER, -1, 0, 0, 0, 0},
      {"a PNG file",
       {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'},
       nullptr,
       BMPRESIZE_SOURCE_NOT_BMP,
       BMPRESIZE_CAUSE_NOT_BMP,
       -1,
       0,
       0,
       0,
       0},
      {"empty", {}, nullptr, BMPRESIZE_SOURCE_UNREADABLE, BMPRESIZE_CAUSE_EMPTY, -1, 0, 0, 0, 0},
      {"rows wider than the memory limit", Headers(40, 100, 1, 24, 54).Zeros(300).data(), &tiny, BMPRESIZE_TOO_LARGE,
       BMPRESIZE_CAUSE_MEMORY_LIMIT, -1, 0, 100, 1, 24},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    bmpresize_source source{};
    source.data = c.file.data();
    source.size = c.file.size();
    const Inspected seen = InspectSource(source, c.options);
    EXPECT_EQ(seen.code, c.code);
    EXPECT_EQ(seen.result.code, c.code);
    EXPECT_EQ(seen.result.cause, c.cause);
    EXPECT_EQ(seen.result.shortfall.cut_short != 0, c.rowsRead >= 0);
    if (c.rowsRead >= 0) {
      EXPECT_EQ(seen.result.shortfall.rows_read, c.rowsRead);
    }
    EXPECT_EQ(seen.result.notes, c.notes);
    EXPECT_EQ(seen.info.width, c.width);
    EXPECT_EQ(seen.info.height, c.height);
    EXPECT_EQ(seen.info.depth, c.depth);
    EXPECT_EQ(seen.info.file_size, static_cast<std::int64_t>(c.file.size()));
    ExpectAsResize(source, seen, c.options);
  }
}

TEST(Inspect, EveryWayInGivesOneRecord) {
  TempDir dir;
  const Bytes file = Headers(40, 4, 4, 24, 54).Zeros(2 * 12 + 5).data();
  WriteFileBytes(dir.File("short.bmp"), file);
  const Inspected inMemory = InspectBytes(file);
  bmpresize_source byPath{};
  const std::string path = dir.File("short.bmp");
  byPath.path = path.c_str();
  const Inspected fromFile = InspectSource(byPath);
  struct Reader {
    const Bytes* data;
    std::size_t at;
  } reader{&file, 0};
  bmpresize_source byFunction{};
  byFunction.user = &reader;
  byFunction.read = [](void* user, void* buffer, std::size_t size, std::size_t* got) {
    auto* r = static_cast<Reader*>(user);
    *got = std::min<std::size_t>({size, 7, r->data->size() - r->at});
    std::copy(r->data->begin() + static_cast<std::ptrdiff_t>(r->at),
              r->data->begin() + static_cast<std::ptrdiff_t>(r->at + *got), static_cast<std::uint8_t*>(buffer));
    r->at += *got;
    return 0;
  };
  const Inspected fromFunction = InspectSource(byFunction);
  for (const Inspected* seen : {&fromFile, &fromFunction}) {
    EXPECT_EQ(seen->code, BMPRESIZE_OK);
    EXPECT_EQ(seen->result.shortfall.rows_read, inMemory.result.shortfall.rows_read);
    EXPECT_EQ(seen->info.width, 4);
    EXPECT_EQ(seen->info.data_offset, 54);
    EXPECT_EQ(seen->info.needed_size, 48);
  }
  EXPECT_EQ(fromFile.info.file_size, static_cast<std::int64_t>(file.size()));
  EXPECT_EQ(fromFunction.info.file_size, -1);  // a read function tells no length

  // No file, a null source and a null record: a failure, nothing told, no crash.
  bmpresize_source missing{};
  const std::string none = dir.File("none.bmp");
  missing.path = none.c_str();
  const Inspected absent = InspectSource(missing);
  EXPECT_EQ(absent.code, BMPRESIZE_SOURCE_NOT_BMP);
  EXPECT_EQ(absent.result.cause, BMPRESIZE_CAUSE_OPEN_FAILED);
  EXPECT_EQ(absent.info.width, 0);
  EXPECT_EQ(bmpresize_inspect(nullptr, nullptr, nullptr, nullptr), BMPRESIZE_SOURCE_NOT_BMP);
  EXPECT_EQ(bmpresize_inspect(&byPath, nullptr, nullptr, nullptr), BMPRESIZE_OK);
  // Nothing was written beside the source.
  EXPECT_FALSE(FileExists(dir.File("none.bmp")));
}

// The corpora's indexes: the size, depth and refusal they record, and the
// resize's warnings for every file.
struct IndexFile {
  std::string folder;
  std::vector<std::vector<std::string>> rows;
};

IndexFile LoadIndex(const char* variable) {
  IndexFile index;
  const char* folder = std::getenv(variable);
  if (folder == nullptr || *folder == '\0') return index;
  index.folder = folder;
  std::ifstream in(index.folder + "/INDEX.tsv");
  std::string line;
  std::getline(in, line);  // column names
  while (std::getline(in, line)) {
    std::vector<std::string> cols;
    std::istringstream fields(line);
    for (std::string col; std::getline(fields, col, '\t');) cols.push_back(col);
    index.rows.push_back(cols);
  }
  return index;
}

Inspected InspectPath(const std::string& path) {
  bmpresize_source source{};
  source.path = path.c_str();
  const Inspected seen = InspectSource(source);
  ExpectAsResize(source, seen);
  return seen;
}

TEST(Inspect, TheTestSuiteAsItsIndexSays) {
  const IndexFile index = LoadIndex("BMPRESIZE_CORPUS_DIR");
  if (index.rows.empty()) GTEST_SKIP() << "no BMP corpus (BMPRESIZE_CORPUS_DIR)";
  for (const auto& cols : index.rows) {
    ASSERT_GE(cols.size(), 13u);
    SCOPED_TRACE(cols[0]);
    const Inspected seen = InspectPath(index.folder + "/" + cols[0]);
    EXPECT_EQ(seen.code == BMPRESIZE_OK, cols[12] == "yes");
    EXPECT_EQ(seen.info.file_size, std::stoll(cols[1]));
    if (cols[3] == "12" || seen.info.width == 0) continue;  // the index reads a 40-byte header
    EXPECT_EQ(seen.info.width, std::stoll(cols[4]));
    EXPECT_EQ(seen.info.height, std::llabs(std::stoll(cols[5])));
    EXPECT_EQ(seen.info.depth, std::stoll(cols[6]));
    EXPECT_EQ(seen.info.compression, std::stoll(cols[7]));
    EXPECT_EQ(seen.info.top_down, std::stoll(cols[5]) < 0);
  }
}

TEST(Inspect, RealWorldFilesAsTheirIndexSays) {
  const IndexFile index = LoadIndex("BMPRESIZE_REALWORLD_DIR");
  if (index.rows.empty()) GTEST_SKIP() << "no real-world corpus (BMPRESIZE_REALWORLD_DIR)";
  const std::pair<const char*, std::uint32_t> compressions[] = {
      {"BI_RGB", 0}, {"BI_RLE8", 1}, {"BI_RLE4", 2}, {"BI_BITFIELDS", 3}, {"BI_ALPHABITFIELDS", 6}};
  for (const auto& cols : index.rows) {
    ASSERT_GE(cols.size(), 11u);
    SCOPED_TRACE(cols[0]);
    const Inspected seen = InspectPath(index.folder + "/" + cols[0]);
    EXPECT_EQ(seen.code, std::stoi(cols[10]));
    EXPECT_EQ(seen.info.header_size, std::stoi(cols[3]));
    EXPECT_EQ(seen.info.depth, std::stoi(cols[4]));
    EXPECT_EQ(seen.info.top_down != 0, cols[6] == "yes");
    std::uint32_t compression = 0;  // "none (OS/2 1.x)"
    for (const auto& [name, value] : compressions) {
      if (cols[5] == name) compression = value;
    }
    EXPECT_EQ(seen.info.compression, compression);
    EXPECT_GT(seen.info.width, 0);
    EXPECT_GT(seen.info.height, 0);
  }
}

}  // namespace
