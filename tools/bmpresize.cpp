// bmpresize: resizes BMP files by a percentage, one file, a batch into a
// folder, or a pipe; and says in one line per file exactly why when it cannot.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "batch.h"
#include "bmpresize_version.h"
#include "command_line.h"
#include "interrupts.h"
#include "module/resize_file.h"
#include "reasons.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
// windows.h first: shellapi.h builds on it.
#include <windows.h>
#include <shellapi.h>

#include "module/utf16_to_utf8.h"
#else
#include <unistd.h>
#endif

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

const char kHelp[] =
    "usage: bmpresize [-q] [--strict] [--sync] SOURCE DESTINATION PERCENT\n"
    "       bmpresize [-j N] [-q] [--strict] [--sync] SOURCE... -o DIRECTORY -p PERCENT\n"
    "       bmpresize --help | --version\n"
    "\n"
    "Resizes BMP files by PERCENT in both directions and writes each result as a\n"
    "24-bit BMP (32-bit when the source has 32 bits).\n"
    "\n"
    "  SOURCE        a BMP file; '-' reads standard input\n"
    "  DESTINATION   the file to create or overwrite; '-' writes standard output\n"
    "                (which must not be a terminal)\n"
    "  PERCENT       a whole number from -2147483648 to 2147483647: 100 keeps the\n"
    "                size, 50 halves it, 200 doubles it; each side is\n"
    "                PERCENT x side / 100 with the remainder dropped, and when\n"
    "                either side comes out below 1 the picture is 1 x 1\n"
    "\n"
    "  -o DIRECTORY  write each SOURCE into DIRECTORY under its own name\n"
    "  -p PERCENT    the percent, for use with -o\n"
    "  -j N          resize N files at a time (default: one per processor core)\n"
    "  -q            no progress line and no summary; failures and warnings are\n"
    "                still shown\n"
    "  --strict      a source cut short is a failure and nothing is written (else\n"
    "                its missing rows are white, with a warning)\n"
    "  --sync        each new file reaches the disk before it replaces the old\n"
    "                one, so that it survives a power cut (slower)\n"
    "  -h, --help    show this text\n"
    "  --version     show the version\n"
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
  std::fprintf(stderr, "bmpresize: %s\nTry 'bmpresize --help'.\n", problem.c_str());
  return kExitUsage;
}

bool IsTerminal(std::FILE* stream) {
#ifdef _WIN32
  return _isatty(_fileno(stream)) != 0;
#else
  return isatty(fileno(stream)) != 0;
#endif
}

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
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 arguments");
    std::string arg;
    ok = Utf16ToUtf8(reinterpret_cast<const char16_t*>(wide[i]), arg);
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
std::string DescribeInterruption(const ResizeOutcome& outcome, const EndNames& names, bool toStdout) {
  if (outcome.code == 999) return names.destination + " was written completely all the same";
  if (toStdout) return "the picture on standard output is incomplete";
  if (outcome.partialLeft) return names.destination + " was being rewritten in place and is now partial";
  return names.destination + " was not written, nothing partial left";
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

  ResizeEnds ends;
  ends.sourcePath = fromStdin ? nullptr : source.c_str();
  ends.sourceStream = fromStdin ? stdin : nullptr;
  ends.destinationPath = toStdout ? nullptr : destination.c_str();
  ends.destinationStream = toStdout ? stdout : nullptr;
  const ResizeOutcome outcome = ResizeFile(ends, OptionsFor(line));
  const EndNames names{fromStdin ? "standard input" : source, toStdout ? "standard output" : destination,
                       fromStdin ? "" : source};
  if (InterruptSignal() != 0) {
    std::fprintf(stderr, "bmpresize: interrupted: %s\n", DescribeInterruption(outcome, names, toStdout).c_str());
    return 128 + InterruptSignal();
  }
  const std::string warning = DescribeWarning(outcome, names);
  if (!warning.empty()) std::fprintf(stderr, "bmpresize: %s\n", warning.c_str());
  if (outcome.code == 999) return kExitOk;
  std::fprintf(stderr, "bmpresize: %s\n", DescribeFailure(outcome, names).c_str());
  return kExitFailed;
}

int ResizeMany(const CommandLine& line) {
  std::error_code ec;
  const auto status = std::filesystem::status(std::filesystem::u8path(line.directory), ec);
  if (!std::filesystem::is_directory(status)) {
    const std::string why = ec ? ec.message() : "it is not a folder";
    std::fprintf(stderr, "bmpresize: %s: cannot be the output folder (-o): %s\n", line.directory.c_str(), why.c_str());
    return kExitFailed;
  }
  std::vector<BatchItem> items;
  std::vector<std::string> problems;
  if (!PlanBatch(line, items, problems)) {
    for (std::size_t i = 0; i + 1 < problems.size(); ++i) std::fprintf(stderr, "bmpresize: %s\n", problems[i].c_str());
    return UsageError(problems.back() + "; nothing was written");
  }
  return RunBatch(line, items, !line.quiet && IsTerminal(stderr));
}

int Run(int argc, char** argv) {
  std::vector<std::string> args;
  if (!Arguments(argc, argv, args)) {
    std::fputs("bmpresize: the command line cannot be read\n", stderr);
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
  }
  return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bmpresize: %s\n", e.what());
    return kExitFailed;
  }
}
