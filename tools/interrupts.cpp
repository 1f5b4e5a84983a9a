// SPDX-License-Identifier: MIT
#include "interrupts.h"

#include <atomic>
#include <csignal>
#include <initializer_list>

#include "forced_exit.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <time.h>
#endif

namespace {

// A handler may only touch what is lock-free. On some cores (ARMv5) that is
// settled only at run time, by the kernel's helpers; never is not allowed.
static_assert(ATOMIC_INT_LOCK_FREE != 0, "the signal's number is set from a signal handler");
std::atomic<int> signalNumber{0};
// The flag the resizes poll, set and read with atomic operations.
volatile std::sig_atomic_t interrupted = 0;

#ifdef _WIN32

// Every Ctrl-C only asks the resizes to stop: this handler runs on a thread
// of its own, and the new files that the resizes hold open could not be
// removed under them.
void Note(int number) {
  int none = 0;
  (void)signalNumber.compare_exchange_strong(none, number);
  __atomic_store_n(&interrupted, 1, __ATOMIC_RELAXED);
}

BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  Note(event == CTRL_C_EVENT ? SIGINT : SIGBREAK);
  return TRUE;
}

#else

// How long after the first signal the same one is the same interrupt.
constexpr unsigned kSameInterruptMs = 2000;
// When the first signal came, in milliseconds of the monotonic clock (cut to
// 32 bits, never 0); 0 while its handler has not yet said.
std::atomic<unsigned> firstAtMs{0};

unsigned NowMs() {
  struct timespec now = {};
  (void)clock_gettime(CLOCK_MONOTONIC, &now);  // async-signal-safe
  const auto ms = static_cast<unsigned>(now.tv_sec) * 1000u + static_cast<unsigned>(now.tv_nsec / 1000000);
  return ms == 0 ? 1 : ms;
}

void OnSignal(int number) {
  const unsigned now = NowMs();
  int first = 0;
  if (signalNumber.compare_exchange_strong(first, number)) {
    firstAtMs.store(now);
    __atomic_store_n(&interrupted, 1, __ATOMIC_RELAXED);
    return;
  }
  // Another thread may be handling the first copy this very moment.
  const unsigned firstAt = firstAtMs.load();
  if (number == first && (firstAt == 0 || now - firstAt < kSameInterruptMs)) return;
  EndAtOnce(number);
}

#endif

}  // namespace

const volatile std::sig_atomic_t* CatchInterrupts() {
#ifdef _WIN32
  (void)SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
#else
  const int kinds[] = {SIGINT, SIGTERM, SIGHUP};
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  // One handler at a time on a thread: a second signal never cuts into the
  // first one's handler. Without SA_RESTART a read that waits (standard input
  // from a pipe) returns at once.
  sigemptyset(&action.sa_mask);
  for (const int number : kinds) sigaddset(&action.sa_mask, number);
  action.sa_flags = 0;
  for (const int number : kinds) {
    struct sigaction before = {};
    if (sigaction(number, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
    (void)sigaction(number, &action, nullptr);
  }
  // Past a file-size limit (ulimit -f) a write then fails with EFBIG, and the
  // file is given up like any failed write, instead of the signal ending the
  // tool with its new file half written.
  (void)std::signal(SIGXFSZ, SIG_IGN);
#endif
  return &interrupted;
}

int InterruptSignal() { return signalNumber.load(); }
