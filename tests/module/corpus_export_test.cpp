// SPDX-License-Identifier: MIT
// The export over two folders of BMP files with recorded expectations:
//   BMPRESIZE_REALWORLD_DIR  files written by other programs (and a few made
//                            by hand): INDEX.tsv gives the result at 100 % and
//                            the SHA-256 of the destination at 100 % and 50 %
//                            (result_100_e5e6, sha256_100_e5e6, sha256_50_e5e6)
//   BMPRESIZE_CORPUS_DIR     the public BMP test suite: INDEX.tsv says which
//                            files are read (supported_e5e6) and the SHA-256 of
//                            the destination at 100 % (sha256_100_e5e6)
// The columns are those of the reader that takes 2-bit files and top-down
// run-length files.
// Each test is skipped, saying why, when its folder is not there.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "bmpresizescale.h"
#include "support/sha256.h"
#include "support/temp_dir.h"
#include "support/export_call.h"

namespace {

using Row = std::map<std::string, std::string>;

// The rows of folder/INDEX.tsv by column name; empty when there is none.
std::vector<Row> LoadIndex(const std::string& folder) {
  std::ifstream in(folder + "/INDEX.tsv");
  std::vector<Row> rows;
  std::string line;
  if (!std::getline(in, line)) return rows;
  auto split = [](const std::string& text) {
    std::vector<std::string> cols;
    std::istringstream fields(text);
    for (std::string col; std::getline(fields, col, '\t');) cols.push_back(col);
    if (!text.empty() && text.back() == '\t') cols.emplace_back();
    return cols;
  };
  const std::vector<std::string> names = split(line);
  while (std::getline(in, line)) {
    const std::vector<std::string> cols = split(line);
    Row row;
    for (std::size_t i = 0; i < names.size() && i < cols.size(); ++i) row[names[i]] = cols[i];
    rows.push_back(row);
  }
  return rows;
}

std::string Folder(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr ? value : "";
}

// The export's result, and the destination's SHA-256 when it wrote one.
struct Outcome {
  std::int32_t result;
  std::string sha256;
};

Outcome Resize(const std::string& source, const TempDir& dir, std::int32_t percent) {
  const std::string destination = dir.File("out-" + std::to_string(percent) + ".bmp");
  std::remove(destination.c_str());
  const std::int32_t result = CallExport(source, destination, percent);
  return {result, FileExists(destination) ? Sha256Hex(ReadFileBytes(destination)) : ""};
}

TEST(Sha256, KnownDigests) {
  // Lengths around the one- and two-block padding boundaries.
  const std::pair<std::string, const char*> cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
      {std::string(1000, 'a'), "41edece42d63e8d9bf515a9ba6932e1c20cbc9f5a5d134645adb5db1b9737ea3"}};
  for (const auto& [text, digest] : cases)
    EXPECT_EQ(Sha256Hex(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), digest) << text.size();
}

TEST(RealWorldFiles, ExportGivesTheRecordedResultAndBytes) {
  const std::string folder = Folder("BMPRESIZE_REALWORLD_DIR");
  const std::vector<Row> rows = LoadIndex(folder);
  if (rows.empty())
    GTEST_SKIP() << "no real-world BMP corpus: set the CMake option BMPRESIZE_REALWORLD_DIR to its folder ("
                 << (folder.empty() ? "unset" : folder) << ")";
  TempDir dir;
  int checked = 0;
  for (const Row& row : rows) {
    const std::string& path = row.at("path");
    SCOPED_TRACE(path + " (" + row.at("made_by") + ")");
    const Outcome full = Resize(folder + "/" + path, dir, 100);
    EXPECT_EQ(full.result, std::stoi(row.at("result_100_e5e6")));
    EXPECT_EQ(full.sha256, row.at("sha256_100_e5e6"));
    if (full.result != BMPRESIZE_OK) continue;
    const Outcome half = Resize(folder + "/" + path, dir, 50);
    EXPECT_EQ(half.result, BMPRESIZE_OK);
    EXPECT_EQ(half.sha256, row.at("sha256_50_e5e6"));
    ++checked;
  }
  EXPECT_GT(checked, 0);
}

TEST(BmpSuiteFiles, ExportReadsExactlyTheFilesTheRulesTakeWithTheRecordedBytes) {
  const std::string folder = Folder("BMPRESIZE_CORPUS_DIR");
  const std::vector<Row> rows = LoadIndex(folder);
  if (rows.empty())
    GTEST_SKIP() << "no BMP test suite: set the CMake option BMPRESIZE_CORPUS_DIR to its folder ("
                 << (folder.empty() ? "unset" : folder) << ")";
  if (rows.front().count("supported_e5e6") == 0) GTEST_SKIP() << "the suite's INDEX.tsv has no supported_e5e6";
  TempDir dir;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.at("path"));
    const Outcome full = Resize(folder + "/" + row.at("path"), dir, 100);
    if (row.at("supported_e5e6") == "yes") {
      EXPECT_EQ(full.result, BMPRESIZE_OK);
      EXPECT_EQ(full.sha256, row.at("sha256_100_e5e6"));
    } else {
      EXPECT_EQ(full.result, BMPRESIZE_SOURCE_UNREADABLE);
      EXPECT_EQ(full.sha256, "");
    }
  }
}

}  // namespace
