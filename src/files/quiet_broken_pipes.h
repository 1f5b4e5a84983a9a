// SPDX-License-Identifier: MIT
// Held while a resize runs: the calling thread takes no SIGPIPE meanwhile, so
// that a pipe or socket whose reader is gone fails its write with EPIPE, which
// the result then carries, rather than ending the caller's process. A SIGPIPE
// that the resize raised is taken back before the thread's signals are as
// they were; one that was already waiting is left. Threads the resize starts
// inherit the mask. Nothing on Windows, which has no SIGPIPE.
#pragma once

#ifndef _WIN32
#include <signal.h>
#endif

namespace bmpresize {

class QuietBrokenPipes {
 public:
  QuietBrokenPipes();
  ~QuietBrokenPipes();
  QuietBrokenPipes(const QuietBrokenPipes&) = delete;
  QuietBrokenPipes& operator=(const QuietBrokenPipes&) = delete;

#ifndef _WIN32
 private:
  sigset_t before_;
  bool waitingBefore_ = false;
#endif
};

}  // namespace bmpresize
