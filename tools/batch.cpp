// SPDX-License-Identifier: MIT
#include "batch.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "forced_exit.h"
#include "interrupts.h"
#include "place_keys.h"
#include "result_words.h"
#include "visible_text.h"

namespace fs = std::filesystem;

namespace {

bool IsSeparator(char c) {
#ifdef _WIN32
  return c == '/' || c == '\\' || c == ':';
#else
  return c == '/';
#endif
}

std::string BaseName(const std::string& path) {
  std::size_t at = path.size();
  while (at > 0 && !IsSeparator(path[at - 1])) --at;
  return path.substr(at);
}

// Two names that the file system takes for the same file.
std::string NameKey(std::string name) {
#ifdef _WIN32
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
#endif
  return name;
}

std::string Duration(double seconds) {
  const long total = static_cast<long>(seconds + 0.5);
  char text[32];
  if (total >= 3600)
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
  else
    std::snprintf(text, sizeof text, "%ld:%02ld", total / 60, total % 60);
  return text;
}

class Progress {
 public:
  Progress(std::size_t files, std::uint64_t bytes) : files_(files), bytes_(bytes) {}

  void Draw(std::size_t done, std::uint64_t bytesDone, double seconds) {
    // The first moments and the first few small files say little about the
    // speed: no estimate before half a second and a hundredth of the bytes.
    std::string speed = "--.- MB/s", left = "--:--";
    if (seconds >= 0.5 && bytesDone > 0 && bytesDone >= bytes_ / 100) {
      const double rate = static_cast<double>(bytesDone) / seconds;
      char text[32];
      std::snprintf(text, sizeof text, "%.1f MB/s", rate / 1e6);
      speed = text;
      left = Duration(static_cast<double>(bytes_ - std::min(bytes_, bytesDone)) / rate);
    }
    char line[160];
    std::snprintf(line, sizeof line, "bmpresize: %zu/%zu files, %s, %s left", done, files_, speed.c_str(),
                  left.c_str());
    Show(line);
  }
  void Clear() { Show(""); }

 private:
  // Overwrites the line in place; spaces rather than an escape sequence, so
  // that every console shows it the same.
  void Show(const std::string& text) {
    const std::size_t pad = width_ > text.size() ? width_ - text.size() : 0;
    std::fprintf(stderr, "\r%s%*s", text.c_str(), static_cast<int>(pad), "");
    if (pad > 0) std::fprintf(stderr, "\r%s", text.c_str());
    std::fflush(stderr);
    width_ = text.size();
  }

  std::size_t files_;
  std::uint64_t bytes_;
  std::size_t width_ = 0;
};

// What a user changes to part results that clash.
std::string ChooseAnother(const CommandLine& line) {
  return line.directory.empty() ? "choose another --name" : "choose another DIRECTORY";
}

// Each result that would land on another result or on a source, its own or
// another's (by the library's keys, which follow links as its writes do):
// any of these would lose a picture without a word.
void RefuseClashingResults(const CommandLine& line, const std::vector<BatchItem>& items,
                           std::vector<std::string>& problems) {
  const std::string hint = ChooseAnother(line);
  std::map<std::string, std::size_t> results;  // where a result lands -> its item
  for (std::size_t i = 0; i < items.size(); ++i) {
    const std::string landing = PlaceKey(items[i].destination);
    if (landing.empty()) continue;
    const auto [at, fresh] = results.emplace(landing, i);
    if (!fresh) {
      const BatchItem& first = items[at->second];
      problems.push_back(first.source + " and " + items[i].source + " would both be written to one file: " +
                         first.destination + " and " + items[i].destination + " name the same file; " + hint);
    }
  }
  for (std::size_t i = 0; i < items.size(); ++i) {
    const std::string landing = PlaceKey(items[i].source);
    if (landing.empty()) continue;
    const auto at = results.find(landing);
    if (at == results.end()) continue;
    const std::size_t result = at->second;
    if (result == i) {
      problems.push_back(items[i].source + ": its result would overwrite it; " + hint);
    } else {
      problems.push_back(items[result].source + ": its result " + items[result].destination + " would overwrite " +
                         items[i].source + ", another source of this batch; " + hint);
    }
  }
}

// The result of a file that an interrupt kept from starting.
bmpresize_result NotStarted() {
  bmpresize_result result{};
  result.code = BMPRESIZE_DESTINATION_FAILED;
  result.cause = BMPRESIZE_CAUSE_CANCELLED;
  return result;
}

// Where the result of source goes: under its own name or the --name
// template's, in DIRECTORY or, without one, beside the source.
std::string ResultPath(const CommandLine& line, const std::string& source, const std::string& name) {
  std::string folder = line.directory;
  if (folder.empty()) folder = source.substr(0, source.size() - name.size());
  if (!folder.empty() && !IsSeparator(folder.back())) folder += '/';
  return folder + (line.name.empty() ? name : NameFromTemplate(line.name, name));
}

}  // namespace

