// SPDX-License-Identifier: MIT
#include "files/files_in_flight.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <pthread.h>
#include <unistd.h>
#endif

namespace bmpresize {

// A signal handler may only touch what is lock-free. On some cores (ARMv5)
// that is settled only at run time, by the kernel's helpers; never is not
// allowed.
static_assert(ATOMIC_INT_LOCK_FREE != 0, "the slots are read from signal handlers");

namespace {

FileInFlight slots[FileInFlight::kSlots];
// New files being made and noted at this moment.
std::atomic<int> beingMade{0};

std::size_t LengthWithin(const PathChar* path, std::size_t limit) {
  std::size_t n = 0;
  while (n < limit && path[n] != 0) ++n;
  return n;
}

void RemoveNow(const PathChar* path) {
#ifdef _WIN32
  (void)DeleteFileW(path);
#else
  (void)unlink(path);
#endif
}

// Whether a removal has begun (1): after it no new file is made.
std::atomic<int> removing{0};

}  // namespace

std::atomic<int>& RemovalLatch() { return removing; }

MakingNewFile::MakingNewFile() {
#ifndef _WIN32
  sigset_t all;
  sigfillset(&all);
  (void)pthread_sigmask(SIG_BLOCK, &all, &before_);
#endif
  beingMade.fetch_add(1);
  allowed_ = removing.load() == 0;
}

MakingNewFile::~MakingNewFile() {
  beingMade.fetch_sub(1);
#ifndef _WIN32
  (void)pthread_sigmask(SIG_SETMASK, &before_, nullptr);
#endif
}

FileInFlight* NoteFileInFlight(const PathChar* path) {
  const std::size_t length = LengthWithin(path, FileInFlight::kUnits);
  if (length == FileInFlight::kUnits) return nullptr;
  for (FileInFlight& slot : slots) {
    int free = FileInFlight::kFree;
    if (!slot.state.compare_exchange_strong(free, FileInFlight::kWriting, std::memory_order_acquire)) continue;
    for (std::size_t i = 0; i <= length; ++i) slot.path[i] = path[i];
    slot.state.store(FileInFlight::kNoted, std::memory_order_release);
    return &slot;
  }
  return nullptr;
}

void ForgetFileInFlight(FileInFlight* slot) {
  if (slot == nullptr) return;
  int noted = FileInFlight::kNoted;
  while (!slot->state.compare_exchange_weak(noted, FileInFlight::kFree, std::memory_order_release,
                                            std::memory_order_relaxed))
    noted = FileInFlight::kNoted;  // removals are reading it for a moment
}

void RemoveFilesInFlight() {
  // Every thread that is making a file holds back signals, so none of them is
  // this one: each finishes noting its file in a moment.
  removing.store(1);
  while (beingMade.load() != 0) {
  }
  for (FileInFlight& slot : slots) {
    int state = slot.state.load(std::memory_order_relaxed);
    while (state >= FileInFlight::kNoted &&
           !slot.state.compare_exchange_weak(state, state + 1, std::memory_order_acquire, std::memory_order_relaxed)) {
    }
    if (state < FileInFlight::kNoted) continue;
    RemoveNow(slot.path);
    slot.state.fetch_sub(1, std::memory_order_release);
  }
}

}  // namespace bmpresize
