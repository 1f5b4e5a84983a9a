// SPDX-License-Identifier: MIT
// The command-line tool, run through the shell as a user would run it.
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "bmpresize.h"
#include "command_line.h"
#include "info_report.h"
#include "json_text.h"
#include "reference/write_bmp_file.h"
#include "support/bmp_bytes.h"
#include "support/sha256.h"
#include "support/temp_dir.h"
#include "visible_text.h"

using namespace bmpresize;

namespace {

struct Outcome {
  int exit = -1;
  std::string out, err;
};

// Our scratch paths hold no single quote, so quoting each argument is enough.
std::string Quote(const std::string& s) { return "'" + s + "'"; }

// Runs the tool with arguments (shell words, redirections allowed) and
// collects what it said.
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

void WriteSource(const std::string& path, std::int32_t width = 6, std::int32_t height = 4, std::int32_t depth = 24) {
  BmpImage image;
  ASSERT_EQ(image.SetDepth(depth), 1);
  ASSERT_EQ(image.SetSize(width, height), 1);
  for (std::int32_t y = 0; y < height; ++y)
    for (std::int32_t x = 0; x < width; ++x)
      image.Row(y)[x] = {static_cast<std::uint8_t>(x * 40), static_cast<std::uint8_t>(y * 60),
                         static_cast<std::uint8_t>(x * y * 7), static_cast<std::uint8_t>(depth == 32 ? x * 9 : 0)};
  ASSERT_EQ(WriteBmpFile(image, path.c_str()), 1);
}

std::vector<std::uint8_t> Text(const std::string& s) { return {s.begin(), s.end()}; }

TEST(BmpresizeTool, ResizesAndSaysNothing) {
  TempDir dir;
  WriteSource(dir.File("in.bmp"));
  const Outcome run = RunTool(dir, Quote(dir.File("in.bmp")) + " " + Quote(dir.File("out.bmp")) + " 50");
  EXPECT_EQ(run.exit, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "");
  EXPECT_TRUE(FileExists(dir.File("out.bmp")));
}

// One line per failure, naming the file the problem lies with and saying
// what sets this failure apart from the others.
TEST(BmpresizeTool, EachFailureSaysWhy) {
  TempDir dir;
  const std::string in = dir.File("in.bmp"), out = dir.File("out.bmp"), wide = dir.File("wide.bmp");
  WriteSource(in);
  WriteSource(wide, 200, 1);
  const auto file = [&](const std::string& name, const std::vector<std::uint8_t>& bytes) {
    WriteFileBytes(dir.File(name), bytes);
    return dir.File(name);
  };
  const std::vector<std::uint8_t> pad(16, 0);
  ASSERT_EQ(std::system(("mkfifo " + Quote(dir.File("fifo"))).c_str()), 0);
  struct Case {
    const char* what;
    std::string source, destination, percent;
    std::string named;  // the file the line must name
    std::string words;
    std::string arguments = {};  // when set, the whole command line instead of the three above
  };
  const Case cases[] = {
      {"missing source", dir.File("missing.bmp"), out, "50", dir.File("missing.bmp"), "No such file or directory"},
      {"missing source whose name holds control bytes", dir.File("m\x1b[2J\nbmpresize: m.bmp: resized\x7f"), out, "50",
       dir.File("m\\x1b[2J\\nbmpresize: m.bmp: resized\\x7f"), ": cannot be opened: No such file"},
      {"folder as source", dir.path(), out, "50", dir.path(), "Is a directory"},
      {"named pipe as source", dir.File("fifo"), out, "50", dir.File("fifo"),
       ": is a named pipe, not a file: give '-' and redirect it\n"},
      {"empty path as source", "", out, "50", "(an empty path)", ": cannot be opened: No such file or directory\n"},
      {"PNG", file("p.png", Text("\x89PNG\r\n\x1a\n....")), out, "50", dir.File("p.png"), "PNG image"},
      {"JPEG", file("j.jpg", Text("\xFF\xD8\xFF\xE0..JFIF")), out, "50", dir.File("j.jpg"), "JPEG image"},
      {"GIF", file("g.gif", Text("GIF87a......")), out, "50", dir.File("g.gif"), "GIF image"},
      {"TIFF, little-endian", file("i.tif", Text(std::string("II*\0....", 8))), out, "50", dir.File("i.tif"),
       "TIFF image"},
      {"TIFF, big-endian", file("m.tif", Text(std::string("MM\0*....", 8))), out, "50", dir.File("m.tif"),
       "TIFF image"},
      {"WebP", file("w.webp", Text(std::string("RIFF\x10\0\0\0WEBPVP8 ", 16))), out, "50", dir.File("w.webp"),
       "WebP image"},
      {"text", file("t.txt", Text("hello, world\n")), out, "50", dir.File("t.txt"), "68 65 6C 6C"},
      {"empty", file("e.bmp", {}), out, "50", dir.File("e.bmp"), "empty"},
      {"one byte", file("x", Text("x")), out, "50", dir.File("x"), ": is not a BMP file (1 byte long)\n"},
      {"one byte of the signature", file("b", Text("B")), out, "50", dir.File("b"), "(1 byte long)"},
      {"two bytes of the signature", file("bm", Text("BM")), out, "50", dir.File("bm"), "ends at byte 2"},
      {"headers cut short", file("s.bmp", Text("BM......")), out, "50", dir.File("s.bmp"), "ends at byte 8"},
      {"compression", file("c.bmp", BmpBytes().Headers(4, 4, 24, 54, 5).Bytes(pad).data()), out, "50",
       dir.File("c.bmp"), "compression 5 (PNG) is not supported"},
      {"bit fields at 24 bits", file("f.bmp", BmpBytes().Headers(4, 4, 24, 54, 3).Bytes(pad).data()), out, "50",
       dir.File("f.bmp"), "compression 3 (BITFIELDS) is supported only at 16 and 32 bits per pixel"},
      {"2 bits run-length encoded", file("r2.bmp", BmpBytes().Headers(4, 4, 2, 70, 1).Bytes(pad).data()), out, "50",
       dir.File("r2.bmp"), "compression 1 (RLE8) is supported only at 8 bits per pixel"},
      {"2 bits with bit fields", file("f2.bmp", BmpBytes().Headers(4, 4, 2, 70, 3).Bytes(pad).data()), out, "50",
       dir.File("f2.bmp"), "compression 3 (BITFIELDS) is supported only at 16 and 32 bits per pixel"},
      {"2 bits in an OS/2 1.x header",
       file("o2.bmp",
            BmpBytes().U16(0x4D42).U32(0).U32(0).U32(38).U32(12).U16(4).U16(4).U16(1).U16(2).Bytes(pad).data()),
       out, "50", dir.File("o2.bmp"), "a depth of 2 bits per pixel is not supported in a 12-byte OS/2 header"},
      {"depth", file("d.bmp", BmpBytes().Headers(4, 4, 7, 54).Bytes(pad).data()), out, "50", dir.File("d.bmp"),
       "depth of 7 bits"},
      {"width 0", file("w0.bmp", BmpBytes().Headers(0, 4, 24, 54).data()), out, "50", dir.File("w0.bmp"), "width 0"},
      {"too wide", file("ww.bmp", BmpBytes().Headers(16777217, 1, 24, 54).data()), out, "50", dir.File("ww.bmp"),
       "16777217 pixels wide"},
      {"height 0", file("h0.bmp", BmpBytes().Headers(4, 0, 24, 54).data()), out, "50", dir.File("h0.bmp"), "height 0"},
      {"too many pixels", file("n.bmp", BmpBytes().Headers(16777216, 128, 24, 54).data()), out, "50", dir.File("n.bmp"),
       "2147483648 pixels"},
      {"missing folder", in, dir.File("no/out.bmp"), "50", dir.File("no/out.bmp"), "No such file or directory"},
      {"folder as destination", in, dir.path(), "50", dir.path(), "Is a directory"},
      {"destination name over 255 bytes", in, dir.File(std::string(256, 'n')), "50", dir.File(std::string(256, 'n')),
       ": name too long (256 bytes; a file name may have at most 255)\n"},
      {"side too large", wide, out, "2147483647", wide, "would pass 2147483647 pixels"},
      {"file too large", in, out, "1000000", in, "4 GiB"},
      {"memory limit", "", "", "", in, "more than the memory limit of 1 KiB (--memory-limit)\n",
       "--memory-limit 1K " + Quote(in) + " " + Quote(out) + " 50"},
      {"memory limit, lower case after '='", "", "", "", in, "more than the memory limit of 2 KiB (--memory-limit)\n",
       "--memory-limit=2k " + Quote(in) + " " + Quote(out) + " 50"},
      {"missing output folder", "", "", "", dir.File("nodir"),
       ": cannot be the output folder (-o): No such file or directory\n",
       Quote(in) + " -o " + Quote(dir.File("nodir")) + " -p 50"},
      {"file as output folder", "", "", "", in, ": cannot be the output folder (-o): it is not a folder\n",
       Quote(wide) + " -o " + Quote(in) + " -p 50"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Outcome run = RunTool(
        dir, c.arguments.empty() ? Quote(c.source) + " " + Quote(c.destination) + " " + Quote(c.percent) : c.arguments);
    EXPECT_EQ(run.exit, 1);
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    EXPECT_EQ(run.err.rfind("bmpresize: " + c.named + ": ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(c.words), std::string::npos) << run.err;
    EXPECT_FALSE(FileExists(out));
  }
}

// The size and resolution options, single and in a batch, as the headers
// written show them; a size that a percent also gives writes its bytes.
TEST(BmpresizeTool, SizeAndResolutionOptions) {
  TempDir dir;
  ASSERT_EQ(std::system(("mkdir " + Quote(dir.File("out"))).c_str()), 0);
  const std::string in = dir.File("in.bmp");
  BmpBytes source;
  source.Headers(6, 4, 24, 54, 0, 1234, 5678);
  for (int i = 0; i < 80; ++i) source.U8(static_cast<std::uint32_t>(i * 13));
  WriteFileBytes(in, source.data());
  const std::string single = Quote(in) + " " + Quote(dir.File("out.bmp")) + " ";
  const std::string batch = Quote(in) + " -q -o " + Quote(dir.File("out")) + " ";
  const struct {
    std::string arguments, written;
    std::uint32_t width, height, xPpm, yPpm;
  } cases[] = {
      {single + "50", "out.bmp", 3, 2, 3780, 3780},
      {single + "50%", "out.bmp", 3, 2, 3780, 3780},
      {single + "--width 3", "out.bmp", 3, 2, 3780, 3780},
      {"--height=2 " + single, "out.bmp", 3, 2, 3780, 3780},
      {single + "--width 5", "out.bmp", 5, 3, 3780, 3780},  // 3.33
      {single + "--width 9", "out.bmp", 9, 6, 3780, 3780},
      {single + "--width 9 --no-enlarge", "out.bmp", 6, 4, 3780, 3780},
      {single + "--width 2 --height 7", "out.bmp", 2, 7, 3780, 3780},
      {single + "--size 2x7", "out.bmp", 2, 7, 3780, 3780},
      {single + "--fit 100x10", "out.bmp", 15, 10, 3780, 3780},
      {single + "--fit=100x10 --no-enlarge", "out.bmp", 6, 4, 3780, 3780},
      {single + "200 --no-enlarge", "out.bmp", 6, 4, 3780, 3780},
      {single + "50 --dpi 300", "out.bmp", 3, 2, 11811, 11811},
      {single + "50 --dpi=72,300", "out.bmp", 3, 2, 2835, 11811},
      {single + "--keep-resolution --width 3", "out.bmp", 3, 2, 1234, 5678},
      {batch + "--width 3 --dpi 96", "out/in.bmp", 3, 2, 3780, 3780},
      {batch + "--fit 3x3 --keep-resolution", "out/in.bmp", 3, 2, 1234, 5678},
      {batch + "-p 50%", "out/in.bmp", 3, 2, 3780, 3780},
      // --resize as ImageMagick reads it; --cover exactly the box.
      {single + "--resize 3x", "out.bmp", 3, 2, 3780, 3780},
      {single + "--resize=50%", "out.bmp", 3, 2, 3780, 3780},
      {single + "--resize 6@", "out.bmp", 3, 2, 3780, 3780},
      {single + "--resize 100x10", "out.bmp", 15, 10, 3780, 3780},
      {single + "--resize '9x9>'", "out.bmp", 6, 4, 3780, 3780},
      {single + "--resize '3x3^'", "out.bmp", 5, 3, 3780, 3780},
      {single + "--resize 4x --filter area --depth 8 --dpi 300", "out.bmp", 4, 3, 11811, 11811},
      {"--region 0,0,4,4 " + single + "--resize 2x", "out.bmp", 2, 2, 3780, 3780},
      {single + "--cover 3x3", "out.bmp", 3, 3, 3780, 3780},
      {batch + "--resize 3x", "out/in.bmp", 3, 2, 3780, 3780},
      {batch + "--name '%s_%%.bmp' --cover 2x1", "out/in_%.bmp", 2, 1, 3780, 3780},
      {Quote(in) + " -q --name 'tn_%s.bmp' --cover=3x3", "tn_in.bmp", 3, 3, 3780, 3780},
  };
  std::vector<std::uint8_t> half;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    const Outcome run = RunTool(dir, c.arguments);
    EXPECT_EQ(run.exit, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::vector<std::uint8_t> out = ReadFileBytes(dir.File(c.written));
    ASSERT_GE(out.size(), 54u);
    EXPECT_EQ(LE32(out, 18), c.width);
    EXPECT_EQ(LE32(out, 22), c.height);
    EXPECT_EQ(LE32(out, 38), c.xPpm);
    EXPECT_EQ(LE32(out, 42), c.yPpm);
    if (c.width == 3 && c.height == 2 && c.xPpm == 3780) {
      if (half.empty()) half = out;
      EXPECT_EQ(out, half);
    }
  }
}

// A reader that leaves ends the tool as it ends any program writing to its
// pipe, by SIGPIPE and without a word, whether the tool writes standard output
// itself ('-') or the library writes the descriptor (/dev/stdout).
TEST(BmpresizeTool, EndsQuietlyWhenItsReaderLeaves) {
  struct sigaction now {};
  if (sigaction(SIGPIPE, nullptr, &now) != 0 || now.sa_handler == SIG_IGN) GTEST_SKIP() << "SIGPIPE is ignored here";
  TempDir dir;
  WriteSource(dir.File("in.bmp"), 300, 300);
  for (const char* destination : {"-", "/dev/stdout"}) {
    SCOPED_TRACE(destination);
    const std::string status = dir.File("status.txt"), err = dir.File("stderr.txt");
    const std::string command = "(" + Quote(BMPRESIZE_TOOL) + " " + Quote(dir.File("in.bmp")) + " " + destination +
                                " 400 2>" + Quote(err) + "; echo $? >" + Quote(status) + ") | head -c 1 >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(ReadFileBytes(status), Text(std::to_string(128 + SIGPIPE) + "\n"));
    EXPECT_EQ(ReadFileBytes(err), Text(""));
  }
}

TEST(BmpresizeTool, FullDiskSaysSo) {
  if (!FileExists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  TempDir dir;
  WriteSource(dir.File("in.bmp"));
  const Outcome run = RunTool(dir, Quote(dir.File("in.bmp")) + " /dev/full 50");
  EXPECT_EQ(run.exit, 1);
  EXPECT_NE(run.err.find("/dev/full: "), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("No space left on device"), std::string::npos) << run.err;
  // The reports of --info and --json too.
  for (const char* report : {"--info", "--json"}) {
    const std::string said = dir.File("said.txt");
    const int status = std::system(
        (Quote(BMPRESIZE_TOOL) + " " + report + " " + Quote(dir.File("in.bmp")) + " >/dev/full 2>" + Quote(said))
            .c_str());
    EXPECT_EQ(WEXITSTATUS(status), 1);
    const std::vector<std::uint8_t> words = ReadFileBytes(said);
    EXPECT_EQ(std::string(words.begin(), words.end()),
              "bmpresize: standard output: could not be written completely: No space left on device\n");
  }
}

TEST(BmpresizeTool, UsageErrorsSayWhatWasWrong) {
  TempDir dir;
  WriteSource(dir.File("in.bmp"));
  WriteSource(dir.File("other.bmp"));
  ASSERT_EQ(std::system(
                ("mkdir " + Quote(dir.File("a")) + " " + Quote(dir.File("b")) + " " + Quote(dir.File("out"))).c_str()),
            0);
  WriteSource(dir.File("a/x.bmp"));
  WriteSource(dir.File("b/x.bmp"));
  ASSERT_EQ(symlink(dir.File("out/in.bmp").c_str(), dir.File("to-out.bmp").c_str()), 0);
  ASSERT_EQ(link(dir.File("b/x.bmp").c_str(), dir.File("hard.bmp").c_str()), 0);
  const std::string in = Quote(dir.File("in.bmp")), files = in + " " + Quote(dir.File("out.bmp")) + " ";
  const std::string outDir = Quote(dir.File("out"));
  struct Case {
    std::string arguments, words;
  };
  const Case cases[] = {
      {"", "expected SOURCE DESTINATION PERCENT, got 0"},
      {in, "got 1 argument"},
      {in + " -p 50", "-p PERCENT without -o DIRECTORY"},
      {files + "extra -p 50", "-p PERCENT without -o DIRECTORY"},
      {files + "50 -p 50", "PERCENT is given twice, as 50 and as -p 50: give SOURCE DESTINATION PERCENT for one file"},
      {"-p 25 " + files + "0%", "PERCENT is given twice, as 0% and as -p 25"},
      {files + "50 extra", "-o DIRECTORY -p PERCENT"},
      {files + "abc", "PERCENT must be a whole number"},
      {files + "12x", "not \"12x\""},
      {files + "''", "PERCENT must be"},
      {files + "' 12'", "PERCENT must be"},
      {files + "-", "PERCENT must be"},
      {files + "1.5", "PERCENT must be"},
      {files + "2147483648", "from 1 to 2147483647"},
      // A percent below 1, which the library would make 1 x 1, is a mistake here.
      {files + "0", "bmpresize: PERCENT must be 1 or more\nTry"},
      {files + "-5", "bmpresize: PERCENT must be 1 or more\nTry"},
      {files + "0%", "PERCENT must be 1 or more"},
      {files + "-2147483648", "PERCENT must be 1 or more"},
      {in + " -o " + outDir + " -p 0", "PERCENT must be 1 or more"},
      {files + "50%%", "not \"50%%\""},
      {files + "%", "not \"%\""},
      // Sizes: in place of the percent, never beside it.
      {files + "50 --width 3",
       "give either PERCENT or a size (--width, --height, --size, --fit, --cover, --resize), not both"},
      {files + "50% --fit 3x3", "not both"},
      {in + " -o " + outDir + " -p 50 --height 3", "not both"},
      {"--width 3 " + in, "expected SOURCE DESTINATION with a size"},
      {"--width 3 " + files + Quote(dir.File("other.bmp")) + " x", "-o DIRECTORY"},
      {files + "--width", "--width needs a size in pixels"},
      {files + "--width 0", "--width needs pixels, a whole number from 1 to 2147483647, not \"0\""},
      {files + "--height=-3", "not \"-3\""},
      {files + "--width 2147483648", "not \"2147483648\""},
      {files + "--size 640", "--size needs WIDTHxHEIGHT in pixels"},
      {files + "--size 640x", "not \"640x\""},
      {files + "--size x480", "not \"x480\""},
      {files + "--size 640X480", "not \"640X480\""},
      {files + "--size ' 64x48'", "not \" 64x48\""},
      {files + "--fit 0x5", "--fit needs WIDTHxHEIGHT"},
      {files + "--fit=5x5x5", "not \"5x5x5\""},
      {files + "--width 3 --width 4", "--width is given twice"},
      {files + "--width 3 --size 4x4", "--size and --width both give the size"},
      {files + "--fit 3x3 --height 4", "--height and --fit both give the size"},
      {files + "--size 3x3 --fit 4x4", "--fit and --size both give the size"},
      {files + "--resize 800", "\"800\" is a bare number: give 800x for a width or 800% for a percent"},
      {files + "--resize", "--resize needs a GEOMETRY"},
      {files + "--resize 3x --width 3", "--width and --resize both give the size"},
      {files + "--cover 3x3 --resize 3x", "--resize and --cover both give the size"},
      {files + "--cover 3", "--cover needs WIDTHxHEIGHT"},
      {in + " --name 'tn_%s.bmp'", "--name TEMPLATE needs -p PERCENT or a size"},
      {"--name 'tn_%s.bmp' -p 50", "no SOURCE files given for --name"},
      {in + " --name 'tn_%d.bmp' -p 50",
       "--name takes %s (the source's name without its extension) and %% (a '%') only, not \"%d\""},
      {in + " --name 'tn_%' -p 50", "not \"%\""},
      {in + " --name 'a/%s.bmp' -p 50", "holds a folder separator"},
      {in + " --name '' -p 50", "is empty"},
      {"--info --name x.bmp " + in, "--info writes nothing: --name"},
      {in + " --name '%s.bmp' -p 50", "its result would overwrite it; choose another --name"},
      {in + " " + Quote(dir.File("other.bmp")) + " --name one.bmp -p 50", "would both be written to"},
      {files + "--widthx 3", "unknown option '--widthx'"},
      {files + "50 --dpi 0", "--dpi needs dots per inch, N or X,Y, whole numbers from 1 to 54546084, not \"0\""},
      {files + "50 --dpi 54546085", "not \"54546085\""},
      {files + "50 --dpi 300,", "not \"300,\""},
      {files + "50 --dpi 96 --dpi 72", "--dpi is given twice"},
      {files + "50 --dpi 96 --keep-resolution", "--dpi and --keep-resolution both give the resolution"},
      {"--info --width 3 " + in, "--info writes nothing: a size option has no place beside it"},
      {"--info --keep-resolution " + in, "a resolution option has no place"},
      {files + "-2147483649", "PERCENT must be"},
      {files + "99999999999999999999", "PERCENT must be"},
      {"--help extra", "--help takes no other arguments"},
      {"-h " + files + "50", "-h takes no other arguments"},
      {"--bogus " + files + "50", "unknown option '--bogus'"},
      {"-x " + files + "50", "unknown option '-x'"},
      {in + " -o", "-o needs a DIRECTORY"},
      {in + " -o " + outDir, "needs -p PERCENT"},
      {"-p 50 -o " + outDir, "no SOURCE files"},
      {in + " -o " + outDir + " -p 50 -p 60", "-p is given twice"},
      {in + " -o " + outDir + " -p 50 -j 0", "-j needs a number of jobs"},
      {in + " -o " + outDir + " -p 50 -j many", "not \"many\""},
      {"-t 0 " + files + "50", "-t needs a number of threads from 1 to 1024"},
      {"-t 2 -t2 " + files + "50", "-t is given twice"},
      {files + "50 -t", "-t needs a number of threads"},
      {files + "50 --memory-limit", "--memory-limit needs a SIZE"},
      {"--memory-limit 0 " + files + "50", "--memory-limit needs a SIZE in bytes"},
      {"--memory-limit 1.5G " + files + "50", "not \"1.5G\""},
      {"--memory-limit=1T " + files + "50", "not \"1T\""},
      {"--memory-limit= " + files + "50", "not \"\""},
      {"--memory-limit -1 " + files + "50", "not \"-1\""},
      {"--memory-limit ' 1M' " + files + "50", "not \" 1M\""},
      {"--memory-limit 1MB " + files + "50", "not \"1MB\""},
      {"--memory-limit 8589934592G " + files + "50", "not \"8589934592G\""},  // 2^63 bytes
      {"--memory-limit 1M --memory-limit=2M " + files + "50", "--memory-limit is given twice"},
      {"--memory-limitx 1M " + files + "50", "unknown option '--memory-limitx'"},
      {"--info", "--info needs at least one SOURCE"},
      {"--json --strict", "--info needs at least one SOURCE"},
      {"--info -o " + outDir + " " + in, "--info writes nothing: -o has no place"},
      {"--json -p 50 " + in, "-p has no place"},
      {"--info -t 2 " + in, "-t has no place"},
      {"--info --sync " + in, "--sync has no place"},
      {"--info --region 0,0,1,1 " + in, "--region has no place"},
      {"--json --filter area " + in, "--filter has no place"},
      {"--info --depth 8 " + in, "--depth has no place"},
      {"--grey --info " + in, "--grey has no place"},
      {"--linear --info " + in, "--linear has no place"},
      {"--info --no-enlarge " + in, "a size option has no place"},
      {"--info --dpi 300 " + in, "a resolution option has no place"},
      {files + "50 --region", "--region needs X,Y,W,H"},
      {"--region 1,2,3 " + files + "50", "--region needs X,Y,W,H, four whole numbers"},
      {"--region 1,2,3,4,5 " + files + "50", "not \"1,2,3,4,5\""},
      {"--region 0,0,0,1 " + files + "50", "not \"0,0,0,1\""},
      {"--region=0,0,1,0 " + files + "50", "not \"0,0,1,0\""},
      {"--region -1,0,1,1 " + files + "50", "not \"-1,0,1,1\""},
      {"--region 0,,1,1 " + files + "50", "not \"0,,1,1\""},
      {"--region ' 0,0,1,1' " + files + "50", "not \" 0,0,1,1\""},
      {"--region 0,0,1,+1 " + files + "50", "not \"0,0,1,+1\""},
      {"--region 0,0,1,2147483648 " + files + "50", "not \"0,0,1,2147483648\""},
      {"--region 0,0,1,1 --region=0,0,1,1 " + files + "50", "--region is given twice"},
      // Inside no picture of this size: the headers tell, and nothing is written.
      {"--region 5,0,2,1 " + files + "50",
       "--region 5,0,2,1 is not inside " + dir.File("in.bmp") + ", a picture of 6 x 4 pixels\n"},
      {"--region=0,3,1,2 " + files + "50", "--region 0,3,1,2 is not inside"},
      {files + "50 --filter", "--filter needs point, area, linear, cubic, mitchell, lanczos2 or lanczos3"},
      {"--filter box " + files + "50",
       "--filter needs point, area, linear, cubic, mitchell, lanczos2 or lanczos3, not \"box\""},
      {"--filter '\x1b[2J\r' " + files + "50",
       "bmpresize: option --filter needs point, area, linear, cubic, mitchell, lanczos2 or lanczos3, not "
       "\"\\x1b[2J\\r\"\nTry"},
      // A message longer than the buffer it is gathered in arrives whole.
      {"--filter " + std::string(3000, 'x') + " " + files + "50", "not \"" + std::string(3000, 'x') + "\"\nTry"},
      {"--filter=Area " + files + "50", "not \"Area\""},
      {"--filter area --filter=point " + files + "50", "--filter is given twice"},
      {files + "50 --depth", "--depth needs a number of bits"},
      {"--depth 2 " + files + "50", "--depth needs 1, 4, 8, 16, 24 or 32 bits, not \"2\""},
      {"--depth=08 " + files + "50", "not \"08\""},
      {"--depth= " + files + "50", "not \"\""},
      {"--depth 8 --depth=8 " + files + "50", "--depth is given twice"},
      {"--grey --depth 24 " + files + "50", "--grey writes 1, 4 or 8 bits, not --depth 24"},
      {"--linear " + files + "50", "--linear averages light with --filter area or a convolution filter, not point"},
      {"- -o " + outDir + " -p 50", "standard input"},
      {Quote(dir.File("a/x.bmp")) + " " + Quote(dir.File("b/x.bmp")) + " -o " + outDir + " -p 50",
       "would both be written to"},
      {in + " " + in + " -o " + outDir + " -p 50", "would both be written to"},
      {in + " " + Quote(dir.File("other.bmp")) + " -o " + Quote(dir.path()) + " -p 50", "would overwrite it"},
      {in + " " + Quote(dir.File("a/in.bmp")) + " -o " + Quote(dir.path()) + " -p 50", "would overwrite it"},
      // A source that is another source's result: a link to it, before or after that exists.
      {in + " " + Quote(dir.File("to-out.bmp")) + " -o " + outDir + " -p 50", "another source of this batch"},
      {Quote(dir.File("a/x.bmp")) + " " + Quote(dir.File("hard.bmp")) + " -o " + Quote(dir.File("b")) + " -p 50",
       "another source of this batch"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const Outcome run = RunTool(dir, c.arguments);
    EXPECT_EQ(run.exit, 2);
    EXPECT_NE(run.err.find(c.words), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("\nTry 'bmpresize --help'.\n"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(FileExists(dir.File("out.bmp")));
    EXPECT_FALSE(FileExists(dir.File("out/x.bmp")));
    EXPECT_FALSE(FileExists(dir.File("out/in.bmp")));
  }
  // Nothing was resized onto its source either.
  EXPECT_EQ(ReadFileBytes(dir.File("in.bmp")).size(), ReadFileBytes(dir.File("other.bmp")).size());
}

// Everything under a folder as it stands: each link's text, each file's size
// and hash.
std::map<std::string, std::string> Snapshot(const std::string& folder) {
  std::map<std::string, std::string> snapshot;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    const std::string path = entry.path().string();
    if (entry.is_symlink()) {
      snapshot[path] = "-> " + std::filesystem::read_symlink(entry.path()).string();
    } else if (entry.is_regular_file()) {
      const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
      snapshot[path] = std::to_string(bytes.size()) + " bytes, " + Sha256Hex(bytes);
    }
  }
  return snapshot;
}

// Two results that would be one file, whatever names they go by, are refused
// before anything is written: the one written second would silently replace
// the first, or, rewritten in place in a folder that takes no new file, mix
// with it. Also as an ordinary user in such a folder (root is dropped to
// nobody there, since root writes into any folder).
TEST(BmpresizeTool, BatchRefusesTwoResultsThatAreOneFile) {
  struct Case {
    const char* what;
    std::vector<std::pair<std::string, std::string>> links;  // name in out/ -> link text; "" a hard link to b.bmp
    bool oldB;                                               // out/b.bmp is there beforehand
  };
  const Case cases[] = {
      {"a symbolic link to the other result", {{"a.bmp", "b.bmp"}}, true},
      {"a symbolic link to the other result, not there yet", {{"a.bmp", "b.bmp"}}, false},
      {"a hard link to the other result", {{"a.bmp", ""}}, true},
      {"two symbolic links to one file", {{"a.bmp", "../old.bmp"}, {"b.bmp", "../old.bmp"}}, false},
      {"two dangling links to one name", {{"a.bmp", "new.bmp"}, {"b.bmp", "new.bmp"}}, false},
      {"two dangling links to one name, spelt otherwise",
       {{"a.bmp", "../new.bmp"}, {"b.bmp", "../out/../new.bmp"}},
       false},
  };
  const bool root = geteuid() == 0;
  for (const bool readOnly : {false, true}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << c.what << (readOnly ? ", read-only folder" : ""));
      TempDir dir;
      ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
      const std::string work = dir.File("w"), out = work + "/out";
      for (const std::string& folder : {work, work + "/x", work + "/y", out}) ASSERT_EQ(mkdir(folder.c_str(), 0777), 0);
      WriteSource(work + "/x/a.bmp", 30, 20);
      WriteSource(work + "/y/b.bmp", 20, 30);
      WriteSource(work + "/old.bmp", 3, 3);
      ASSERT_EQ(chmod((work + "/old.bmp").c_str(), 0666), 0);
      if (c.oldB) {
        WriteSource(out + "/b.bmp", 3, 3);
        ASSERT_EQ(chmod((out + "/b.bmp").c_str(), 0666), 0);
      }
      for (const auto& [name, text] : c.links) {
        const std::string at = out + "/" + name;
        ASSERT_EQ(text.empty() ? link((out + "/b.bmp").c_str(), at.c_str()) : symlink(text.c_str(), at.c_str()), 0);
      }
      WriteSource(work + "/x/c.bmp", 4, 4);
      const std::map<std::string, std::string> before = Snapshot(work);
      // As nobody, from a copy of the tool that nobody can reach.
      std::string tool = Quote(BMPRESIZE_TOOL);
      if (readOnly) {
        ASSERT_EQ(chmod(out.c_str(), 0555), 0);
        if (root) {
          std::filesystem::copy_file(BMPRESIZE_TOOL, dir.File("bmpresize"));
          tool = "setpriv --reuid=65534 --regid=65534 --clear-groups " + Quote(dir.File("bmpresize"));
        }
      }
      // A source between the two: the first of them is named, not the one before the second.
      const std::string a = work + "/x/a.bmp", b = work + "/y/b.bmp", between = work + "/x/c.bmp";
      const Outcome run = RunTool(dir, "--version >/dev/null; " + tool + " -j 2 -t 1 " + Quote(a) + " " +
                                           Quote(between) + " " + Quote(b) + " -o " + Quote(out) + " -p 150");
      ASSERT_EQ(chmod(out.c_str(), 0777), 0);
      EXPECT_EQ(run.exit, 2);
      EXPECT_EQ(run.err.rfind("bmpresize: " + a + " and " + b + " would both be written to one file: " + out +
                                  "/a.bmp and " + out + "/b.bmp name the same file; choose another DIRECTORY",
                              0),
                0u)
          << run.err;
      EXPECT_NE(run.err.find("; nothing was written\nTry 'bmpresize --help'.\n"), std::string::npos) << run.err;
      EXPECT_EQ(Snapshot(work), before);
    }
  }
}

// A source that a result would overwrite is refused wherever it stands in
// the batch, the first source too, and named with what would overwrite it.
TEST(BmpresizeTool, BatchRefusesASourceThatAResultWouldOverwrite) {
  TempDir dir;
  const std::string work = dir.File("w"), out = work + "/out";
  for (const std::string& folder : {work, out, work + "/y"}) ASSERT_EQ(mkdir(folder.c_str(), 0777), 0);
  WriteSource(out + "/a.bmp");
  WriteSource(work + "/y/b.bmp");
  WriteSource(work + "/c.bmp");
  ASSERT_EQ(symlink((out + "/b.bmp").c_str(), (work + "/to-b.bmp").c_str()), 0);
  const struct {
    std::vector<std::string> sources;
    std::string words;
  } cases[] = {
      {{out + "/a.bmp", work + "/c.bmp"}, out + "/a.bmp: its result would overwrite it"},
      {{work + "/c.bmp", out + "/a.bmp"}, out + "/a.bmp: its result would overwrite it"},
      {{work + "/to-b.bmp", work + "/c.bmp", work + "/y/b.bmp"},
       work + "/y/b.bmp: its result " + out + "/b.bmp would overwrite " + work +
           "/to-b.bmp, another source of this batch"},
  };
  const std::map<std::string, std::string> before = Snapshot(work);
  for (const auto& c : cases) {
    std::string arguments;
    for (const std::string& source : c.sources) arguments += Quote(source) + " ";
    SCOPED_TRACE(arguments);
    const Outcome run = RunTool(dir, arguments + "-o " + Quote(out) + " -p 50");
    EXPECT_EQ(run.exit, 2);
    EXPECT_EQ(run.err.rfind("bmpresize: " + c.words + "; choose another DIRECTORY; nothing was written\n", 0), 0u)
        << run.err;
    EXPECT_EQ(Snapshot(work), before);
  }
}

// A file refused for memory in a batch was held to its share of the limit,
// given or the default, and the sentence says so.
TEST(BmpresizeTool, BatchRefusalForMemoryNamesTheShare) {
  TempDir dir;
  ASSERT_EQ(mkdir(dir.File("out").c_str(), 0777), 0);
  // Rows of 4,194,304 pixels: 737 MiB at 400 %.
  WriteFileBytes(dir.File("a.bmp"), BmpBytes().Headers(4194304, 2, 32, 54).data());
  WriteFileBytes(dir.File("b.bmp"), BmpBytes().Headers(4194304, 2, 32, 54).data());
  const std::string files = Quote(dir.File("a.bmp")) + " " + Quote(dir.File("b.bmp")) + " -o " + Quote(dir.File("out"));
  const struct {
    std::string options;
    std::string words;
  } cases[] = {
      {"-j 2 --memory-limit 1G",
       "needs 737 MiB, more than the 512 MiB share of --memory-limit 1G for each of 2 files at once\n"},
      {"-j 2 --memory-limit 1500000",
       "needs 737 MiB, more than the 732 KiB share of --memory-limit 1500000 for each of 2 files at once\n"},
      {"-j 2",
       "needs 737 MiB, more than the 128 MiB share of the default memory limit of 256 MiB for each of 2 files at "
       "once (--memory-limit)\n"},
      {"-j 1 --memory-limit 512M", "needs 737 MiB, more than the memory limit of 512 MiB (--memory-limit)\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options);
    const Outcome run = RunTool(dir, c.options + " " + files + " -p 400");
    EXPECT_EQ(run.exit, 1);
    EXPECT_NE(run.err.find("bmpresize: " + dir.File("a.bmp") + ": resizing it " + c.words), std::string::npos)
        << run.err;
  }
}

// A batch writes what one call per file writes, reports every failure after
// a summary, and draws no progress line when standard error is a file.
TEST(BmpresizeTool, BatchMatchesSingleCalls) {
  TempDir dir;
  ASSERT_EQ(std::system(("mkdir " + Quote(dir.File("batch")) + " " + Quote(dir.File("one"))).c_str()), 0);
  const struct {
    const char* name;
    std::int32_t width, height, depth;
  } sources[] = {
      {"a.bmp", 13, 7, 24}, {"b.bmp", 5, 9, 32}, {"c.bmp", 21, 3, 8}, {"d.bmp", 1, 1, 1}, {"e.bmp", 40, 30, 4}};
  std::string arguments;
  for (const auto& s : sources) {
    WriteSource(dir.File(s.name), s.width, s.height, s.depth);
    arguments += Quote(dir.File(s.name)) + " ";
  }
  WriteFileBytes(dir.File("f.png"), Text("\x89PNG\r\n\x1a\n...."));
  arguments += Quote(dir.File("f.png")) + " " + Quote(dir.File("missing.bmp"));

  // One file at a time with the point sampler, three with the area filter.
  std::vector<std::uint8_t> pointA;
  for (const char* jobs : {"1", "3"}) {
    SCOPED_TRACE(jobs);
    const std::string filter = jobs[0] == '1' ? "" : " --filter=area";
    const Outcome run = RunTool(dir, arguments + " -o " + Quote(dir.File("batch")) + " -p 170 -j " + jobs + filter);
    EXPECT_EQ(run.exit, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.find('\r'), std::string::npos) << "progress drawn into a file: " << run.err;
    EXPECT_EQ(run.err.rfind("bmpresize: resized 5 of 7 files into ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find("2 failed:\nbmpresize: " + dir.File("f.png") + ": is not a BMP file"), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("bmpresize: " + dir.File("missing.bmp") + ": cannot be opened"), std::string::npos)
        << run.err;
    for (const auto& s : sources) {
      SCOPED_TRACE(s.name);
      const std::string single = dir.File(std::string("one/") + s.name);
      ASSERT_EQ(RunTool(dir, Quote(dir.File(s.name)) + " " + Quote(single) + " 170" + filter).exit, 0);
      const auto expected = ReadFileBytes(single);
      EXPECT_FALSE(expected.empty());
      EXPECT_EQ(ReadFileBytes(dir.File(std::string("batch/") + s.name)), expected);
      if (s.name[0] != 'a') continue;
      if (filter.empty()) {
        pointA = expected;
      } else {
        EXPECT_NE(expected, pointA) << "--filter=area gave the point sampler's bytes";
      }
    }
  }
  // Quiet: only the failures.
  const Outcome quiet = RunTool(dir, arguments + " -q -o " + Quote(dir.File("batch")) + " -p 50");
  EXPECT_EQ(quiet.exit, 1);
  EXPECT_EQ(quiet.err.rfind("bmpresize: " + dir.File("f.png") + ": ", 0), 0u) << quiet.err;
  EXPECT_EQ(std::count(quiet.err.begin(), quiet.err.end(), '\n'), 2) << quiet.err;
  // Nothing written: no speed to tell.
  const Outcome none = RunTool(dir, Quote(dir.File("f.png")) + " -o " + Quote(dir.File("batch")) + " -p 50");
  EXPECT_EQ(none.exit, 1);
  EXPECT_EQ(none.err.rfind("bmpresize: resized 0 of 1 file into ", 0), 0u) << none.err;
  EXPECT_EQ(none.err.find("MB/s"), std::string::npos) << none.err;
  // All written: exit 0 and a summary alone.
  const Outcome good = RunTool(dir, Quote(dir.File("a.bmp")) + " -o " + Quote(dir.File("batch")) + " -p 50");
  EXPECT_EQ(good.exit, 0);
  EXPECT_EQ(good.err.rfind("bmpresize: resized 1 file into ", 0), 0u) << good.err;
}

// --region resizes the rectangle alone, one file or a batch; in a batch a
// picture the region is not inside fails on its own.
TEST(BmpresizeTool, RegionResizesThatRectangle) {
  TempDir dir;
  ASSERT_EQ(std::system(("mkdir " + Quote(dir.File("batch"))).c_str()), 0);
  WriteSource(dir.File("in.bmp"));  // 6 x 4: (x * 40, y * 60, x * y * 7)
  WriteSource(dir.File("small.bmp"), 2, 2);
  BmpImage cut;
  ASSERT_EQ(cut.SetSize(3, 2), 1);
  for (std::int32_t y = 0; y < 2; ++y)
    for (std::int32_t x = 0; x < 3; ++x)
      cut.Row(y)[x] = {static_cast<std::uint8_t>((x + 2) * 40), static_cast<std::uint8_t>((y + 1) * 60),
                       static_cast<std::uint8_t>((x + 2) * (y + 1) * 7), 0};
  ASSERT_EQ(WriteBmpFile(cut, dir.File("expected.bmp").c_str()), 1);
  const std::vector<std::uint8_t> expected = ReadFileBytes(dir.File("expected.bmp"));

  const Outcome one =
      RunTool(dir, "--region 2,1,3,2 " + Quote(dir.File("in.bmp")) + " " + Quote(dir.File("out.bmp")) + " 100");
  EXPECT_EQ(one.exit, 0) << one.err;
  EXPECT_EQ(ReadFileBytes(dir.File("out.bmp")), expected);

  const Outcome batch = RunTool(dir, "-q --region=2,1,3,2 " + Quote(dir.File("in.bmp")) + " " +
                                         Quote(dir.File("small.bmp")) + " -o " + Quote(dir.File("batch")) + " -p 100");
  EXPECT_EQ(batch.exit, 1);
  EXPECT_EQ(batch.err, "bmpresize: " + dir.File("small.bmp") +
                           ": the region asked for is not inside the picture, 2 x 2 pixels (--region)\n");
  EXPECT_EQ(ReadFileBytes(dir.File("batch/in.bmp")), expected);
  EXPECT_FALSE(FileExists(dir.File("batch/small.bmp")));
}

// --depth and --grey, alone and with every other option of a resize, reach
// every file of a batch as they reach one file.
TEST(BmpresizeTool, DepthAndGreyReachEveryFile) {
  TempDir dir;
  const char* const names[] = {"a.bmp", "b.bmp"};
  WriteSource(dir.File("a.bmp"), 13, 7, 24);
  WriteSource(dir.File("b.bmp"), 5, 9, 32);
  const struct {
    const char* options;
    int bits;
    int entry1;  // the blue of table entry 1; -1: no table
    const char* size = "-p 50";
  } cases[] = {
      {"--depth 4", 4, 0},
      {"--grey", 8, 1},
      {"--depth=1 --grey", 1, 255},
      {"--depth 16", 16, -1},
      {"--depth 32", 32, -1},
      {"--depth 4 --region 1,1,4,3 --no-enlarge --filter area --dpi 300 -t 2", 4, 0, "--fit 9x2"},
      {"--grey --region=0,2,5,5 --keep-resolution --filter=point", 8, 1, "--width 9 --height 4"},
      {"--linear --filter lanczos3 --depth 24", 24, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options);
    ASSERT_EQ(std::system(("rm -rf " + Quote(dir.File("batch")) + " && mkdir " + Quote(dir.File("batch"))).c_str()), 0);
    ASSERT_EQ(RunTool(dir, std::string(c.options) + " -q -o " + Quote(dir.File("batch")) + " " + c.size + " " +
                               Quote(dir.File("a.bmp")) + " " + Quote(dir.File("b.bmp")))
                  .exit,
              0);
    for (const char* name : names) {
      const std::string single = dir.File(std::string("one-") + name);
      ASSERT_EQ(
          RunTool(dir, std::string(c.options) + " " + Quote(dir.File(name)) + " " + Quote(single) + " " + c.size).exit,
          0);
      const auto bytes = ReadFileBytes(single);
      ASSERT_GT(bytes.size(), 62u);
      EXPECT_EQ(bytes[28], c.bits);
      if (c.entry1 >= 0) {
        EXPECT_EQ(bytes[58], c.entry1);
      }
      EXPECT_EQ(ReadFileBytes(dir.File(std::string("batch/") + name)), bytes);
    }
  }
}

// On a terminal the progress line is drawn and cleared, and the summary
// follows on a line of its own (the terminal comes from script(1)).
TEST(BmpresizeTool, BatchShowsProgressOnATerminal) {
  if (std::system("script -qc true /dev/null >/dev/null 2>&1") != 0) GTEST_SKIP() << "no script(1) here";
  TempDir dir;
  ASSERT_EQ(std::system(("mkdir " + Quote(dir.File("out"))).c_str()), 0);
  WriteSource(dir.File("a.bmp"), 300, 200);
  const std::string batch =
      Quote(BMPRESIZE_TOOL) + " " + Quote(dir.File("a.bmp")) + " -o " + Quote(dir.File("out")) + " -p 50";
  const Outcome shown = RunTool(dir, "--version >/dev/null; script -qec \"" + batch + "\" /dev/null");
  EXPECT_EQ(shown.exit, 0);
  EXPECT_NE(shown.out.find("\rbmpresize: 0/1 files, --.- MB/s, --:-- left"), std::string::npos) << shown.out;
  EXPECT_NE(shown.out.find("\rbmpresize: resized 1 file into "), std::string::npos) << shown.out;
  const Outcome quiet = RunTool(dir, "--version >/dev/null; script -qec \"" + batch + " -q\" /dev/null");
  EXPECT_EQ(quiet.exit, 0);
  EXPECT_EQ(quiet.out, "");
}

// '-' streams: through two pipes, the same bytes as from file to file.
TEST(BmpresizeTool, PipeRoundTrip) {
  TempDir dir;
  const std::string in = dir.File("in.bmp");
  WriteSource(in, 33, 17, 32);
  ASSERT_EQ(RunTool(dir, Quote(in) + " " + Quote(dir.File("file.bmp")) + " 75").exit, 0);
  const std::string command =
      "cat " + Quote(in) + " | " + Quote(BMPRESIZE_TOOL) + " - - 75 | cat >" + Quote(dir.File("piped.bmp"));
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(ReadFileBytes(dir.File("piped.bmp")), ReadFileBytes(dir.File("file.bmp")));

  const Outcome notBmp = RunTool(dir, "- " + Quote(dir.File("x.bmp")) + " 50 <" + Quote(dir.File("file.bmp")) +
                                          "; printf 'GIF89a' | " + Quote(BMPRESIZE_TOOL) + " - - 50");
  EXPECT_EQ(notBmp.err, "bmpresize: standard input: is not a BMP file (it starts like a GIF image)\n");
  // A pipe cannot tell its length, but a lone byte is still no BMP file.
  const Outcome oneByte = RunTool(dir, "--version >/dev/null; printf x | " + Quote(BMPRESIZE_TOOL) + " - - 50");
  EXPECT_EQ(oneByte.err, "bmpresize: standard input: is not a BMP file (1 byte long)\n");

  // Standard output opened onto the source itself, without truncating it.
  const std::vector<std::uint8_t> before = ReadFileBytes(in);
  const std::string ontoSource =
      Quote(BMPRESIZE_TOOL) + " " + Quote(in) + " - 200 1<>" + Quote(in) + " 2>" + Quote(dir.File("err.txt"));
  const int status = std::system(ontoSource.c_str());
  EXPECT_EQ(WEXITSTATUS(status), 1);
  const std::vector<std::uint8_t> said = ReadFileBytes(dir.File("err.txt"));
  EXPECT_NE(std::string(said.begin(), said.end()).find("standard output: is the source file itself"),
            std::string::npos);
  EXPECT_EQ(ReadFileBytes(in), before);
}

// The bytes a memory refusal names ("needs 1.5 MiB", "needs at least 279
// KiB"), as a --memory-limit; "0" when it names none.
std::string NamedNeed(const std::string& said) {
  std::size_t at = said.find("needs ");
  if (at == std::string::npos) return "0";
  at += 6;
  if (said.compare(at, 9, "at least ") == 0) at += 9;
  std::int64_t tenths = 0;
  for (; at < said.size() && std::isdigit(static_cast<unsigned char>(said[at])); ++at)
    tenths = tenths * 10 + (said[at] - '0');
  tenths *= 10;
  if (said[at] == '.') {
    tenths += said[at + 1] - '0';
    at += 2;
  }
  const std::string unit = said.substr(at, 4);
  const int shift = unit == " KiB" ? 10 : unit == " MiB" ? 20 : unit == " GiB" ? 30 : 0;
  return std::to_string((tenths << shift) / 10);
}

// A memory refusal names a need that is enough: the same resize runs with
// the limit raised to it. Data held in memory counts from the first refusal:
// a top-down picture's rows from a pipe, a top-down run-length file's data.
// Run-length data from a pipe tells only the least it needs.
TEST(BmpresizeTool, AMemoryRefusalNamesANeedThatIsEnough) {
  TempDir dir;
  BmpBytes topDown;
  topDown.Headers(500, -300, 24, 54);
  for (std::size_t i = 0; i < 1500 * 300; ++i) topDown.U8(static_cast<std::uint32_t>(i * 7 % 251));
  WriteFileBytes(dir.File("top-down.bmp"), topDown.data());
  BmpBytes runLength;
  runLength.Headers(200, -50000, 8, 54 + 1024, 1).Zeros(1024);
  for (std::uint32_t row = 0; row < 50000; ++row) runLength.U8(100).U8(row % 256).U8(100).U8(7).U8(0).U8(0);
  WriteFileBytes(dir.File("run-length.bmp"), runLength.data());
  const std::string out = Quote(dir.File("out.bmp"));
  // Piped, or by name.
  for (const std::string& feed : {std::string("cat ") + Quote(dir.File("top-down.bmp")) + " | ",
                                  std::string("cat ") + Quote(dir.File("run-length.bmp")) + " | ", std::string()}) {
    const bool piped = !feed.empty();
    const std::string source = piped ? "-" : Quote(dir.File("run-length.bmp"));
    const bool atLeast = feed.find("run-length") != std::string::npos;
    SCOPED_TRACE(feed + source);
    const auto run = [&](const std::string& limit) {
      return RunTool(dir, "--version >/dev/null; " + feed + Quote(BMPRESIZE_TOOL) + " --memory-limit " + limit + " " +
                              source + " " + out + " 50");
    };
    Outcome said = run("64K");
    EXPECT_EQ(said.exit, 1);
    EXPECT_NE(said.err.find(atLeast ? "needs at least " : "needs "), std::string::npos) << said.err;
    EXPECT_EQ(said.err.find("at least") != std::string::npos, atLeast) << said.err;
    // Raised to what each refusal names: at once where it is all, else in a few steps.
    int refusals = 1;
    while (said.exit == 1 && refusals < (atLeast ? 10 : 2)) {
      said = run(NamedNeed(said.err));
      refusals += said.exit == 1;
    }
    EXPECT_EQ(said.exit, 0) << said.err;
    if (atLeast) {
      EXPECT_GT(refusals, 1);
    }
  }
}

// Paths that name a descriptor are written and read through it as the shell
// set it up: an append keeps what the file held, pipes work, and the file
// behind is never replaced.
TEST(BmpresizeTool, DescriptorPathsKeepWhatTheShellSetUp) {
  TempDir dir;
  const std::string tool = Quote(BMPRESIZE_TOOL), in = Quote(dir.File("in.bmp")), target = dir.File("target.bin");
  const std::string t = Quote(target);
  WriteSource(dir.File("in.bmp"), 9, 7);
  ASSERT_EQ(RunTool(dir, in + " " + Quote(dir.File("expected.bmp")) + " 50").exit, 0);
  const std::vector<std::uint8_t> held = Text("HELD"), picture = ReadFileBytes(dir.File("expected.bmp"));
  const auto joined = [](std::vector<std::uint8_t> all, const std::vector<std::uint8_t>& more, int times) {
    for (int i = 0; i < times; ++i) all.insert(all.end(), more.begin(), more.end());
    return all;
  };
  struct Case {
    const char* what;
    std::string command;
    int exit;
    std::vector<std::uint8_t> target;  // what the target file holds afterwards
    std::string said;
    std::vector<std::uint8_t> before = {'H', 'E', 'L', 'D'};  // and what it held first
  };
  const Case cases[] = {
      {"stdout appending", tool + " " + in + " /dev/stdout 50 >>" + t, 0, joined(held, picture, 1), ""},
      {"three runs into one redirection",
       "for i in 1 2 3; do " + tool + " " + in + " /dev/stdout 50 || exit 1; done >" + t, 0, joined({}, picture, 3),
       ""},
      {"a pipe", tool + " " + in + " /dev/stdout 50 | cat >" + t, 0, picture, ""},
      {"/dev/fd/3 appending", tool + " " + in + " /dev/fd/3 50 3>>" + t, 0, joined(held, picture, 1), ""},
      {"/dev/stdin from a pipe", "cat " + in + " | " + tool + " /dev/stdin " + t + " 50", 0, picture, ""},
      {"/dev/stdin from a file", tool + " /dev/stdin " + t + " 50 <" + in, 0, picture, ""},
      {"a descriptor not open",
       tool + " " + in + " /dev/fd/9 50 9>&-",
       1,
       {},
       "bmpresize: /dev/fd/9: cannot be created: Bad file descriptor\n"},
      {"stdout appending to the source",
       tool + " " + t + " /dev/stdout 50 >>" + t,
       1,
       {},
       "bmpresize: /dev/stdout: is the source file itself",
       ReadFileBytes(dir.File("in.bmp"))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFileBytes(target, c.before);
    const int status = std::system(("(" + c.command + ") 2>" + Quote(dir.File("err.txt"))).c_str());
    EXPECT_EQ(WEXITSTATUS(status), c.exit);
    const std::vector<std::uint8_t> said = ReadFileBytes(dir.File("err.txt"));
    EXPECT_EQ(std::string(said.begin(), said.end()).rfind(c.said, 0), 0u);
    EXPECT_EQ(ReadFileBytes(target), c.exit == 0 ? c.target : c.before);
    EXPECT_EQ(ListFolder(dir.path()),
              (std::set<std::string>{"err.txt", "expected.bmp", "in.bmp", "stderr.txt", "stdout.txt", "target.bin"}));
  }
}

// A source cut short: its missing rows white and a warning, or with --strict
// a failure with nothing written; a batch counts the warnings.
TEST(BmpresizeTool, CutShortSourceWarnsOrFailsWhenStrict) {
  TempDir dir;
  const std::string out = dir.File("out.bmp");
  WriteSource(dir.File("whole.bmp"));
  const std::vector<std::uint8_t> keep = {'k', 'e', 'e', 'p'};
  const std::string held = "only the bottom 2 of its 4 rows could be read";
  // A name holding control bytes is shown with them escaped on every line
  // that names it, and the lines stay one each.
  const struct {
    std::string name, folder;  // the source's and the batch's output folder's
    std::string shown, shownFolder;
  } names[] = {
      {"cut.bmp", "out", "cut.bmp", "out"},
      {"cut\x1b[8m\r\nbmpresize: x.bmp: resized\t.bmp", "out\x1b]0;title\x07",
       "cut\\x1b[8m\\r\\nbmpresize: x.bmp: resized\\t.bmp", "out\\x1b]0;title\\x07"},
  };
  for (const auto& n : names) {
    SCOPED_TRACE(n.shown);
    const std::string cut = dir.File(n.name), shown = dir.File(n.shown), folder = dir.File(n.folder);
    ASSERT_TRUE(std::filesystem::create_directory(folder));
    WriteSource(cut, 6, 4);
    std::vector<std::uint8_t> bytes = ReadFileBytes(cut);
    bytes.resize(54 + 2 * 20 + 7);  // two whole rows of 20 bytes, and part of a third
    WriteFileBytes(cut, bytes);

    Outcome run = RunTool(dir, Quote(cut) + " " + Quote(out) + " 100");
    EXPECT_EQ(run.exit, 0);
    EXPECT_EQ(run.err, "bmpresize: " + shown + ": warning: cut short: " + held + "; the rows above are white\n");

    WriteFileBytes(out, keep);
    run = RunTool(dir, "--strict " + Quote(cut) + " " + Quote(out) + " 100");
    EXPECT_EQ(run.exit, 1);
    EXPECT_EQ(run.err, "bmpresize: " + shown + ": is cut short: " + held + "; nothing was written (--strict)\n");
    EXPECT_EQ(ReadFileBytes(out), keep);
    // Standard output cannot take back what went out before the end was met:
    // the reason says what it holds.
    run = RunTool(dir, "--strict " + Quote(cut) + " - 100");
    EXPECT_EQ(run.exit, 1);
    EXPECT_FALSE(run.out.empty());
    EXPECT_EQ(run.err, "bmpresize: " + shown + ": is cut short: " + held +
                           "; standard output took part of the picture, which stays there (--strict)\n");

    const std::string batch = Quote(cut) + " " + Quote(dir.File("whole.bmp")) + " -o " + Quote(folder) + " -p 50";
    run = RunTool(dir, batch);
    EXPECT_EQ(run.exit, 0);
    EXPECT_NE(run.err.find("into " + dir.File(n.shownFolder) + " ("), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("; 1 warning:\nbmpresize: " + shown + ": warning: cut short"), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 2) << run.err;
    EXPECT_TRUE(FileExists(folder + "/" + n.name));
    run = RunTool(dir, "--strict " + batch);
    EXPECT_EQ(run.exit, 1);
    EXPECT_NE(run.err.find("; 1 failed:\nbmpresize: " + shown + ": is cut short"), std::string::npos) << run.err;
  }

  // Top-down run-length data that ends in its third row keeps the two above.
  const std::string rle = dir.File("rle.bmp");
  WriteFileBytes(rle, BmpBytes().Headers(6, -4, 8, 58, 1).U32(0).Bytes({6, 0, 0, 0, 6, 0, 0, 0, 3, 0}).data());
  const Outcome run = RunTool(dir, Quote(rle) + " " + Quote(out) + " 100");
  EXPECT_EQ(run.exit, 0);
  EXPECT_EQ(run.err,
            "bmpresize: " + rle +
                ": warning: cut short: only the top 2 of its 4 rows could be read; the rows below are white\n");
}

// Under a file-size limit the write fails instead of the limit's signal
// killing the tool: exit 1 with the reason, the old destination whole and no
// new file left, on one thread and on several.
TEST(BmpresizeTool, FileSizeLimitFailsTheWriteAndLeavesNoNewFile) {
  TempDir dir;
  WriteSource(dir.File("source.bmp"), 500, 400);
  WriteSource(dir.File("old.bmp"));
  const std::vector<std::uint8_t> old = ReadFileBytes(dir.File("old.bmp"));
  for (const char* threads : {"1", "2"}) {
    SCOPED_TRACE(threads);
    const std::string command = "ulimit -f 16; " + Quote(BMPRESIZE_TOOL) + " -t " + threads + " " +
                                Quote(dir.File("source.bmp")) + " " + Quote(dir.File("old.bmp")) + " 300 2>" +
                                Quote(dir.File("err.txt"));
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    const auto err = ReadFileBytes(dir.File("err.txt"));
    EXPECT_NE(std::string(err.begin(), err.end()).find("File too large"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(dir.File("old.bmp")), old);
    for (const std::string& name : ListFolder(dir.path())) EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
  }
}

// A batch stopped by a signal at several moments after its first file
// appeared: every file left in the folder is whole (the one a single call
// makes), no new file is left behind, and the tool says what it wrote. The
// signal comes alone; or then to the whole process group at once, as timeout,
// kill -- -PGID, systemd and Slurm send it, which is the same interrupt; or
// followed by another signal, which ends the tool at once, its new files
// removed all the same.
TEST(BmpresizeTool, InterruptedBatchLeavesOnlyWholeFiles) {
  TempDir dir;
  const std::string folder = dir.File("out");
  WriteSource(dir.File("source.bmp"), 500, 400);
  ASSERT_EQ(RunTool(dir, Quote(dir.File("source.bmp")) + " " + Quote(dir.File("one.bmp")) + " 300").exit, 0);
  const std::vector<std::uint8_t> whole = ReadFileBytes(dir.File("one.bmp"));
  constexpr int kFiles = 12;
  std::vector<std::string> arguments = {BMPRESIZE_TOOL, "-j", "2", "-o", folder, "-p", "300"};
  for (int i = 0; i < kFiles; ++i) {
    arguments.push_back(dir.File("s" + std::to_string(i) + ".bmp"));
    WriteFileBytes(arguments.back(), ReadFileBytes(dir.File("source.bmp")));
  }
  enum Then { kAlone, kToTheGroup, kAnotherSignal };
  const struct {
    int delayMs, signal;
    Then then;
  } moments[] = {{0, SIGINT, kAlone},          {5, SIGTERM, kAlone},       {30, SIGHUP, kAlone},
                 {120, SIGINT, kAlone},        {0, SIGINT, kToTheGroup},   {10, SIGTERM, kToTheGroup},
                 {40, SIGINT, kToTheGroup},    {80, SIGTERM, kToTheGroup}, {5, SIGINT, kAnotherSignal},
                 {60, SIGTERM, kAnotherSignal}};
  int interrupted = 0;
  for (const auto& moment : moments) {
    SCOPED_TRACE(testing::Message() << moment.delayMs << " ms, signal " << moment.signal << ", then " << moment.then);
    std::filesystem::remove_all(folder);
    std::filesystem::create_directory(folder);
    const pid_t pid = fork();
    if (pid == 0) {
      std::vector<char*> argv;
      for (std::string& a : arguments) argv.push_back(a.data());
      argv.push_back(nullptr);
      if (std::freopen(dir.File("err.txt").c_str(), "w", stderr) == nullptr) _exit(126);
      (void)setpgid(0, 0);
      execv(argv[0], argv.data());
      _exit(127);
    }
    (void)setpgid(pid, pid);
    // Signalled once the first new file is there, so the handlers are in place.
    for (int waited = 0; waited < 5000 && std::filesystem::is_empty(folder); ++waited) usleep(1000);
    usleep(static_cast<useconds_t>(moment.delayMs) * 1000);
    const int second = moment.signal == SIGTERM ? SIGHUP : SIGTERM;
    kill(pid, moment.signal);
    if (moment.then == kToTheGroup) kill(-pid, moment.signal);
    if (moment.then == kAnotherSignal) kill(pid, second);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
    int written = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      const std::string name = entry.path().filename().string();
      EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
      EXPECT_EQ(ReadFileBytes(entry.path().string()), whole) << name;
      ++written;
    }
    if (WEXITSTATUS(status) == 0) {
      EXPECT_EQ(written, kFiles);
      continue;
    }
    ++interrupted;
    const std::vector<std::uint8_t> bytes = ReadFileBytes(dir.File("err.txt"));
    const std::string said(bytes.begin(), bytes.end());
    const std::string stopped = "bmpresize: interrupted: " + std::to_string(written) + " of " + std::to_string(kFiles) +
                                " files written, nothing partial left\n";
    if (moment.then != kAnotherSignal) {
      EXPECT_EQ(WEXITSTATUS(status), 128 + moment.signal);
      EXPECT_EQ(said, stopped);
      continue;
    }
    // Signals sent together come in either order; the one that comes second
    // ends the tool, unless the first had already stopped it.
    EXPECT_TRUE(WEXITSTATUS(status) == 128 + moment.signal || WEXITSTATUS(status) == 128 + second)
        << WEXITSTATUS(status);
    const std::string cut = "bmpresize: interrupted: ";
    const std::string atOnce = " files written, stopped at once by a second signal\n";
    const bool endedAtOnce =
        said.size() > atOnce.size() && said.compare(said.size() - atOnce.size(), atOnce.size(), atOnce) == 0;
    if (endedAtOnce) {
      // A batch that finished just before the signals has said so on a line
      // of its own first. A file renamed into place just before may not be
      // counted yet.
      const std::size_t lastLine = said.rfind('\n', said.size() - 2);
      const std::string last = lastLine == std::string::npos ? said : said.substr(lastLine + 1);
      const int counted = std::atoi(last.c_str() + std::min(cut.size(), last.size()));
      EXPECT_EQ(last.substr(0, cut.size()), cut);
      EXPECT_TRUE(counted == written || counted + 1 == written || counted + 2 == written) << said;
    } else {
      EXPECT_EQ(said, stopped);
    }
  }
  EXPECT_GT(interrupted, 0) << "every batch finished before its signal";
}

// One resize reading a pipe, signalled while it waits for the rows: the tool
// says what became of its destination (a file, or standard output) and exits
// 128 + the signal. The same signal again is the same interrupt; another one
// (of a higher number, so that it comes second) ends the tool at once, from its handler, the new file removed all the
// same.
TEST(BmpresizeTool, InterruptedResizeSaysWhatBecameOfItsDestination) {
  TempDir dir;
  WriteSource(dir.File("source.bmp"), 500, 400);
  const std::vector<std::uint8_t> source = ReadFileBytes(dir.File("source.bmp"));
  const std::string folder = dir.File("out"), file = folder + "/out.bmp";
  const std::string notWritten = file + " was not written", toStdout = "the picture on standard output is incomplete";
  const struct {
    bool toStdout;
    int first, second;  // second: 0 for none
    std::string said;
    int exit;
  } cases[] = {
      {false, SIGINT, 0, notWritten + ", nothing partial left", 128 + SIGINT},
      {false, SIGINT, SIGINT, notWritten + ", nothing partial left", 128 + SIGINT},
      {false, SIGINT, SIGTERM, notWritten + ", stopped at once by a second signal", 128 + SIGTERM},
      {true, SIGTERM, 0, toStdout, 128 + SIGTERM},
      {true, SIGHUP, SIGTERM, toStdout + ", stopped at once by a second signal", 128 + SIGTERM},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.toStdout << " " << c.first << " " << c.second);
    std::filesystem::remove_all(folder);
    std::filesystem::create_directory(folder);
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    const std::string out = c.toStdout ? dir.File("stdout.bmp") : dir.File("stdout.txt");
    std::string tool = BMPRESIZE_TOOL, from = "-", to = c.toStdout ? "-" : file, percent = "50";
    char* argv[] = {tool.data(), from.data(), to.data(), percent.data(), nullptr};
    const pid_t pid = fork();
    if (pid == 0) {
      (void)dup2(pipeEnds[0], 0);
      (void)close(pipeEnds[0]);
      (void)close(pipeEnds[1]);
      if (std::freopen(out.c_str(), "w", stdout) == nullptr) _exit(126);
      if (std::freopen(dir.File("err.txt").c_str(), "w", stderr) == nullptr) _exit(126);
      execv(argv[0], argv);
      _exit(127);
    }
    (void)close(pipeEnds[0]);
    // The headers and a few rows, all taken before the signal: the tool then
    // waits in a read for the rest.
    constexpr std::size_t kGiven = 16384;
    ASSERT_EQ(write(pipeEnds[1], source.data(), kGiven), static_cast<ssize_t>(kGiven));
    int unread = 1;
    for (int waited = 0; waited < 5000 && unread > 0; ++waited) {
      usleep(1000);
      ASSERT_EQ(ioctl(pipeEnds[1], FIONREAD, &unread), 0);
    }
    usleep(100 * 1000);
    int status = 0;
    if (c.second != 0 && c.second != c.first) {
      // Both come while the tool is stopped, so the second finds the first
      // handled (the lower number is delivered first) and the resize not over.
      kill(pid, SIGSTOP);
      ASSERT_EQ(waitpid(pid, &status, WUNTRACED), pid);
      kill(pid, c.first);
      kill(pid, c.second);
      kill(pid, SIGCONT);
    } else {
      kill(pid, c.first);
      if (c.second != 0) kill(pid, c.second);
    }
    (void)close(pipeEnds[1]);
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), c.exit);
    const std::vector<std::uint8_t> err = ReadFileBytes(dir.File("err.txt"));
    EXPECT_EQ(std::string(err.begin(), err.end()), "bmpresize: interrupted: " + c.said + "\n");
    EXPECT_TRUE(ListFolder(folder).empty());
  }
}

// -j x -t within the cores, whichever is left out taking what the other leaves.
TEST(BmpresizeTool, BatchSharesTheCoresBetweenJobsAndThreads) {
  const struct {
    unsigned jobs, threads;
    std::size_t files;
    unsigned cores, wantJobs, wantThreads;
  } cases[] = {
      {0, 0, 100, 8, 8, 1},  // one file a core
      {0, 0, 3, 8, 3, 2},    // few files: the cores left go to their threads
      {0, 0, 1, 8, 1, 8},     {2, 0, 100, 8, 2, 4},   {0, 2, 100, 8, 4, 2},
      {0, 3, 100, 8, 2, 3},   {0, 16, 100, 8, 1, 16},  // more threads than cores: one file at a time
      {16, 0, 100, 8, 16, 1}, {3, 5, 100, 8, 3, 5},    // both given: as given
      {0, 0, 100, 0, 1, 1},                            // no core count known
  };
  for (const auto& c : cases) {
    CommandLine line;
    line.jobs = c.jobs;
    line.threads = c.threads;
    const CoreShare share = ShareCores(line, c.files, c.cores);
    EXPECT_EQ(share.jobs, c.wantJobs) << c.jobs << " " << c.threads << " " << c.files << " " << c.cores;
    EXPECT_EQ(share.threads, c.wantThreads) << c.jobs << " " << c.threads << " " << c.files << " " << c.cores;
  }
  // The files resized at once share the memory limit, given or the default.
  const struct {
    std::int64_t limit;
    unsigned jobs;
    std::int64_t each;
  } limits[] = {
      {0, 1, BMPRESIZE_DEFAULT_MEMORY_LIMIT},
      {0, 2, BMPRESIZE_DEFAULT_MEMORY_LIMIT / 2},
      {std::int64_t{3} << 30, 3, std::int64_t{1} << 30},
      {5, 4, 1},
      {1, 8, 1},  // never 0, which would mean the default
  };
  for (const auto& l : limits) {
    CommandLine line;
    line.memoryLimit = l.limit;
    EXPECT_EQ(MemoryLimitPerFile(line, l.jobs), l.each) << l.limit << " " << l.jobs;
  }
}

TEST(BmpresizeTool, VersionAndHelp) {
  TempDir dir;
  Outcome run = RunTool(dir, "--version");
  EXPECT_EQ(run.exit, 0);
  EXPECT_EQ(run.out, "bmpresize 1.0.0.1\n");
  run = RunTool(dir, "--help");
  EXPECT_EQ(run.exit, 0);
  EXPECT_EQ(run.out.rfind("usage: bmpresize [OPTION...] SOURCE DESTINATION PERCENT\n", 0), 0u) << run.out;
  // Every option the command line takes, as the manual page lists it.
  const char* const options[] = {"--width W",
                                 "--height H",
                                 "--size WxH",
                                 "--fit WxH",
                                 "--no-enlarge",
                                 "--dpi N",
                                 "--keep-resolution",
                                 "--region X,Y,W,H",
                                 "--filter NAME",
                                 "--depth N",
                                 "--grey",
                                 "-o DIRECTORY",
                                 "-p PERCENT",
                                 "-j N",
                                 "-t N",
                                 "-q, --quiet",
                                 "--strict",
                                 "--sync",
                                 "--memory-limit SIZE",
                                 "--info",
                                 "--json",
                                 "-h, --help",
                                 "--version",
                                 "-- "};
  for (const char* option : options) EXPECT_NE(run.out.find(std::string("\n  ") + option), std::string::npos) << option;
  EXPECT_EQ(run.err, "");
}

// --info and --json: the JSON text, and the reports over built files and
// the test suite, whose index says what each holds.
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
      // Line and paragraph separators, which Unicode line splitters break at.
      {"a\xE2\x80\xA8 \xE2\x80\xA9\xE2\x80\xAA", "\"a\\u2028 \\u2029\xE2\x80\xAA\""},
  };
  for (const Case& c : cases) EXPECT_EQ(JsonString(c.text), c.json) << c.text;
}

// What the human-readable output shows of a name: control bytes as escapes,
// everything else as it is.
TEST(BmpresizeTool, VisibleTextEscapesControlBytesAlone) {
  struct Case {
    std::string text, shown;
  };
  const Case cases[] = {
      {"", ""},
      {"plain/path name.bmp", "plain/path name.bmp"},
      {"tab\tline\ncr\r", "tab\\tline\\ncr\\r"},
      {"\x1b[31mred\x1b[0m", "\\x1b[31mred\\x1b[0m"},
      {std::string("nul\0bel\a\x01\x1f del\x7f", 15), "nul\\x00bel\\x07\\x01\\x1f del\\x7f"},
      {"C:\\dir\\n.bmp \"q\" ~", "C:\\dir\\n.bmp \"q\" ~"},
      {"caf\xC3\xA9 \xE7\x94\xBB \xFF\x80", "caf\xC3\xA9 \xE7\x94\xBB \xFF\x80"},
  };
  for (const Case& c : cases) EXPECT_EQ(VisibleText(c.text), c.shown) << c.text;
}

TEST(InfoReport, DotsPerInchRoundToNearest) {
  const std::pair<std::int32_t, long long> cases[] = {{3780, 96}, {2835, 72}, {11811, 300}, {0, 0},
                                                      {19, 0},    {20, 1},    {-3780, -96}, {2147483647, 54546085}};
  for (const auto& [ppm, dpi] : cases) EXPECT_EQ(DotsPerInch(ppm), dpi) << ppm;
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
  WriteFileBytes(dir.File("mono.bmp"), BmpBytes().Headers(1, 1, 1, 58).Zeros(8).data());
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
      {"--info " + Quote(dir.File("mono.bmp")), 0, {"  depth         1 bit per pixel, 1 colour in its table\n"}},
      {"--info --strict " + shortFile, 1, {"  refused: is cut short", "(--strict)"}},
      {"--info " + white, 0, {"  warning: has no colour table: every pixel is white"}},
      {"--info " + deep + " " + whole,
       1,
       {"deep.bmp:\n  size          5 x 7 pixels", "30 bits per pixel", "refused: a depth of 30", "whole.bmp:"}},
      {"--json " + whole + " " + shortFile,
       0,
       {"{\"path\":",
        "whole.bmp\",\"width\":1,\"height\":1,\"depth\":24,\"compression\":0,\"header_size\":40,"
        "\"top_down\":false,\"colours\":0,\"masks\":null,\"has_alpha\":false,\"data_offset\":54,\"file_size\":58,"
        "\"needed_size\":4,"
        "\"x_ppm\":3780,\"y_ppm\":11811,\"warnings\":[],\"error\":null}\n",
        "short.bmp\"", "\"warnings\":[\"cut short: only the bottom 2 of its 4 rows", "\"error\":null}\n"}},
      {"--json --strict " + shortFile, 1, {"\"warnings\":[],\"error\":\"is cut short"}},
      {"--json " + deep, 1, {"\"width\":5,\"height\":7,\"depth\":30,", "\"error\":\"a depth of 30 bits"}},
      {"--json - < " + shortFile, 0, {"{\"path\":\"-\",\"width\":4,", "\"file_size\":-1,"}},
      {"--info --memory-limit 1K -- " + Quote(dir.File("none.bmp")), 1, {"none.bmp:\n  refused: cannot be opened"}},
      {"--info " + Quote(dir.File("n\x1b[2J\n  size 1 x 1.bmp")),
       1,
       {"/n\\x1b[2J\\n  size 1 x 1.bmp:\n  refused: cannot be opened"}},
      {"--json " + Quote(dir.File("n\x1b[2J\n.bmp")), 1, {"/n\\u001b[2J\\n.bmp\",\"width\":0,"}},
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
  EXPECT_EQ(std::system(("test $(ls -A " + Quote(dir.path()) + " | wc -l) -eq 7").c_str()), 0);
}

// --json and --info tell one story of each file, and the file's size on
// disk: a number that one of them gets wrong shows against the others. A
// refusal names the compression as --info does.
TEST(InfoReport, JsonAndTextTellOneRecord) {
  TempDir dir, runs;
  const struct {
    std::string compression, masks;  // as --info and --json show them
    std::vector<std::uint8_t> file;
  } cases[] = {
      {"0 (uncompressed)", "null", BmpBytes().Headers(100, 50, 24, 54).Zeros(300 * 50).data()},
      {"3 (BITFIELDS)", "[0,0,0,0]", BmpBytes().Headers(1, 1, 32, 66, 3).Zeros(12 + 4).data()},
      {"11 (CMYK)", "null", BmpBytes().Headers(2, 2, 24, 54, 11).Zeros(16).data()},
      {"4294967295 (unknown)", "null", BmpBytes().Headers(2, 2, 24, 0x80000036, 0xFFFFFFFF).Zeros(3).data()},
  };
  std::string arguments;
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    WriteFileBytes(dir.File(std::to_string(i)), cases[i].file);
    arguments += " " + Quote(dir.File(std::to_string(i)));
  }
  const std::vector<std::string> json = Lines(RunTool(runs, "--json" + arguments).out);
  const std::string text = RunTool(runs, "--info" + arguments).out;
  ASSERT_EQ(json.size(), std::size(cases));
  for (std::size_t i = 0; i < json.size(); ++i) {
    const std::size_t start = text.find(dir.File(std::to_string(i)) + ":\n");
    const std::string block = text.substr(start, text.find("\n\n", start) - start),
                      size = std::to_string(cases[i].file.size());
    const std::string& compression = cases[i].compression;
    SCOPED_TRACE(block + "\n" + json[i]);
    EXPECT_NE(json[i].find(",\"file_size\":" + size + ","), std::string::npos);
    EXPECT_NE(block.find("\n  file size     " + size + " bytes"), std::string::npos);
    EXPECT_NE(json[i].find(",\"compression\":" + compression.substr(0, compression.find(' ')) + ","),
              std::string::npos);
    EXPECT_NE(block.find("\n  compression   " + compression + "\n"), std::string::npos);
    EXPECT_EQ(block.find("refused: compression") != std::string::npos,
              block.find("refused: compression " + compression) != std::string::npos);
    EXPECT_NE(json[i].find(",\"masks\":" + cases[i].masks + ","), std::string::npos);
    EXPECT_EQ(block.find("\n  masks ") != std::string::npos, cases[i].masks != "null");
  }
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
  if (rows.empty()) GTEST_SKIP() << "no BMP corpus at " << folder;
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

// --name: each result under the template's name, beside its source or in
// DIRECTORY; %s is the name without its last extension, whatever the name.
TEST(BmpresizeTool, BatchNamesResultsByTemplate) {
  TempDir dir;
  ASSERT_EQ(std::system(("mkdir " + Quote(dir.File("in")) + " " + Quote(dir.File("out"))).c_str()), 0);
  const struct {
    std::string source, stem;
  } cases[] = {
      {"plain.bmp", "plain"},
      {"two.dots.bmp", "two.dots"},
      {"no extension", "no extension"},
      {".hidden", ".hidden"},
      {"ends in a dot.", "ends in a dot"},
      {"100%.BMP", "100%"},
      {"-dash.bmp", "-dash"},
      {"%s.bmp", "%s"},
  };
  std::string sources;
  for (const auto& c : cases) {
    WriteSource(dir.File("in/" + c.source));
    sources += " " + Quote(dir.File("in/" + c.source));
  }
  // --width 3 and 50 % give the same bytes.
  const Outcome beside = RunTool(dir, "-q --width 3 --name 'tn_%s.bmp' --" + sources);
  EXPECT_EQ(beside.exit, 0) << beside.err;
  const Outcome into = RunTool(dir, "-q -p 50 -o " + Quote(dir.File("out")) + " --name '%s%%' --" + sources);
  EXPECT_EQ(into.exit, 0) << into.err;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source);
    const std::vector<std::uint8_t> near = ReadFileBytes(dir.File("in/tn_" + c.stem + ".bmp"));
    ASSERT_GE(near.size(), 54u);
    EXPECT_EQ(LE32(near, 18), 3u);
    EXPECT_EQ(ReadFileBytes(dir.File("out/" + c.stem + "%")), near);
  }
}
