// SPDX-License-Identifier: MIT
#include "forced_exit.h"

#include <atomic>
#include <cstdlib>

#include "bmpresize.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#ifdef BMPRESIZE_COVERAGE
// gcov's counters, written at exit but not by _exit (coverage builds only).
extern "C" void __gcov_dump(void);
#endif

namespace {

static_assert(ATOMIC_INT_LOCK_FREE != 0 && ATOMIC_POINTER_LOCK_FREE != 0, "read from a signal handler");
std::atomic<int> batchFiles{-1};  // -1: a single resize
std::atomic<int> filesWritten{0};
std::atomic<int> progressDrawn{0};
std::atomic<const char*> singleCutShort{nullptr};
std::atomic<int> lineClaimed{0};

// A line assembled without allocating.
class Line {
 public:
  void Add(const char* text) {
    while (*text != 0 && size_ < sizeof text_) text_[size_++] = *text++;
  }
  void Add(unsigned number) {
    char digits[16];
    int n = 0;
    do {
      digits[n++] = static_cast<char>('0' + number % 10);
      number /= 10;
    } while (number > 0);
    while (n > 0 && size_ < sizeof text_) text_[size_++] = digits[--n];
  }
  void WriteToStandardError() const {
#ifdef _WIN32
    (void)_write(2, text_, static_cast<unsigned>(size_));
#else
    for (std::size_t done = 0; done < size_;) {
      const ssize_t n = write(2, text_ + done, size_ - done);
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
#endif
  }

 private:
  char text_[1024];
  std::size_t size_ = 0;
};

void WriteInterruptedLine() {
  Line line;
  if (progressDrawn.load() != 0) line.Add("\r");
  line.Add("bmpresize: interrupted: ");
  const int files = batchFiles.load();
  if (files >= 0) {
    line.Add(static_cast<unsigned>(filesWritten.load()));
    line.Add(" of ");
    line.Add(static_cast<unsigned>(files));
    line.Add(" files written");
  } else {
    const char* cutShort = singleCutShort.load();
    line.Add(cutShort != nullptr ? cutShort : "nothing was written");
  }
  line.Add(", stopped at once by a second signal\n");
  line.WriteToStandardError();
}

}  // namespace

void ExpectBatch(std::size_t files, bool progress) {
  batchFiles.store(static_cast<int>(files));
  progressDrawn.store(progress ? 1 : 0);
}

void CountWrittenFile() { filesWritten.fetch_add(1); }

void ExpectOneResize(const char* cutShort) { singleCutShort.store(cutShort); }

bool ClaimInterruptedLine() { return lineClaimed.exchange(1) == 0; }

void EndAtOnce(int signal) {
  bmpresize_remove_temporary_files();
  if (ClaimInterruptedLine()) WriteInterruptedLine();
#ifdef BMPRESIZE_COVERAGE
  __gcov_dump();
#endif
  _exit(128 + signal);
}
