// SPDX-License-Identifier: MIT
#include "interrupts.h"

#include <atomic>
#include <csignal>
#include <initializer_list>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// A handler may only touch what is lock-free. On some cores (ARMv5) that is
// settled only at run time, by the kernel's helpers; never is not allowed.
static_assert(ATOMIC_INT_LOCK_FREE != 0, "the signal's number is set from a signal handler");
std::atomic<int> signalNumber{0};
// The flag the resizes poll, of the one type a handler may always set.
volatile std::sig_atomic_t interrupted = 0;

void Note(int number) {
  signalNumber.store(number);
  interrupted = 1;
}

#ifdef _WIN32

BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  Note(event == CTRL_C_EVENT ? SIGINT : SIGBREAK);
  return TRUE;
}

#else

void OnSignal(int number) { Note(number); }

#endif

}  // namespace

const volatile std::sig_atomic_t* CatchInterrupts() {
#ifdef _WIN32
  (void)SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
#else
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  // Without SA_RESTART a read that waits (standard input from a pipe) returns
  // at once; SA_RESETHAND lets a second signal end the tool.
  action.sa_flags = SA_RESETHAND;
  for (const int number : {SIGINT, SIGTERM, SIGHUP}) {
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
