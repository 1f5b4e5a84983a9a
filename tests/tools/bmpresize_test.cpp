// The command-line tool, run through the shell as a user would run it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "bmpfile/bmp_writer.h"
#include "support/temp_dir.h"

namespace {

struct Outcome {
  int exit = -1;
  std::string out, err;
};

// Our scratch paths hold no single quote, so quoting each argument is enough.
std::string Quote(const std::string& s) { return "'" + s + "'"; }

Outcome RunTool(const TempDir& dir, const std::string& arguments) {
  const std::string out = dir.File("stdout.txt"), err = dir.File("stderr.txt");
  const std::string command = Quote(BMPRESIZE_TOOL) + " " + arguments + " >" + Quote(out) + " 2>" + Quote(err);
  const int status = std::system(command.c_str());
  Outcome run;
  if (WIFEXITED(status)) run.exit = WEXITSTATUS(status);
  const auto o = ReadFileBytes(out), e = ReadFileBytes(err);
  run.out.assign(o.begin(), o.end());
  run.err.assign(e.begin(), e.end());
  return run;
}

void WriteSource(const std::string& path) {
  BmpImage image;
  ASSERT_EQ(image.SetSize(6, 4), 1);
  ASSERT_EQ(WriteBmpFile(image, path.c_str()), 1);
}

TEST(BmpresizeTool, ResizesAndSaysNothing) {
  TempDir dir;
  WriteSource(dir.File("in.bmp"));
  const Outcome run = RunTool(dir, Quote(dir.File("in.bmp")) + " " + Quote(dir.File("out.bmp")) + " 50");
  EXPECT_EQ(run.exit, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "");
  EXPECT_TRUE(FileExists(dir.File("out.bmp")));
}

TEST(BmpresizeTool, FailureIsOneLineNamingTheFile) {
  struct Case {
    const char* what;
    std::string source, destination, percent;
    bool namesSource;
  };
  TempDir dir;
  WriteSource(dir.File("in.bmp"));
  WriteFileBytes(dir.File("empty.bmp"), {});
  const std::string in = dir.File("in.bmp"), out = dir.File("out.bmp");
  const Case cases[] = {
      {"missing source", dir.File("missing.bmp"), out, "100", true},
      {"highest percent accepted", dir.File("missing.bmp"), out, "2147483647", true},
      {"lowest percent accepted", dir.File("missing.bmp"), out, "-2147483648", true},
      {"unreadable source", dir.File("empty.bmp"), out, "100", true},
      {"source name not UTF-8", dir.File("\xFF.bmp"), out, "100", true},
      {"missing folder", in, dir.File("no/out.bmp"), "100", false},
      {"too large", in, out, "2147483647", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Outcome run = RunTool(dir, Quote(c.source) + " " + Quote(c.destination) + " " + Quote(c.percent));
    EXPECT_EQ(run.exit, 1);
    ASSERT_FALSE(run.err.empty());
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    EXPECT_NE(run.err.find(c.namesSource ? c.source : c.destination), std::string::npos) << run.err;
    EXPECT_FALSE(FileExists(out));
  }
}

TEST(BmpresizeTool, UsageErrorsExitTwo) {
  TempDir dir;
  WriteSource(dir.File("in.bmp"));
  const std::string files = Quote(dir.File("in.bmp")) + " " + Quote(dir.File("out.bmp")) + " ";
  const std::string cases[] = {
      "",
      files.substr(0, files.find(' ')),
      files,
      files + "50 extra",
      files + "abc",
      files + "12x",
      files + "''",
      files + "' '",
      files + "' 12'",
      files + "-",
      files + "1.5",
      files + "2147483648",
      files + "-2147483649",
      files + "99999999999999999999",
      "--help extra",
  };
  for (const std::string& arguments : cases) {
    SCOPED_TRACE(arguments);
    const Outcome run = RunTool(dir, arguments);
    EXPECT_EQ(run.exit, 2);
    EXPECT_NE(run.err.find("usage: bmpresize"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(FileExists(dir.File("out.bmp")));
  }
}

TEST(BmpresizeTool, VersionAndHelp) {
  TempDir dir;
  Outcome run = RunTool(dir, "--version");
  EXPECT_EQ(run.exit, 0);
  EXPECT_EQ(run.out, "bmpresize 1.0.0.1\n");
  run = RunTool(dir, "--help");
  EXPECT_EQ(run.exit, 0);
  EXPECT_EQ(run.out.rfind("usage: bmpresize SOURCE DESTINATION PERCENT\n", 0), 0u) << run.out;
  EXPECT_EQ(run.err, "");
}

}  // namespace
