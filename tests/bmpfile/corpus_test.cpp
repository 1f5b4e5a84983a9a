// SPDX-License-Identifier: MIT
// The reader and writer against the public BMP test suite named by
// BMPRESIZE_CORPUS_DIR: its INDEX.tsv says which files the reader takes
// (column supported_e5e6).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "bmpfile/bmp_reader.h"
#include "reference/read_bmp_file.h"
#include "reference/write_bmp_file.h"
#include "support/temp_dir.h"

using namespace bmpresize;

namespace {

struct IndexRow {
  std::string path;
  std::int64_t width = 0, height = 0;
  bool supported = false;
};

// The folder and its index rows; empty when there is no corpus here.
std::vector<IndexRow> LoadIndex(std::string& folder) {
  const char* env = std::getenv("BMPRESIZE_CORPUS_DIR");
  if (env == nullptr || *env == '\0') return {};
  folder = env;
  std::ifstream in(folder + "/INDEX.tsv");
  std::vector<IndexRow> rows;
  std::string line;
  std::getline(in, line);  // column names
  while (std::getline(in, line)) {
    std::vector<std::string> cols;
    std::istringstream fields(line);
    for (std::string col; std::getline(fields, col, '\t');) cols.push_back(col);
    if (cols.size() < 13) continue;
    IndexRow row{cols[0], std::stoll(cols[4]), std::llabs(std::stoll(cols[5])), cols[12] == "yes"};
    if (cols[3] == "12") {
      // The index reads every header as 40 bytes; an OS/2 1.x header has its
      // 16-bit width and height at offsets 18 and 20.
      std::ifstream file(folder + "/" + row.path, std::ios::binary);
      unsigned char b[22] = {};
      file.read(reinterpret_cast<char*>(b), sizeof b);
      row.width = b[18] | b[19] << 8;
      row.height = b[20] | b[21] << 8;
    }
    rows.push_back(row);
  }
  return rows;
}

class Corpus : public ::testing::Test {
 protected:
  void SetUp() override {
    rows_ = LoadIndex(folder_);
    if (rows_.empty()) GTEST_SKIP() << "no BMP corpus (BMPRESIZE_CORPUS_DIR)";
  }
  std::string File(const IndexRow& row) const { return folder_ + "/" + row.path; }

  std::string folder_;
  std::vector<IndexRow> rows_;
};

TEST_F(Corpus, ReaderTakesExactlyTheSupportedFilesWithinThePixelLimit) {
  for (const IndexRow& row : rows_) {
    // A picture above the limit (b/reallybig.bmp claims 3000000 x 2000000) is
    // refused from its header, before anything is allocated.
    const bool expected = row.supported && row.width * row.height <= kMaxSourcePixels;
    BmpImage image;
    const int result = ReadBmpFile(image, File(row).c_str());
    EXPECT_EQ(result, expected ? 1 : 0) << row.path;
    if (result == 1) {
      EXPECT_EQ(image.Width(), row.width) << row.path;
      EXPECT_EQ(image.Height(), row.height) << row.path;
    } else {
      EXPECT_EQ(image.Width() * image.Height(), 1) << row.path;
    }
  }
}

TEST_F(Corpus, AcceptedFilesSurviveAWriteAt24Bits) {
  TempDir dir;
  const std::string out = dir.File("copy.bmp");
  for (const IndexRow& row : rows_) {
    BmpImage image;
    if (ReadBmpFile(image, File(row).c_str()) != 1) continue;
    ASSERT_EQ(image.SetDepth(24), 1);
    ASSERT_EQ(WriteBmpFile(image, out.c_str()), 1) << row.path;
    BmpImage back;
    ASSERT_EQ(ReadBmpFile(back, out.c_str()), 1) << row.path;
    ASSERT_EQ(back.Width(), image.Width()) << row.path;
    ASSERT_EQ(back.Height(), image.Height()) << row.path;
    int mismatches = 0;
    for (std::int32_t y = 0; y < image.Height(); ++y) {
      for (std::int32_t x = 0; x < image.Width(); ++x) {
        PixelBGRA want = image.PixelAt(x, y);
        want.alpha = 0;
        if (back.PixelAt(x, y) != want && ++mismatches == 1)
          ADD_FAILURE() << row.path << " differs at " << x << "," << y;
      }
    }
  }
}

TEST_F(Corpus, PixelsWorkedOutFromTheFileBytes) {
  // g/rgb24.bmp: 127 x 64, rows of 384 bytes from offset 54, bottom row first.
  // g/pal8.bmp: bfOffBits 1062, so 252 entries and the pixel data right after them.
  const std::tuple<const char*, std::int32_t, std::int32_t, PixelBGRA> known[] = {
      {"g/rgb24.bmp", 0, 63, {0, 0, 0, 0}},  {"g/rgb24.bmp", 1, 63, {8, 8, 0, 0}},
      {"g/rgb24.bmp", 0, 0, {0, 0, 255, 0}}, {"g/rgb24.bmp", 100, 0, {0xA3, 0x9F, 0x9F, 0}},
      {"g/pal8.bmp", 0, 63, {0, 0, 0, 0}},   {"g/pal8.bmp", 3, 63, {0x00, 0x2B, 0x00, 0}},
      {"g/pal8.bmp", 0, 0, {0, 0, 255, 0}},  {"g/pal8.bmp", 6, 0, {0x33, 0x2B, 0xFF, 0}}};
  for (const auto& [path, x, y, expected] : known) {
    BmpImage image;
    ASSERT_EQ(ReadBmpFile(image, (folder_ + "/" + path).c_str()), 1) << path;
    EXPECT_EQ(image.PixelAt(x, y), expected) << path << " at " << x << "," << y;
  }
}

}  // namespace
