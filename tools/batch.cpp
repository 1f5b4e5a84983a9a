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

#include "bmpfile/file_identity.h"
#include "bmpfile/file_system.h"
#include "interrupts.h"
#include "module/resize_file.h"
#include "reasons.h"

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

// The result of the batch that the source's file would become, if any: an
// existing file by its identity (so under any name, a hard link included), or
// by where the source's symbolic links lead, for a result yet to be written.
std::size_t ResultOverwriting(const std::string& source, const std::map<FileIdentity, std::size_t>& existing,
                              const std::map<std::string, std::size_t>& named, const FileIdentity* folder) {
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  FileIdentity identity;
  if (IdentityOf(source.c_str(), identity)) {
    const auto at = existing.find(identity);
    return at == existing.end() ? kNone : at->second;
  }
  const OwnedText target = FollowLinks(source.c_str());
  if (!target || folder == nullptr) return kNone;
  const std::string where(FolderPart(target.get()));
  if (!IdentityOf(where.empty() ? "." : where.c_str(), identity) || !(identity == *folder)) return kNone;
  const auto at = named.find(NameKey(std::string(NamePart(target.get()))));
  return at == named.end() ? kNone : at->second;
}

// Each source that a result of the batch would overwrite, its own or another.
void RefuseOverwrittenSources(const std::string& directory, const std::vector<BatchItem>& items,
                              std::vector<std::string>& problems) {
  std::map<FileIdentity, std::size_t> existing;
  std::map<std::string, std::size_t> named;
  for (std::size_t i = 0; i < items.size(); ++i) {
    FileIdentity identity;
    if (IdentityOf(items[i].destination.c_str(), identity)) existing.emplace(identity, i);
    named.emplace(NameKey(BaseName(items[i].destination)), i);
  }
  FileIdentity folder;
  const bool folderKnown = IdentityOf(directory.c_str(), folder);
  for (std::size_t i = 0; i < items.size(); ++i) {
    const std::size_t result = ResultOverwriting(items[i].source, existing, named, folderKnown ? &folder : nullptr);
    if (result == i) {
      problems.push_back(items[i].source + ": its result would overwrite it; choose another DIRECTORY");
    } else if (result < items.size()) {
      problems.push_back(items[result].source + ": its result " + items[result].destination + " would overwrite " +
                         items[i].source + ", another source of this batch; choose another DIRECTORY");
    }
  }
}

// The outcome of a file that an interrupt kept from starting.
ResizeOutcome NotStarted() {
  ResizeOutcome outcome;
  outcome.code = -2;
  outcome.destination = DestinationProblemKind::kCancelled;
  return outcome;
}

}  // namespace

bool PlanBatch(const CommandLine& line, std::vector<BatchItem>& items, std::vector<std::string>& problems) {
  items.clear();
  problems.clear();
  std::string folder = line.directory;
  if (!IsSeparator(folder.back())) folder += '/';
  std::map<std::string, std::size_t> taken;  // destination name -> first source
  for (const std::string& source : line.sources) {
    const std::string name = BaseName(source);
    if (source == "-") {
      problems.push_back("'-' (standard input) cannot be part of a batch: its result would have no name");
      continue;
    }
    if (name.empty() || name == "." || name == "..") {
      problems.push_back(source + ": has no file name of its own to write under " + line.directory);
      continue;
    }
    BatchItem item{source, folder + name, 0};
    std::error_code ec;
    try {
      const std::uintmax_t size = fs::file_size(fs::u8path(source), ec);
      item.bytes = ec ? 0 : size;
    } catch (...) {
      // A name the file system cannot take fails in its own resize.
    }
    const auto [at, fresh] = taken.emplace(NameKey(name), items.size());
    if (!fresh) {
      problems.push_back(items[at->second].source + " and " + source + " would both be written to " +
                         items[at->second].destination);
      continue;
    }
    items.push_back(item);
  }
  RefuseOverwrittenSources(line.directory, items, problems);
  return problems.empty();
}

ResizeOptions OptionsFor(const CommandLine& line) {
  ResizeOptions options;
  options.percent = line.percent;
  options.cancel = &CatchInterrupts();
  options.strict = line.strict;
  options.sync = line.sync;
  return options;
}

