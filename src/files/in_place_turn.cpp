// SPDX-License-Identifier: MIT
#include "files/in_place_turn.h"

#include <condition_variable>
#include <mutex>

namespace bmpresize {

namespace {

// The turns held, linked through the turns themselves so that taking one
// allocates nothing. Rewrites in place are rare (a folder that takes no new
// file) and few at once: a list is enough.
std::mutex turnsLock;
std::condition_variable turnEnded;
InPlaceTurn* heldTurns = nullptr;

}  // namespace

void InPlaceTurn::Take(std::FILE* stream) {
  if (held_ || !RegularFileId(stream, file_)) return;
  std::unique_lock<std::mutex> lock(turnsLock);
  turnEnded.wait(lock, [this] {
    for (const InPlaceTurn* turn = heldTurns; turn != nullptr; turn = turn->next_)
      if (turn->file_ == file_) return false;
    return true;
  });
  next_ = heldTurns;
  heldTurns = this;
  held_ = true;
}

void InPlaceTurn::Release() {
  if (!held_) return;
  {
    std::lock_guard<std::mutex> lock(turnsLock);
    InPlaceTurn** at = &heldTurns;
    while (*at != this) at = &(*at)->next_;
    *at = next_;
    next_ = nullptr;
    held_ = false;
  }
  turnEnded.notify_all();
}

}  // namespace bmpresize
