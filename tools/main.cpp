// SPDX-License-Identifier: MIT
// bmpresize: resizes BMP files by a percentage or to a size, one file, a batch into a
// folder, or a pipe; and says in one line per file exactly why when it cannot.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "batch.h"
#include "bmpresize.h"
#include "bmpresize_version.h"
#include "command_line.h"
#include "forced_exit.h"
#include "info_report.h"
#include "interrupts.h"
#include "place_keys.h"
#include "result_words.h"
#include "standard_streams.h"
#include "visible_text.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
// windows.h first: shellapi.h builds on it.
#include <windows.h>
#include <shellapi.h>
#else
#include <unistd.h>
#endif

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

const char kHelp[] =
    "usage: bmpresize [OPTION...] SOURCE DESTINATION PERCENT\n"
    "       bmpresize [OPTION...] SOURCE DESTINATION SIZE-OPTION...\n"
    "       bmpresize [OPTION...] SOURCE... -o DIRECTORY -p PERCENT\n"
    "       bmpresize [OPTION...] SOURCE... -o DIRECTORY SIZE-OPTION...\n"
    "       bmpresize [OPTION...] SOURCE... --name TEMPLATE -p PERCENT\n"
    "       bmpresize --info [--json] [--strict] [--memory-limit SIZE] SOURCE...\n"
    "       bmpresize --help | --version\n"
    "\n"
    "Resizes BMP files (or a --region of them) by PERCENT in both directions,\n"
    "or to a size, and writes each result as a 24-bit BMP (32-bit when the\n"
    "source has 32 bits), or at --depth.\n"
    "\n"
    "  SOURCE        a BMP file; '-' reads standard input\n"
    "  DESTINATION   the file to create or overwrite; '-' writes standard output\n"
    "                (which must not be a terminal); /dev/stdout, /dev/fd/N are\n"
    "                written where they stand (>> appends)\n"
    "  PERCENT       a whole number from 1 to 2147483647, '%' after it or not:\n"
    "                100 keeps the size, 50 halves it, 200 doubles it; each side\n"
    "                is PERCENT x side / 100 with the remainder dropped, and when\n"
    "                either side comes out below 1 the picture is 1 x 1\n"
    "\n"
    "Size options, in place of PERCENT (sides in pixels, 1 or more; a side kept\n"
    "to the source's aspect is rounded to nearest, halves up, and at least 1):\n"
    "  --width W     W pixels wide, the height kept to the aspect\n"
    "  --height H    H pixels high, the width kept to the aspect (with --width:\n"
    "                exactly W x H)\n"
    "  --size WxH    exactly W x H pixels\n"
    "  --fit WxH     the largest size of the source's aspect within W x H\n"
    "  --no-enlarge  never larger than the source (or its region): a size larger\n"
    "                on either side keeps the source's size, a --fit box is\n"
    "                capped at it (also with PERCENT above 100)\n"
    "  --cover WxH   exactly W x H, filled: the largest centred part of the\n"
    "                source (or its region) of W x H's aspect, resized\n"
    "  --resize GEOMETRY\n"
    "                ImageMagick's geometry, with the sizes ImageMagick gives:\n"
    "                800x600 (fit inside), 800x or x600 (one side), 800x600!\n"
    "                (exactly), 800x600> (only shrink), 800x600< (only enlarge),\n"
    "                800x600^ (fill the box), 50% or 50x25% (rounded to\n"
    "                nearest), 250000@ (at most that many pixels)\n"
    "\n"
    "What is read and how it is written:\n"
    "  --region X,Y,W,H\n"
    "                resize only the W x H pixels whose top-left pixel is column\n"
    "                X, row Y of the source (from its top-left corner, from 0);\n"
    "                PERCENT or a size applies to W x H; a region not inside the\n"
    "                picture is a usage error, and in a batch fails that file\n"
    "  --filter NAME how pixels are made: point (the default) blends the four\n"
    "                source pixels around each point; area averages every source\n"
    "                pixel a destination pixel covers, so small thumbnails keep\n"
    "                fine patterns without moire; linear, cubic, mitchell,\n"
    "                lanczos2 and lanczos3 convolve with that kernel, widened\n"
    "                when shrinking: sharp enlargements, smooth reductions\n"
    "                A 32-bit source whose header declares alpha is averaged by\n"
    "                all but point with colour weighted by alpha and written\n"
    "                with its alpha (a 108-byte header with an alpha mask)\n"
    "  --depth N     write N bits per pixel: 1, 4 or 8 (the standard colour\n"
    "                table, each pixel its nearest entry), 16 (5-6-5), 24 or 32\n"
    "                (alpha 255 from a source without alpha)\n"
    "  --grey        write grey levels: 2, 16 or 256 greys at 1, 4 or 8 bits\n"
    "                (8 without --depth), each pixel the grey nearest to its\n"
    "                luminance (0.299 red + 0.587 green + 0.114 blue)\n"
    "  --linear      average light rather than bytes (with area and the\n"
    "                convolution filters): a black and white checkerboard halved\n"
    "                is 188, not 128; alpha is averaged as it is\n"
    "\n"
    "Resolution written (default 96 dots per inch, 3780 pixels per metre):\n"
    "  --dpi N, --dpi X,Y\n"
    "                N dots per inch, or X across and Y down\n"
    "  --keep-resolution\n"
    "                the source's (96 dpi where it has none)\n"
    "\n"
    "Other options:\n"
    "  -o DIRECTORY  write each SOURCE into DIRECTORY under its own name, all\n"
    "                with the same options\n"
    "  --name TEMPLATE\n"
    "                name each result of a batch by TEMPLATE, in DIRECTORY or,\n"
    "                without -o, beside its source (with -p PERCENT or a size\n"
    "                option): %s is the source's name without its extension,\n"
    "                %% a '%' (tn_%s.bmp)\n"
    "  -p PERCENT    the percent, for use with -o\n"
    "  -j N          resize N files at a time (default: one per processor core, or\n"
    "                as many as leave each -t threads of its own)\n"
    "  -t N          resize each picture on up to N threads (default: every core\n"
    "                for one file; in a batch, the cores -j leaves to each file,\n"
    "                so that -j x -t stays within the cores)\n"
    "  -q, --quiet   no progress line and no summary; failures and warnings are\n"
    "                still shown\n"
    "  --strict      a source cut short is a failure and nothing is written (else\n"
    "                its missing rows are white, with a warning); standard\n"
    "                output and /dev/fd/N keep what went out before the end\n"
    "                was met\n"
    "  --sync        each new file reaches the disk before it replaces the old\n"
    "                one, so that it survives a power cut (slower)\n"
    "  --memory-limit SIZE\n"
    "                the most memory the resizes take at once, summed over their\n"
    "                threads and, in a batch, shared evenly by the -j files\n"
    "                resized at once (default 256M); SIZE in bytes, or with K, M\n"
    "                or G after it (powers of 1024); a picture that needs more\n"
    "                fails, and fewer threads are used where all would not fit\n"
    "  --info        write nothing: show what each SOURCE holds (size, depth,\n"
    "                compression, header, colour table, masks, where the pixel\n"
    "                data lies and how many bytes it needs, file size,\n"
    "                resolution), the warnings a resize would give, and why one\n"
    "                would be refused (exit status 1 when any would be)\n"
    "  --json        the same as one JSON object a line, in the order given;\n"
    "                beside either, an option of a resize alone is a usage error\n"
    "  -h, --help    show this text\n"
    "  --version     show the version\n"
    "  --            end the options: what follows is a file name or PERCENT\n"
    "\n"
    "A batch shows a progress line while standard error is a terminal, then a\n"
    "summary and every failure with its reason.\n"
    "\n"
    "A destination file is replaced whole or not at all: the new picture is\n"
    "written to .NAME.XXXXXX.tmp beside it and renamed over it at the end.\n"
    "Ctrl-C (SIGINT, SIGTERM, SIGHUP) stops cleanly: no new file starts and the\n"
    "files in flight are given up.\n"
    "\n"
    "Exit status: 0 when every destination was written, 1 when any resize\n"
    "failed, 2 for a usage error (nothing is then written), 128 + the signal's\n"
    "number when interrupted.\n";

