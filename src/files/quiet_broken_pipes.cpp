// SPDX-License-Identifier: MIT
#include "files/quiet_broken_pipes.h"

#ifndef _WIN32
#include <pthread.h>

#include <ctime>
#endif

namespace bmpresize {

#ifdef _WIN32

QuietBrokenPipes::QuietBrokenPipes() = default;
QuietBrokenPipes::~QuietBrokenPipes() = default;

#else

namespace {

sigset_t BrokenPipe() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGPIPE);
  return set;
}

bool Waiting() {
  sigset_t pending;
  return sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
}

}  // namespace

QuietBrokenPipes::QuietBrokenPipes() {
  const sigset_t brokenPipe = BrokenPipe();
  (void)pthread_sigmask(SIG_BLOCK, &brokenPipe, &before_);
  waitingBefore_ = Waiting();
}

QuietBrokenPipes::~QuietBrokenPipes() {
  const sigset_t brokenPipe = BrokenPipe();
  if (!waitingBefore_ && Waiting()) {
    const timespec none{};
    (void)sigtimedwait(&brokenPipe, nullptr, &none);
  }
  (void)pthread_sigmask(SIG_SETMASK, &before_, nullptr);
}

#endif

}  // namespace bmpresize