int RunBatch(const CommandLine& line, const std::vector<BatchItem>& items, bool showProgress) {
  const auto start = std::chrono::steady_clock::now();
  const std::size_t total = items.size();
  std::uint64_t totalBytes = 0;
  for (const BatchItem& item : items) totalBytes += item.bytes;

  std::vector<ResizeOutcome> outcomes(total);
  const ResizeOptions options = OptionsFor(line);
  std::atomic<std::size_t> next{0};
  std::mutex mutex;
  std::condition_variable changed;
  std::size_t done = 0;
  std::uint64_t bytesDone = 0;

  auto work = [&] {
    for (std::size_t i; (i = next.fetch_add(1)) < total;) {
      ResizeEnds ends;
      ends.sourcePath = items[i].source.c_str();
      ends.destinationPath = items[i].destination.c_str();
      // Once interrupted no new file starts.
      outcomes[i] = options.cancel->load() ? NotStarted() : ResizeFile(ends, options);
      {
        std::lock_guard<std::mutex> lock(mutex);
        ++done;
        bytesDone += items[i].bytes;
      }
      changed.notify_all();
    }
  };

  Progress progress(total, totalBytes);
  if (showProgress) progress.Draw(0, 0, 0);

  unsigned jobs = line.jobs != 0 ? line.jobs : std::max(1u, std::thread::hardware_concurrency());
  jobs = static_cast<unsigned>(std::min<std::size_t>(jobs, total));
  std::vector<std::thread> workers;
  for (unsigned j = 0; j < jobs; ++j) {
    try {
      workers.emplace_back(work);
    } catch (...) {
      break;  // fewer threads than asked for still finish the batch
    }
  }
  if (workers.empty()) work();

  auto seconds = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
  {
    std::unique_lock<std::mutex> lock(mutex);
    // Redrawn five times a second at most, however many small files finish.
    while (done < total) {
      if (showProgress) progress.Draw(done, bytesDone, seconds());
      changed.wait_for(lock, std::chrono::milliseconds(200), [&] { return done == total; });
    }
  }
  for (std::thread& worker : workers) worker.join();
  if (showProgress) progress.Clear();

  std::vector<std::string> failures, warnings, partial;
  std::size_t written = 0;
  std::uint64_t bytesWritten = 0;  // of the sources whose result was written
  for (std::size_t i = 0; i < total; ++i) {
    const ResizeOutcome& outcome = outcomes[i];
    const EndNames names{items[i].source, items[i].destination, items[i].source};
    if (outcome.code == 999) {
      ++written;
      bytesWritten += items[i].bytes;
    }
    const std::string warning = DescribeWarning(outcome, names);
    if (!warning.empty()) warnings.push_back(warning);
    if (outcome.destination == DestinationProblemKind::kCancelled) {
      if (outcome.partialLeft) partial.push_back(items[i].destination);
    } else if (outcome.code != 999) {
      failures.push_back(DescribeFailure(outcome, names));
    }
  }
  const double elapsed = seconds();
  if (InterruptSignal() != 0) {
    std::string left = "nothing partial left";
    if (!partial.empty()) {
      left = std::to_string(partial.size()) + " left partial (rewritten in place, their folder takes no new file):";
      for (const std::string& name : partial) left += " " + name;
    }
    std::fprintf(stderr, "bmpresize: interrupted: %zu of %zu files written, %s\n", written, total, left.c_str());
  } else if (!line.quiet) {
    // A speed only over what was resized: failed files are read in part or
    // not at all.
    char rate[64];
    if (written > 0 && elapsed > 0)
      std::snprintf(rate, sizeof rate, "%.1f s, %.1f MB/s", elapsed, static_cast<double>(bytesWritten) / elapsed / 1e6);
    else
      std::snprintf(rate, sizeof rate, "%.1f s", elapsed);
    std::string summary =
        "bmpresize: resized " +
        (failures.empty() ? std::to_string(total) : std::to_string(written) + " of " + std::to_string(total)) +
        (total == 1 ? " file" : " files") + " into " + line.directory + " (" + rate + ")";
    std::string counts;
    if (!failures.empty()) counts = std::to_string(failures.size()) + " failed";
    if (!warnings.empty())
      counts += (counts.empty() ? "" : ", ") + std::to_string(warnings.size()) +
                (warnings.size() == 1 ? " warning" : " warnings");
    if (!counts.empty()) summary += "; " + counts + ":";
    std::fprintf(stderr, "%s\n", summary.c_str());
  }
  for (const std::string& failure : failures) std::fprintf(stderr, "bmpresize: %s\n", failure.c_str());
  for (const std::string& warning : warnings) std::fprintf(stderr, "bmpresize: %s\n", warning.c_str());
  if (InterruptSignal() != 0) return 128 + InterruptSignal();
  return failures.empty() ? 0 : 1;
}