bool PlanBatch(const CommandLine& line, std::vector<BatchItem>& items, std::vector<std::string>& problems) {
  items.clear();
  problems.clear();
  const std::string where = line.directory.empty() ? "beside it" : "under " + line.directory;
  std::map<std::string, std::size_t> taken;  // destination path -> first source
  for (const std::string& source : line.sources) {
    const std::string name = BaseName(source);
    if (source == "-") {
      problems.push_back("'-' (standard input) cannot be part of a batch: its result would have no name");
      continue;
    }
    if (name.empty() || name == "." || name == "..") {
      problems.push_back(source + ": has no file name of its own to write " + where);
      continue;
    }
    BatchItem item{source, ResultPath(line, source, name), 0};
    std::error_code ec;
    try {
      const std::uintmax_t size = fs::file_size(fs::u8path(source), ec);
      item.bytes = ec ? 0 : size;
    } catch (...) {
      // A name the file system cannot take fails in its own resize.
    }
    const auto [at, fresh] = taken.emplace(NameKey(item.destination), items.size());
    if (!fresh) {
      problems.push_back(items[at->second].source + " and " + source + " would both be written to " +
                         items[at->second].destination);
      continue;
    }
    items.push_back(item);
  }
  RefuseClashingResults(line, items, problems);
  return problems.empty();
}

bmpresize_options OptionsFor(const CommandLine& line) {
  bmpresize_options options;
  bmpresize_options_init(&options);
  options.percent = line.percent;
  options.threads = static_cast<std::int32_t>(line.threads);
  options.cancel = CatchInterrupts();
  options.strict = line.strict;
  options.sync = line.sync;
  options.memory_limit = line.memoryLimit;
  options.region_x = line.region.x;
  options.region_y = line.region.y;
  options.region_width = line.region.width;
  options.region_height = line.region.height;
  options.filter = line.filter;
  options.depth = line.depth;
  if (line.grey) options.flags |= BMPRESIZE_GREY;
  if (line.linear) options.flags |= BMPRESIZE_LINEAR;
  ApplySizeOptions(line.size, options);
  return options;
}

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// The files of a batch, resized on several threads that each take the next
// file not yet started, while the calling thread redraws the progress line.
class BatchRun {
 public:
  BatchRun(const CommandLine& line, const std::vector<BatchItem>& items)
      : items_(items), options_(OptionsFor(line)), results_(items.size()) {
    const CoreShare share = ShareCores(line, items.size(), std::thread::hardware_concurrency());
    jobs_ = share.jobs;
    options_.threads = static_cast<std::int32_t>(share.threads);
    // The files resized at once share the limit.
    options_.memory_limit = MemoryLimitPerFile(line, jobs_);
  }

  std::vector<bmpresize_result> Run(Progress* progress, Clock::time_point start) {
    if (progress) progress->Draw(0, 0, 0);
    std::vector<std::thread> workers;
    for (unsigned j = 0; j < jobs_; ++j) {
      try {
        workers.emplace_back([this] { Work(); });
      } catch (...) {
        break;  // fewer threads than asked for still finish the batch
      }
    }
    if (workers.empty()) Work();
    {
      std::unique_lock<std::mutex> lock(mutex_);
      // Redrawn five times a second at most, however many small files finish.
      while (done_ < items_.size()) {
        if (progress) progress->Draw(done_, bytesDone_, SecondsSince(start));
        changed_.wait_for(lock, std::chrono::milliseconds(200), [&] { return done_ == items_.size(); });
      }
    }
    for (std::thread& worker : workers) worker.join();
    if (progress) progress->Clear();
    return std::move(results_);
  }

  // The files resized at once, each within its share of the memory limit.
  unsigned Jobs() const { return jobs_; }

 private:
  void Work() {
    for (std::size_t i; (i = next_.fetch_add(1)) < items_.size();) {
      // Once interrupted no new file starts.
      if (InterruptSignal() != 0) {
        results_[i] = NotStarted();
      } else if (bmpresize_file(items_[i].source.c_str(), items_[i].destination.c_str(), &options_, &results_[i]) ==
                 BMPRESIZE_OK) {
        CountWrittenFile();
      }
      {
        std::lock_guard<std::mutex> lock(mutex_);
        ++done_;
        bytesDone_ += items_[i].bytes;
      }
      changed_.notify_all();
    }
  }

  const std::vector<BatchItem>& items_;
  bmpresize_options options_;
  std::vector<bmpresize_result> results_;
  unsigned jobs_ = 1;
  std::atomic<std::size_t> next_{0};
  std::mutex mutex_;
  std::condition_variable changed_;
  std::size_t done_ = 0;
  std::uint64_t bytesDone_ = 0;
};

// What a batch came to: the lines to print and what was written.
struct Tally {
  std::vector<std::string> failures, warnings, partial;
  std::size_t written = 0;
  std::uint64_t bytesWritten = 0;  // of the sources whose result was written
};