int UsageError(const std::string& problem) {
  Say(problem);
  std::fputs("Try 'bmpresize --help'.\n", stderr);
  return kExitUsage;
}

bool IsTerminal(std::FILE* stream) {
#ifdef _WIN32
  return _isatty(_fileno(stream)) != 0;
#else
  return isatty(fileno(stream)) != 0;
#endif
}

#ifdef _WIN32
// A UTF-16 argument as UTF-8; false for one that has no UTF-8 form (an
// unpaired surrogate).
bool Utf8Argument(const wchar_t* wide, std::string& arg) {
  const int n = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return false;
  arg.assign(static_cast<std::size_t>(n), '\0');
  if (WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, -1, arg.data(), n, nullptr, nullptr) != n) return false;
  arg.resize(static_cast<std::size_t>(n - 1));
  return true;
}
#endif

// The arguments as UTF-8. Windows hands the program UTF-16 arguments, which
// are taken from there so that every file name works; elsewhere they are the
// bytes the file functions take.
bool Arguments(int argc, char** argv, std::vector<std::string>& args) {
#ifdef _WIN32
  (void)argv;
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return false;
  bool ok = count == argc;
  for (int i = 1; ok && i < count; ++i) {
    std::string arg;
    ok = Utf8Argument(wide[i], arg);
    args.push_back(arg);
  }
  LocalFree(wide);
  return ok;
#else
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  return true;
#endif
}

