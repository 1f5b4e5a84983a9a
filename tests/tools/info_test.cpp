// SPDX-License-Identifier: MIT
// bmpresize --info and --json: the JSON text, and the tool's reports over
// built files and the test suite, whose index says what each holds.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "info_report.h"
#include "json_text.h"
#include "support/bmp_bytes.h"
#include "support/temp_dir.h"

namespace {

TEST(InfoReport, JsonStringsAreValidJsonForAnyBytes) {
  struct Case {
    std::string text, json;
  };
  const Case cases[] = {
      {"", "\"\""},
      {"plain/path.bmp", "\"plain/path.bmp\""},
      {"say \"hi\"", "\"say \\\"hi\\\"\""},
      {"a\\b", "\"a\\\\b\""},
      {"line\nbreak\ttab\rcr", "\"line\\nbreak\\ttab\\rcr\""},
      {std::string("nul\0one\x01\x1f", 9), "\"nul\\u0000one\\u0001\\u001f\""},
      {"\x7f", "\"\x7f\""},
      {"caf\xC3\xA9 \xE7\x94\xBB \xF0\x9F\x98\x80", "\"caf\xC3\xA9 \xE7\x94\xBB \xF0\x9F\x98\x80\""},
      {"latin1 \xE9.bmp", "\"latin1 \\ufffd.bmp\""},
      {"\xFF\xFE", "\"\\ufffd\\ufffd\""},
      {"overlong \xC0\x80", "\"overlong \\ufffd\\ufffd\""},
      {"surrogate \xED\xA0\x80", "\"surrogate \\ufffd\\ufffd\\ufffd\""},
      {"cut \xE2\x82", "\"cut \\ufffd\\ufffd\""},
      {"beyond \xF4\x90\x80\x80", "\"beyond \\ufffd\\ufffd\\ufffd\\ufffd\""},
      {"last \xF4\x8F\xBF\xBF", "\"last \xF4\x8F\xBF\xBF\""},
  };
  for (const Case& c : cases) EXPECT_EQ(JsonString(c.text), c.json) << c.text;
}

TEST(InfoReport, DotsPerInchRoundToNearest) {
  const std::pair<std::int32_t, long long> cases[] = {{3780, 96}, {2835, 72}, {11811, 300}, {0, 0},
                                                      {19, 0},    {20, 1},    {-3780, -96}, {2147483647, 54546085}};
  for (const auto& [ppm, dpi] : cases) EXPECT_EQ(DotsPerInch(ppm), dpi) << ppm;
}

struct Outcome {
  int exit = -1;
  std::string out, err;
};

std::string Quote(const std::string& s) { return "'" + s + "'"; }

Outcome RunTool(const TempDir& dir, const std::string& arguments) {
  const std::string out = dir.File("stdout.txt"), err = dir.File("stderr.txt");
  const int status =
      std::system((Quote(BMPRESIZE_TOOL) + " " + arguments + " >" + Quote(out) + " 2>" + Quote(err)).c_str());
  Outcome run;
  if (WIFEXITED(status)) run.exit = WEXITSTATUS(status);
  const auto o = ReadFileBytes(out), e = ReadFileBytes(err);
  run.out.assign(o.begin(), o.end());
  run.err.assign(e.begin(), e.end());
  return run;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(InfoReport, ToolTellsWarningsAndRefusalsAndWritesNothing) {
  TempDir dir;
  WriteFileBytes(dir.File("short.bmp"), BmpBytes().Headers(4, 4, 24, 54).Zeros(2 * 12 + 5).data());
  WriteFileBytes(dir.File("white.bmp"), BmpBytes().Headers(2, 2, 8, 54).Zeros(8).data());
  WriteFileBytes(dir.File("deep.bmp"), BmpBytes().Headers(5, 7, 30, 54).Zeros(8).data());
  WriteFileBytes(dir.File("whole.bmp"), BmpBytes().Headers(1, 1, 24, 54, 0, 3780, 11811).Zeros(4).data());
  struct Case {
    std::string arguments;
    int exit;
    std::vector<std::string> said;  // in the output, in this order
  };
  const std::string shortFile = Quote(dir.File("short.bmp")), deep = Quote(dir.File("deep.bmp"));
  const std::string white = Quote(dir.File("white.bmp")), whole = Quote(dir.File("whole.bmp"));
  const Case cases[] = {
      {"--info " + whole,
       0,
       {":\n  size          1 x 1 pixels, bottom-up\n  depth         24 bits per pixel\n", "(96 x 300 dpi)",
        "file size     58 bytes\n\n"}},
      {"--info " + shortFile, 0, {"4 x 4 pixels", "  warning: cut short: only the bottom 2 of its 4 rows"}},
      {"--info --strict " + shortFile, 1, {"  refused: is cut short", "(--strict)"}},
      {"--info " + white, 0, {"  warning: has no colour table: every pixel is white"}},
      {"--info " + deep + " " + whole,
       1,
       {"deep.bmp:\n  size          5 x 7 pixels", "30 bits per pixel", "refused: a depth of 30", "whole.bmp:"}},
      {"--json " + whole + " " + shortFile,
       0,
       {"{\"path\":",
        "whole.bmp\",\"width\":1,\"height\":1,\"depth\":24,\"compression\":0,\"header_size\":40,"
        "\"top_down\":false,\"colours\":0,\"masks\":null,\"data_offset\":54,\"file_size\":58,\"needed_size\":4,"
        "\"x_ppm\":3780,\"y_ppm\":11811,\"warnings\":[],\"error\":null}\n",
        "short.bmp\"", "\"warnings\":[\"cut short: only the bottom 2 of its 4 rows", "\"error\":null}\n"}},
      {"--json --strict " + shortFile, 1, {"\"warnings\":[],\"error\":\"is cut short"}},
      {"--json " + deep, 1, {"\"width\":5,\"height\":7,\"depth\":30,", "\"error\":\"a depth of 30 bits"}},
      {"--json - < " + shortFile, 0, {"{\"path\":\"-\",\"width\":4,", "\"file_size\":-1,"}},
      {"--info --memory-limit 1K -- " + Quote(dir.File("none.bmp")), 1, {"none.bmp:\n  refused: cannot be opened"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const Outcome run = RunTool(dir, c.arguments);
    EXPECT_EQ(run.exit, c.exit);
    EXPECT_EQ(run.err, "");
    std::size_t at = 0;
    for (const std::string& words : c.said) {
      const std::size_t found = run.out.find(words, at);
      EXPECT_NE(found, std::string::npos) << "no \"" << words << "\" in\n" << run.out;
      if (found != std::string::npos) at = found + words.size();
    }
  }
  // Nothing was written beside the sources.
  EXPECT_EQ(std::system(("test $(ls -A " + Quote(dir.path()) + " | wc -l) -eq 6").c_str()), 0);
}

// The test suite's index: one line a file in the order given, the picture's
// size where the index reads it, and an error exactly where the reader
// refuses the file.
TEST(InfoReport, JsonOverTheTestSuiteAsItsIndexSays) {
  const char* folder = std::getenv("BMPRESIZE_CORPUS_DIR");
  if (folder == nullptr || *folder == '\0') GTEST_SKIP() << "no BMP corpus (BMPRESIZE_CORPUS_DIR)";
  std::ifstream index(std::string(folder) + "/INDEX.tsv");
  std::string line, arguments;
  std::getline(index, line);
  std::vector<std::vector<std::string>> rows;
  while (std::getline(index, line)) {
    std::vector<std::string> cols;
    std::istringstream fields(line);
    for (std::string col; std::getline(fields, col, '\t');) cols.push_back(col);
    rows.push_back(cols);
    arguments += " " + Quote(std::string(folder) + "/" + cols[0]);
  }
  TempDir dir;
  const Outcome run = RunTool(dir, "--json" + arguments);
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), rows.size());
  bool anyRefused = false;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::vector<std::string>& cols = rows[i];
    SCOPED_TRACE(cols[0]);
    const std::string& json = lines[i];
    EXPECT_NE(json.find(cols[0] + "\",\"width\":"), std::string::npos) << json;
    const bool taken = cols[12] == "yes";
    anyRefused |= !taken;
    EXPECT_EQ(json.find("\"error\":null}") != std::string::npos, taken) << json;
    if (cols[3] == "12" || json.find("\"header_size\":0,") != std::string::npos) continue;
    const std::string size = "\"width\":" + cols[4] + ",\"height\":" + std::to_string(std::llabs(std::stoll(cols[5]))) +
                             ",\"depth\":" + cols[6] + ",\"compression\":" + cols[7] + ",";
    EXPECT_NE(json.find(size), std::string::npos) << json;
    EXPECT_NE(json.find("\"file_size\":" + cols[1] + ","), std::string::npos) << json;
  }
  EXPECT_EQ(run.exit, anyRefused ? 1 : 0);
}

}  // namespace
