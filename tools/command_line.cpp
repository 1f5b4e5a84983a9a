// SPDX-License-Identifier: MIT
#include "command_line.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <limits>

#include "bmpresize.h"

namespace {

constexpr unsigned kMaxJobs = 1024;

// A count of jobs or threads.
bool ParseCount(const std::string& text, unsigned& jobs) {
  if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0]))) return false;
  errno = 0;
  char* end = nullptr;
  const unsigned long value = std::strtoul(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || value < 1 || value > kMaxJobs) return false;
  jobs = static_cast<unsigned>(value);
  return true;
}

// "-5" is a negative percent, not an option.
bool LooksLikeOption(const std::string& arg) {
  return arg.size() > 1 && arg[0] == '-' && !std::isdigit(static_cast<unsigned char>(arg[1]));
}

std::string PercentProblem(const std::string& text) {
  return "PERCENT must be a whole number from 1 to 2147483647 (50 or 50%), not \"" + text + "\"";
}

// The whole number a PERCENT of the command line holds, with or without '%'
// after it; false when it holds none.
bool PercentNumber(const std::string& text, std::int32_t& percent) {
  const bool sign = !text.empty() && text.back() == '%';
  return ParsePercent(sign ? text.substr(0, text.size() - 1) : text, percent);
}

// A PERCENT of the command line: a whole number of 1 or more, with or
// without '%' after it.
bool TakePercent(const std::string& text, std::int32_t& percent, std::string& problem) {
  if (!PercentNumber(text, percent)) {
    problem = PercentProblem(text);
    return false;
  }
  if (percent >= 1) return true;
  problem = "PERCENT must be 1 or more";
  return false;
}

}  // namespace

bool ParsePercent(const std::string& text, std::int32_t& percent) {
  // strtoll would skip leading white space; a percent is only digits and a sign.
  if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) return false;
  errno = 0;
  char* end = nullptr;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || end == text.c_str() || value < INT32_MIN || value > INT32_MAX) return false;
  percent = static_cast<std::int32_t>(value);
  return true;
}

bool ParseSize(const std::string& text, std::int64_t& bytes) {
  if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0]))) return false;
  errno = 0;
  char* end = nullptr;
  const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
  if (errno != 0) return false;
  int shift = 0;
  if (*end != '\0') {
    const char unit = static_cast<char>(std::toupper(static_cast<unsigned char>(*end++)));
    shift = unit == 'K' ? 10 : unit == 'M' ? 20 : unit == 'G' ? 30 : -1;
  }
  constexpr auto kMost = static_cast<unsigned long long>(std::numeric_limits<std::int64_t>::max());
  if (shift < 0 || *end != '\0' || value < 1 || value > kMost >> shift) return false;
  bytes = static_cast<std::int64_t>(value << shift);
  return true;
}

namespace {

// A whole number from low to 2^31 - 1, digits only, from text at i up to
// the next comma or the end; i moves past the comma.
bool TakeRegionNumber(const std::string& text, std::size_t& i, std::int32_t low, std::int32_t& number) {
  if (i > text.size()) return false;
  const std::size_t end = std::min(text.find(',', i), text.size());
  const std::string digits = text.substr(i, end - i);
  i = end + 1;
  if (digits.empty() || digits.size() > 10 ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
    return false;
  const long long value = std::strtoll(digits.c_str(), nullptr, 10);
  if (value < low || value > INT32_MAX) return false;
  number = static_cast<std::int32_t>(value);
  return true;
}

}  // namespace

// What may not stand in a name made by --name: a folder separator, or on
// Windows a drive's colon too.
#ifdef _WIN32
constexpr char kSeparators[] = "/\\:";
#else
constexpr char kSeparators[] = "/\\";
#endif

bool CheckNameTemplate(const std::string& text, std::string& problem) {
  const std::string why = text.empty()                                           ? "is empty"
                          : text.find_first_of(kSeparators) != std::string::npos ? "holds a folder separator"
                                                                                 : "";
  for (std::size_t i = 0; why.empty() && i < text.size(); ++i) {
    if (text[i] != '%') continue;
    if (i + 1 < text.size() && (text[i + 1] == 's' || text[i + 1] == '%')) {
      ++i;
      continue;
    }
    problem = "option --name takes %s (the source's name without its extension) and %% (a '%') only, not \"" +
              text.substr(i, 2) + "\" in \"" + text + "\"";
    return false;
  }
  if (why.empty()) return true;
  problem = "option --name needs a file name TEMPLATE such as tn_%s.bmp; \"" + text + "\" " + why;
  return false;
}

std::string NameFromTemplate(const std::string& text, const std::string& sourceName) {
  const std::size_t dot = sourceName.rfind('.');
  const std::string stem = dot == std::string::npos || dot == 0 ? sourceName : sourceName.substr(0, dot);
  std::string name;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size()) {
      name += text[++i] == 's' ? stem : "%";
    } else {
      name += text[i];
    }
  }
  return name;
}