// What became of the one destination of an interrupted resize.
std::string DescribeInterruption(const bmpresize_result& result, const std::string& destination, bool toStdout) {
  if (result.code == BMPRESIZE_OK) return destination + " was written completely all the same";
  if (toStdout) return "the picture on standard output is incomplete";
  if (result.partial_left == BMPRESIZE_PARTIAL_DESCRIPTOR)
    return destination + " took part of the picture, which stays";
  if (result.partial_left) return destination + " was being rewritten in place and is now partial";
  return destination + " was not written, nothing partial left";
}

// Whether standard output is the source's file itself (by its path, or
// standard input), which the picture would overwrite as it is read.
bool OutputIsTheSource(const std::string& source, bool fromStdin) {
#ifdef _WIN32
  const int output = _fileno(stdout), input = _fileno(stdin);
#else
  const int output = fileno(stdout), input = fileno(stdin);
#endif
  const std::string written = DescriptorKey(output);  // a regular file's only
  return !written.empty() && written == (fromStdin ? DescriptorKey(input) : PlaceKey(source));
}

// Resizes from the source to the destination, '-' being standard input or
// output.
bmpresize_result Resize(const CommandLine& line, bool fromStdin, bool toStdout) {
  bmpresize_result result{};
  if (toStdout && OutputIsTheSource(line.sources[0], fromStdin)) {
    result.code = BMPRESIZE_DESTINATION_FAILED;
    result.cause = BMPRESIZE_CAUSE_SAME_AS_SOURCE;
    return result;
  }
  bmpresize_source source{};
  if (fromStdin) {
    source.read = ReadStandardInput;
  } else {
    source.path = line.sources[0].c_str();
  }
  StandardOutput output;
  output.sync = line.sync;
  bmpresize_destination destination{};
  if (toStdout) {
    destination.write = WriteStandardOutput;
    destination.user = &output;
  } else {
    destination.path = line.destination.c_str();
  }
  const bmpresize_options options = OptionsFor(line);
  (void)bmpresize_resize(&source, &destination, &options, &result);
  // Standard output keeps what it took of a picture that failed, as a
  // descriptor path does, and is told as one.
  if (result.code != BMPRESIZE_OK && output.took) result.partial_left = BMPRESIZE_PARTIAL_DESCRIPTOR;
  return result;
}

// A region that is not inside the source's picture, refused before anything
// was written: a usage error, told with the picture's size.
int RegionError(const CommandLine::Region& region, const std::string& source, const bmpresize_result& result) {
  return UsageError("--region " + std::to_string(region.x) + "," + std::to_string(region.y) + "," +
                    std::to_string(region.width) + "," + std::to_string(region.height) + " is not inside " + source +
                    ", a picture of " + std::to_string(result.value) + " x " + std::to_string(result.limit) +
                    " pixels");
}

