// SPDX-License-Identifier: MIT
// The new files (.NAME.XXXXXX.tmp) of the resizes in flight in this process,
// in a table that a signal handler about to end the process can read and
// remove them from: fixed slots in static memory, each claimed and given back
// with lock-free atomics, the path copied into the slot. Noting and removing
// never allocate nor lock.
#pragma once

#ifndef _WIN32
#include <signal.h>
#endif

#include <atomic>
#include <cstddef>

#include "files/native_path.h"

namespace bmpresize {

// A slot of the files in flight; defined here so that a test can hold one as
// a removal does.
struct FileInFlight {
  // How many resizes may have a new file at once (a batch runs one per core),
  // and the longest path a slot holds, in units, its terminator included.
  static constexpr std::size_t kSlots = 64;
  static constexpr std::size_t kUnits = 4096;
  // kNoted and above: the path may be read; each removal reading it adds one
  // while it does, so that removals on several threads (or one interrupting
  // another) never wait for each other and never skip a file.
  enum State : int { kFree, kWriting, kNoted };

  std::atomic<int> state{kFree};
  PathChar path[kUnits];
};

// Held while a new file is made and noted. This thread takes no signal
// meanwhile, and a removal on another thread waits for the file to be noted;
// so a handler that removes the files in flight and ends the process never
// misses one made at that moment. Not Allowed() once a removal has begun: the
// process is ending, and no new file is to be made.
class MakingNewFile {
 public:
  MakingNewFile();
  ~MakingNewFile();
  MakingNewFile(const MakingNewFile&) = delete;
  MakingNewFile& operator=(const MakingNewFile&) = delete;
  bool Allowed() const { return allowed_; }

 private:
#ifndef _WIN32
  sigset_t before_;
#endif
  bool allowed_ = false;
};

// Notes path, a new file just created. Null when every slot is taken or the
// path is longer than a slot holds: that file is then removed only by its own
// resize, as before.
FileInFlight* NoteFileInFlight(const PathChar* path);
// Gives the slot back once its file is gone or renamed; null is nothing. Waits
// while a removal reads the slot.
void ForgetFileInFlight(FileInFlight* slot);
// Removes every file noted and not yet forgotten, after which no new file is
// made. Async-signal-safe on POSIX systems: atomics and unlink() only. On
// Windows, DeleteFileW, which leaves a file that is still open.
void RemoveFilesInFlight();
// Whether a removal has begun: after it no new file is made (1). A function,
// not a variable, so that the latch stays inside this file's code.
std::atomic<int>& RemovalLatch();
// Lets new files be made again after a removal; for tests, whose process goes
// on, and built into the model library alone.
void AllowNewFilesAgain();

}  // namespace bmpresize