bool ParseRegion(const std::string& text, CommandLine::Region& region) {
  std::size_t i = 0;
  CommandLine::Region parsed;
  const bool numbers = TakeRegionNumber(text, i, 0, parsed.x) && TakeRegionNumber(text, i, 0, parsed.y) &&
                       TakeRegionNumber(text, i, 1, parsed.width) && TakeRegionNumber(text, i, 1, parsed.height);
  if (!numbers || i != text.size() + 1) return false;
  region = parsed;
  return true;
}

std::int64_t MemoryLimitPerFile(const CommandLine& line, unsigned jobs) {
  const std::int64_t limit = line.memoryLimit > 0 ? line.memoryLimit : BMPRESIZE_DEFAULT_MEMORY_LIMIT;
  return std::max<std::int64_t>(1, limit / std::max(1u, jobs));
}

namespace {

constexpr char kMemoryLimit[] = "--memory-limit";
constexpr char kRegion[] = "--region";
constexpr char kName[] = "--name";

// The options that take a value, each allowed once.
struct Seen {
  bool directory = false;
  bool percent = false;
  bool jobs = false;
  bool threads = false;
  bool memoryLimit = false;
  bool region = false;
  bool filter = false;
  bool depth = false;
  bool name = false;
  SizeOptionsSeen size;
};

// Whether arg is the long option name, alone or with '=' and its value.
bool IsLongOption(const std::string& arg, const std::string& name) {
  return arg == name || arg.rfind(name + "=", 0) == 0;
}

// A long option's value: after '=' or in the next argument, which i then
// moves past; what is named says what the value is. False with the problem
// when it has none or was given before.
bool TakeLongValue(const std::vector<std::string>& args, std::size_t& i, const std::string& name, const char* what,
                   bool& seen, std::string& value, std::string& problem) {
  const std::string& arg = args[i];
  if (arg.size() > name.size()) {
    value = arg.substr(name.size() + 1);
  } else if (i + 1 < args.size()) {
    value = args[++i];
  } else {
    problem = "option " + name + " needs " + what;
    return false;
  }
  if (seen) {
    problem = "option " + name + " is given twice";
    return false;
  }
  seen = true;
  return true;
}

// --memory-limit and its value.
bool TakeMemoryLimit(const std::vector<std::string>& args, std::size_t& i, CommandLine& line, Seen& seen,
                     std::string& problem) {
  std::string value;
  if (!TakeLongValue(args, i, kMemoryLimit, "a SIZE", seen.memoryLimit, value, problem)) return false;
  if (ParseSize(value, line.memoryLimit)) return true;
  problem =
      "option --memory-limit needs a SIZE in bytes, a whole number with K, M or G after it or nothing "
      "(512M, 2G), not \"" +
      value + "\"";
  return false;
}

// An option of the size or the resolution and its value.
bool TakeSizeValue(const std::vector<std::string>& args, std::size_t& i, const std::string& name, CommandLine& line,
                   Seen& seen, std::string& problem) {
  std::string value;
  const char* what = name == "--dpi" ? "dots per inch" : name == "--resize" ? "a GEOMETRY" : "a size in pixels";
  if (!TakeLongValue(args, i, name, what, seen.size.Of(name), value, problem)) return false;
  return TakeSizeOption(name, value, line.size, seen.size, problem);
}

// --region and its value.
bool TakeRegion(const std::vector<std::string>& args, std::size_t& i, CommandLine& line, Seen& seen,
                std::string& problem) {
  std::string value;
  if (!TakeLongValue(args, i, kRegion, "X,Y,W,H", seen.region, value, problem)) return false;
  if (ParseRegion(value, line.region)) return true;
  problem =
      "option --region needs X,Y,W,H, four whole numbers: the top-left corner from 0 and the width and height "
      "from 1, not \"" +
      value + "\"";
  return false;
}

// --name and its TEMPLATE.
bool TakeName(const std::vector<std::string>& args, std::size_t& i, CommandLine& line, Seen& seen,
              std::string& problem) {
  std::string value;
  if (!TakeLongValue(args, i, kName, "a TEMPLATE", seen.name, value, problem)) return false;
  line.name = value;
  return CheckNameTemplate(value, problem);
}

constexpr char kFilter[] = "--filter";

// --filter and its name.
bool TakeFilter(const std::vector<std::string>& args, std::size_t& i, CommandLine& line, Seen& seen,
                std::string& problem) {
  static const char* const kNames[] = {"point", "area", "linear", "cubic", "mitchell", "lanczos2", "lanczos3"};
  static_assert(sizeof kNames / sizeof kNames[0] == BMPRESIZE_FILTER_LANCZOS3 + 1, "a name for every filter");
  constexpr char kList[] = "point, area, linear, cubic, mitchell, lanczos2 or lanczos3";
  std::string value;
  if (!TakeLongValue(args, i, kFilter, kList, seen.filter, value, problem)) return false;
  for (std::int16_t filter = 0; filter < static_cast<std::int16_t>(sizeof kNames / sizeof kNames[0]); ++filter) {
    if (value != kNames[filter]) continue;
    line.filter = filter;  // BMPRESIZE_FILTER_POINT ... BMPRESIZE_FILTER_LANCZOS3, in this order
    return true;
  }
  problem = std::string("option --filter needs ") + kList + ", not \"" + value + "\"";
  return false;
}

constexpr char kDepth[] = "--depth";

// --depth and its value: 1, 4, 8, 16, 24 or 32.
bool TakeDepth(const std::vector<std::string>& args, std::size_t& i, CommandLine& line, Seen& seen,
               std::string& problem) {
  std::string value;
  if (!TakeLongValue(args, i, kDepth, "a number of bits", seen.depth, value, problem)) return false;
  for (const int depth : {1, 4, 8, 16, 24, 32}) {
    if (value == std::to_string(depth)) {
      line.depth = static_cast<std::int16_t>(depth);
      return true;
    }
  }
  problem = "option --depth needs 1, 4, 8, 16, 24 or 32 bits, not \"" + value + "\"";
  return false;
}

// A flag without a value (-q, --strict, --sync, --no-enlarge,
// --keep-resolution); false for any other.
bool TakeFlag(const std::string& arg, CommandLine& line) {
  if (TakeSizeFlag(arg, line.size)) return true;
  if (arg == "-q" || arg == "--quiet") {
    line.quiet = true;
  } else if (arg == "--strict" || arg == "--sync") {
    (arg == "--strict" ? line.strict : line.sync) = true;
  } else if (arg == "--grey" || arg == "--linear") {
    (arg == "--grey" ? line.grey : line.linear) = true;
  } else {
    return false;
  }
  return true;
}

// The value of -o, -p, -j or -t, into line.
bool TakeValue(char letter, const std::string& value, CommandLine& line, std::string& problem) {
  if (letter == 'o') {
    if (value.empty()) {
      problem = "option -o needs a DIRECTORY, not an empty name";
      return false;
    }
    line.directory = value;
  } else if (letter == 'p') {
    if (!TakePercent(value, line.percent, problem)) return false;
  } else if (!ParseCount(value, letter == 'j' ? line.jobs : line.threads)) {
    problem = std::string("option -") + letter + " needs a number of " + (letter == 'j' ? "jobs" : "threads") +
              " from 1 to " + std::to_string(kMaxJobs) + ", not \"" + value + "\"";
    return false;
  }
  return true;
}

// The option at args[i] that takes a value, and its value: in the same
// argument (-j4) or in the next one, which i then moves past.
bool TakeOption(const std::vector<std::string>& args, std::size_t& i, CommandLine& line, Seen& seen,
                std::string& problem) {
  const std::string& arg = args[i];
  if (arg == "--help" || arg == "-h" || arg == "--version") {
    problem = arg + " takes no other arguments";
    return false;
  }
  const char letter = arg.size() >= 2 && arg[0] == '-' && arg[1] != '-' ? arg[1] : '\0';
  if (letter != 'o' && letter != 'p' && letter != 'j' && letter != 't') {
    problem = "unknown option '" + arg + "'";
    return false;
  }
  std::string value;
  if (arg.size() > 2) {
    value = arg.substr(2);
  } else if (i + 1 < args.size()) {
    value = args[++i];
  } else {
    problem = std::string("option -") + letter + " needs " +
              (letter == 'o'   ? "a DIRECTORY"
               : letter == 'p' ? "a PERCENT"
               : letter == 'j' ? "a number of jobs"
                               : "a number of threads");
    return false;
  }
  bool& given = letter == 'o'   ? seen.directory
                : letter == 'p' ? seen.percent
                : letter == 'j' ? seen.jobs
                                : seen.threads;
  if (given) {
    problem = std::string("option -") + letter + " is given twice";
    return false;
  }
  given = true;
  return TakeValue(letter, value, line, problem);
}

constexpr char kSizeOptions[] = "a size (--width, --height, --size, --fit, --cover, --resize)";

// What a size beside a percent is told.
std::string PercentAndSize() { return std::string("give either PERCENT or ") + kSizeOptions + ", not both"; }

// --info and --json: every argument is a source; nothing is written, so the
// options of writing have no place.
bool TakeInfoFlag(const std::string& arg, CommandLine& line) {
  if (arg != "--info" && arg != "--json") return false;
  line.mode = CommandLine::Mode::kInfo;
  if (arg == "--json") line.json = true;
  return true;
}

// The first option given that only a resize uses, or null.
const char* ResizeOption(const Seen& seen, const CommandLine& line) {
  if (seen.directory) return "-o";
  if (seen.name) return "--name";
  if (seen.percent) return "-p";
  if (seen.jobs) return "-j";
  if (seen.threads) return "-t";
  if (line.sync) return "--sync";
  if (line.size.HasSize() || line.size.noEnlarge) return "a size option";
  if (seen.size.dpi || line.size.keepResolution) return "a resolution option";
  if (seen.region) return "--region";
  if (seen.filter) return "--filter";
  if (seen.depth) return "--depth";
  if (line.grey) return "--grey";
  if (line.linear) return "--linear";
  return nullptr;
}

bool FinishInfo(const std::vector<std::string>& positional, const Seen& seen, CommandLine& line, std::string& problem) {
  const char* writing = ResizeOption(seen, line);
  if (writing != nullptr) {
    problem = std::string("--info writes nothing: ") + writing + " has no place beside it";
    return false;
  }
  if (positional.empty()) {
    problem = "--info needs at least one SOURCE";
    return false;
  }
  line.sources = positional;
  return true;
}

bool FinishBatch(const std::vector<std::string>& positional, const Seen& seen, CommandLine& line,
                 std::string& problem) {
  line.mode = CommandLine::Mode::kBatch;
  if (positional.empty()) {
    problem = seen.directory ? "no SOURCE files given for -o " + line.directory : "no SOURCE files given for --name";
    return false;
  }
  if (seen.percent && line.size.HasSize()) {
    problem = PercentAndSize();
    return false;
  }
  if (!seen.percent && !line.size.HasSize()) {
    problem = std::string(seen.directory ? "-o DIRECTORY" : "--name TEMPLATE") + " needs -p PERCENT or " +
              kSizeOptions + " as well";
    return false;
  }
  line.sources = positional;
  return true;
}

// -p without -o: true beside SOURCE DESTINATION alone. Beside SOURCE
// DESTINATION PERCENT the percent is given twice; beside other names it is a
// batch whose -o was left out.
bool PercentOptionFits(const std::vector<std::string>& positional, const CommandLine& line, std::string& problem) {
  std::int32_t given = 0;
  if (positional.size() == 3 && PercentNumber(positional[2], given)) {
    problem = "PERCENT is given twice, as " + positional[2] + " and as -p " + std::to_string(line.percent) +
              ": give SOURCE DESTINATION PERCENT for one file, or SOURCE... -o DIRECTORY -p PERCENT for a batch";
    return false;
  }
  if (positional.size() != 2) {
    problem =
        "-p PERCENT without -o DIRECTORY: give SOURCE... -o DIRECTORY -p PERCENT for a batch, "
        "or SOURCE DESTINATION PERCENT for one file";
    return false;
  }
  return true;
}

bool FinishSingle(const std::vector<std::string>& positional, const Seen& seen, CommandLine& line,
                  std::string& problem) {
  line.mode = CommandLine::Mode::kSingle;
  if (line.size.HasSize() && (seen.percent || positional.size() == 3)) {
    problem = PercentAndSize();
    return false;
  }
  if (line.size.HasSize()) {
    if (positional.size() != 2) {
      problem = "expected SOURCE DESTINATION with " + std::string(kSizeOptions) + ", got " +
                std::to_string(positional.size()) + (positional.size() == 1 ? " argument" : " arguments");
      if (positional.size() > 2) problem += "; for several files give SOURCE... -o DIRECTORY";
      return false;
    }
    line.sources = {positional[0]};
    line.destination = positional[1];
    return true;
  }
  if (seen.percent && !PercentOptionFits(positional, line, problem)) return false;
  if (positional.size() != 3 && !seen.percent) {
    problem = "expected SOURCE DESTINATION PERCENT, got " + std::to_string(positional.size()) +
              (positional.size() == 1 ? " argument" : " arguments");
    if (positional.size() > 3) problem += "; for several files give SOURCE... -o DIRECTORY -p PERCENT";
    return false;
  }
  if (!seen.percent && !TakePercent(positional[2], line.percent, problem)) return false;
  line.sources = {positional[0]};
  line.destination = positional[1];
  return true;
}

// The option at args[i] that is not -- nor a name: a long option with a
// value, a flag, or a short option with a value. False with the problem.
bool TakeLongOption(const std::vector<std::string>& args, std::size_t& i, CommandLine& line, Seen& seen,
                    std::string& problem) {
  const std::string& arg = args[i];
  if (IsLongOption(arg, kMemoryLimit)) return TakeMemoryLimit(args, i, line, seen, problem);
  if (IsLongOption(arg, kRegion)) return TakeRegion(args, i, line, seen, problem);
  if (IsLongOption(arg, kName)) return TakeName(args, i, line, seen, problem);
  if (IsLongOption(arg, kFilter)) return TakeFilter(args, i, line, seen, problem);
  if (IsLongOption(arg, kDepth)) return TakeDepth(args, i, line, seen, problem);
  if (!SizeOptionName(arg).empty()) return TakeSizeValue(args, i, SizeOptionName(arg), line, seen, problem);
  return TakeFlag(arg, line) || TakeInfoFlag(arg, line) || TakeOption(args, i, line, seen, problem);
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& line, std::string& problem) {
  line = CommandLine();
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h" || args[0] == "--version")) {
    if (args.size() != 1) {
      problem = args[0] + " takes no other arguments";
      return false;
    }
    line.mode = args[0] == "--version" ? CommandLine::Mode::kVersion : CommandLine::Mode::kHelp;
    return true;
  }
  std::vector<std::string> positional;
  Seen seen;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || !LooksLikeOption(arg)) {
      positional.push_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (!TakeLongOption(args, i, line, seen, problem)) {
      return false;
    }
  }
  if (line.grey && line.depth > 8) {
    problem = "--grey writes 1, 4 or 8 bits, not --depth " + std::to_string(line.depth);
    return false;
  }
  if (line.mode == CommandLine::Mode::kInfo) return FinishInfo(positional, seen, line, problem);
  if (line.linear && line.filter == BMPRESIZE_FILTER_POINT) {
    problem = "--linear averages light with --filter area or a convolution filter, not point";
    return false;
  }
  if (seen.size.dpi && line.size.keepResolution) {
    problem = "option --dpi and --keep-resolution both give the resolution: give one";
    return false;
  }
  const bool batch = seen.directory || seen.name;
  return batch ? FinishBatch(positional, seen, line, problem) : FinishSingle(positional, seen, line, problem);
}

CoreShare ShareCores(const CommandLine& line, std::size_t files, unsigned cores) {
  cores = std::max(1u, cores);
  unsigned jobs = line.jobs;
  if (jobs == 0) jobs = line.threads != 0 ? std::max(1u, cores / line.threads) : cores;
  jobs = static_cast<unsigned>(std::max<std::size_t>(1, std::min<std::size_t>(jobs, files)));
  const unsigned threads = line.threads != 0 ? line.threads : std::max(1u, cores / jobs);
  return {jobs, threads};
}