int ResizeOne(const CommandLine& line) {
  const std::string& source = line.sources[0];
  const std::string& destination = line.destination;
  const bool fromStdin = source == "-", toStdout = destination == "-";
  if (fromStdin && IsTerminal(stdin))
    return UsageError("standard input is a terminal, not a BMP file: redirect a file or a pipe into it");
  if (toStdout && IsTerminal(stdout))
    return UsageError(
        "standard output is a terminal, where a BMP file would be unreadable: "
        "redirect it to a file or a pipe");
#ifdef _WIN32
  if (fromStdin) (void)_setmode(_fileno(stdin), _O_BINARY);
  if (toStdout) (void)_setmode(_fileno(stdout), _O_BINARY);
#endif

  const std::string sourceName = fromStdin ? "standard input" : source;
  const std::string destinationName = toStdout ? "standard output" : destination;
  // What a second signal, which ends the tool at once, says of the destination
  // (written from the signal handler as it stands, so made visible here).
  const std::string cutShort =
      toStdout ? "the picture on standard output is incomplete" : VisibleText(destinationName) + " was not written";
  ExpectOneResize(cutShort.c_str());
  const bmpresize_result result = Resize(line, fromStdin, toStdout);
  if (InterruptSignal() != 0) {
    if (ClaimInterruptedLine()) Say("interrupted: " + DescribeInterruption(result, destinationName, toStdout));
    return 128 + InterruptSignal();
  }
  if (result.cause == BMPRESIZE_CAUSE_REGION) return RegionError(line.region, sourceName, result);
  if (result.cause == BMPRESIZE_CAUSE_WRITE_FAILED) EndAsABrokenPipeWould(result.error);
  const std::string words = Words(result, sourceName, destinationName);
  if (!words.empty()) Say(words);
  return result.code == BMPRESIZE_OK ? kExitOk : kExitFailed;
}

int ResizeMany(const CommandLine& line) {
  std::error_code ec;
  const auto status = std::filesystem::status(std::filesystem::u8path(line.directory), ec);
  if (!line.directory.empty() && !std::filesystem::is_directory(status)) {
    const std::string why = ec ? ec.message() : "it is not a folder";
    Say(line.directory + ": cannot be the output folder (-o): " + why);
    return kExitFailed;
  }
  std::vector<BatchItem> items;
  std::vector<std::string> problems;
  if (!PlanBatch(line, items, problems)) {
    for (std::size_t i = 0; i + 1 < problems.size(); ++i) Say(problems[i]);
    return UsageError(problems.back() + "; nothing was written");
  }
  return RunBatch(line, items, !line.quiet && IsTerminal(stderr));
}

// --info and --json: each source's report on standard output, in order.
int InfoMany(const CommandLine& line) {
  for (const std::string& source : line.sources) {
    if (source == "-" && IsTerminal(stdin))
      return UsageError("standard input is a terminal, not a BMP file: redirect a file or a pipe into it");
  }
#ifdef _WIN32
  (void)_setmode(_fileno(stdin), _O_BINARY);
#endif
  const bmpresize_options options = OptionsFor(line);
  int status = kExitOk;
  bmpresize_result written{};
  for (const std::string& source : line.sources) {
    const InfoReport report = InspectSource(source, options);
    if (InterruptSignal() != 0) return 128 + InterruptSignal();
    const std::string text = line.json ? InfoJson(report) : InfoText(report);
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() && written.error == 0)
      written.error = errno != 0 ? errno : EIO;
    if (!report.error.empty()) status = kExitFailed;
  }
  errno = 0;
  if (std::fflush(stdout) != 0 && written.error == 0) written.error = errno != 0 ? errno : EIO;
  if (written.error == 0) return status;
  // The reports that did not get out are as good as lost: said as a
  // destination that failed would be.
  written.code = BMPRESIZE_DESTINATION_FAILED;
  written.cause = BMPRESIZE_CAUSE_WRITE_FAILED;
  Say(Words(written, "", "standard output"));
  return kExitFailed;
}

int Run(int argc, char** argv) {
  std::vector<std::string> args;
  if (!Arguments(argc, argv, args)) {
    Say("the command line cannot be read");
    return kExitUsage;
  }
  CommandLine line;
  std::string problem;
  if (!ParseCommandLine(args, line, problem)) return UsageError(problem);
  switch (line.mode) {
    case CommandLine::Mode::kHelp:
      std::fputs(kHelp, stdout);
      return kExitOk;
    case CommandLine::Mode::kVersion:
      std::printf("bmpresize %s\n", BMPRESIZE_VERSION_STRING);
      return kExitOk;
    case CommandLine::Mode::kSingle:
      return ResizeOne(line);
    case CommandLine::Mode::kBatch:
      return ResizeMany(line);
    case CommandLine::Mode::kInfo:
      return InfoMany(line);
  }
  return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    Say(e.what());
    return kExitFailed;
  }
}
