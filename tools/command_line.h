// SPDX-License-Identifier: MIT
// The tool's command line, as its help text gives it:
//   bmpresize [OPTION...] SOURCE DESTINATION PERCENT
//   bmpresize [OPTION...] SOURCE DESTINATION SIZE-OPTION...
//   bmpresize [OPTION...] SOURCE... -o DIRECTORY (-p PERCENT | SIZE-OPTION...)
//   bmpresize --info [--json] [--strict] [--memory-limit SIZE] SOURCE...
//   bmpresize --help | --version
// with the options -j N, -t N, -q, --strict, --sync, --memory-limit SIZE,
// --region X,Y,W,H, --filter NAME, --depth N, --grey and those of size_options.h, and what the help leaves
// out: -h for --help, --quiet for -q, an option's value in the same argument
// (-j4, -p50, --memory-limit=1G, --region=0,0,8,8, --filter=area,
// --depth=8, --width=640), and --
// before arguments that start with '-' but are names. A PERCENT may end in
// '%' (50%); a negative one ("-5") is no option, and is refused as every
// PERCENT below 1 is.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "size_options.h"

struct CommandLine {
  enum class Mode { kHelp, kVersion, kSingle, kBatch, kInfo };
  Mode mode = Mode::kSingle;
  std::vector<std::string> sources;  // one for kSingle
  std::string destination;           // kSingle: a file or "-"
  std::string directory;             // kBatch; empty with --name alone: each result beside its source
  std::string name;                  // kBatch: --name TEMPLATE of each result's name, empty for the source's
  std::int32_t percent = 100;
  unsigned jobs = 0;     // 0: one per processor core, or as many as leave -t's threads a core each
  unsigned threads = 0;  // a picture's; 0: every core for one file, the cores -j leaves in a batch
  bool quiet = false;
  bool strict = false;           // a source cut short fails instead of being warned about
  bool sync = false;             // each new file reaches stable storage before it replaces the old one
  std::int64_t memoryLimit = 0;  // bytes for all the resizes at once; 0: the library's default
  // --info (kInfo): what each source holds, written nowhere; --json (which
  // implies --info) gives it as one JSON object a line.
  bool json = false;
  // --region: the rectangle of each source resized, from its top-left
  // corner; a width of 0: the whole picture.
  struct Region {
    std::int32_t x = 0, y = 0, width = 0, height = 0;
  } region;
  std::int16_t filter = 0;  // BMPRESIZE_FILTER_POINT ... BMPRESIZE_FILTER_LANCZOS3 (--filter NAME)
  std::int16_t depth = 0;   // bits per pixel written (--depth); 0: the library's default
  bool grey = false;        // grey levels at 1, 4 or 8 bits (--grey)
  bool linear = false;      // colour averaged as light (--linear)
  SizeOptions size;         // a size in place of the percent, and the resolution
};

// Parses the arguments after the program's name. On a usage error the answer
// is false and problem says what was wrong, in words for the user.
bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& line, std::string& problem);

// How a batch shares the cores: files at a time (-j) and threads for each
// (-t), jobs x threads within the cores. Whichever is not given takes what
// the other leaves (at least 1); neither given, one file a core, each on one
// thread. Never more jobs than files.
struct CoreShare {
  unsigned jobs;
  unsigned threads;
};
CoreShare ShareCores(const CommandLine& line, std::size_t files, unsigned cores);

// A whole number from INT32_MIN to INT32_MAX, digits with an optional sign only.
bool ParsePercent(const std::string& text, std::int32_t& percent);

// A number of bytes: digits, then K, M or G (powers of 1024) or nothing;
// at least 1 byte and at most 2^63 - 1.
bool ParseSize(const std::string& text, std::int64_t& bytes);

// --name's TEMPLATE: %s and %% the only marks after '%', no path separator,
// not empty. False with the problem in words for the user.
bool CheckNameTemplate(const std::string& text, std::string& problem);

// The name a result takes under TEMPLATE: %s the source's file name without
// its last extension ("a.tar.bmp" -> "a.tar", ".bmp" kept whole), %% a '%'.
std::string NameFromTemplate(const std::string& text, const std::string& sourceName);

// --region's value: X,Y,W,H, whole numbers without signs, W and H at least 1.
bool ParseRegion(const std::string& text, CommandLine::Region& region);

// The memory limit of each file's resize when jobs files are resized at
// once: the command line's limit (or the library's default) shared evenly.
std::int64_t MemoryLimitPerFile(const CommandLine& line, unsigned jobs);