// A size as --memory-limit takes it: in the largest of G, M and K that it is
// a whole number of.
std::string SizeText(std::int64_t bytes) {
  static const char kUnits[] = "GMK";
  for (int i = 0; i < 3; ++i) {
    const std::int64_t unit = std::int64_t{1} << (10 * (3 - i));
    if (bytes % unit == 0) return std::to_string(bytes / unit) + kUnits[i];
  }
  return std::to_string(bytes);
}

// The sentence for a file's result. A file refused for memory when jobs files
// are resized at once was held to its share of the limit, and the sentence
// says so, with the whole that was given.
std::string FileWords(const bmpresize_result& result, const BatchItem& item, const CommandLine& line, unsigned jobs) {
  const std::string words = Described(result, item.source, item.destination);
  const std::string limitWords = ", more than the memory limit of ";
  const std::size_t at = words.find(limitWords);
  if (result.cause != BMPRESIZE_CAUSE_MEMORY_LIMIT || jobs < 2 || at == std::string::npos)
    return words + ToolHint(result);
  const bool given = line.memoryLimit > 0;
  const std::string whole =
      given ? "--memory-limit " + SizeText(line.memoryLimit)
            : "the default memory limit of " + std::to_string(BMPRESIZE_DEFAULT_MEMORY_LIMIT >> 20) + " MiB";
  return words.substr(0, at) + ", more than the " + words.substr(at + limitWords.size()) + " share of " + whole +
         " for each of " + std::to_string(jobs) + " files at once" + (given ? "" : ToolHint(result));
}

Tally TallyOf(const std::vector<BatchItem>& items, const std::vector<bmpresize_result>& results,
              const CommandLine& line, unsigned jobs) {
  Tally tally;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const bmpresize_result& result = results[i];
    const std::string words = FileWords(result, items[i], line, jobs);
    if (result.code == BMPRESIZE_OK) {
      ++tally.written;
      tally.bytesWritten += items[i].bytes;
      if (!words.empty()) tally.warnings.push_back(words);
    } else if (result.cause == BMPRESIZE_CAUSE_CANCELLED) {
      if (result.partial_left) tally.partial.push_back(items[i].destination);
    } else {
      tally.failures.push_back(words);
    }
  }
  return tally;
}

std::string Interrupted(const Tally& tally, std::size_t total) {
  std::string left = "nothing partial left";
  if (!tally.partial.empty()) {
    left = std::to_string(tally.partial.size()) + " left partial (rewritten in place, their folder takes no new file):";
    for (const std::string& name : tally.partial) left += " " + name;
  }
  return "interrupted: " + std::to_string(tally.written) + " of " + std::to_string(total) + " files written, " + left;
}

std::string Summary(const CommandLine& line, const Tally& tally, std::size_t total, double elapsed) {
  // A speed only over what was resized: failed files are read in part or
  // not at all.
  char rate[64];
  if (tally.written > 0 && elapsed > 0)
    std::snprintf(rate, sizeof rate, "%.1f s, %.1f MB/s", elapsed,
                  static_cast<double>(tally.bytesWritten) / elapsed / 1e6);
  else
    std::snprintf(rate, sizeof rate, "%.1f s", elapsed);
  std::string summary = "resized " +
                        (tally.failures.empty() ? std::to_string(total)
                                                : std::to_string(tally.written) + " of " + std::to_string(total)) +
                        (total == 1 ? " file" : " files") +
                        (line.directory.empty() ? " beside their sources" : " into " + line.directory) + " (" + rate +
                        ")";
  std::string counts;
  if (!tally.failures.empty()) counts = std::to_string(tally.failures.size()) + " failed";
  if (!tally.warnings.empty())
    counts += (counts.empty() ? "" : ", ") + std::to_string(tally.warnings.size()) +
              (tally.warnings.size() == 1 ? " warning" : " warnings");
  if (!counts.empty()) summary += "; " + counts + ":";
  return summary;
}

}  // namespace

int RunBatch(const CommandLine& line, const std::vector<BatchItem>& items, bool showProgress) {
  const Clock::time_point start = Clock::now();
  std::uint64_t totalBytes = 0;
  for (const BatchItem& item : items) totalBytes += item.bytes;
  Progress progress(items.size(), totalBytes);
  ExpectBatch(items.size(), showProgress);
  BatchRun run(line, items);
  const std::vector<bmpresize_result> results = run.Run(showProgress ? &progress : nullptr, start);
  const Tally tally = TallyOf(items, results, line, run.Jobs());
  // Read once: a signal that comes after the summary is out finds the work
  // done, and the exit status says what the lines said.
  const int stopSignal = InterruptSignal();
  if (stopSignal != 0) {
    if (ClaimInterruptedLine()) Say(Interrupted(tally, items.size()));
  } else if (!line.quiet) {
    Say(Summary(line, tally, items.size(), SecondsSince(start)));
  }
  for (const std::string& failure : tally.failures) Say(failure);
  for (const std::string& warning : tally.warnings) Say(warning);
  if (stopSignal != 0) return 128 + stopSignal;
  return tally.failures.empty() ? 0 : 1;
}
