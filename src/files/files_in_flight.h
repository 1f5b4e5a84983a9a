// SPDX-License-Identifier: MIT
// The new files (.NAME.XXXXXX.tmp) of the resizes in flight in this process,
// in a table that a signal handler about to end the process can read and
// remove them from: fixed slots in static memory, each claimed and given back
// with lock-free atomics, the path copied into the slot. Noting and removing
// never allocate nor lock.
#pragma once

#include "files/native_path.h"

struct FileInFlight;

// Notes path, a new file just created. Null when every slot is taken or the
// path is longer than a slot holds: that file is then removed only by its own
// resize, as before.
FileInFlight* NoteFileInFlight(const PathChar* path);
// Gives the slot back once its file is gone or renamed; null is nothing. Waits
// while a removal reads the slot.
void ForgetFileInFlight(FileInFlight* slot);
// Removes every file noted and not yet forgotten. Async-signal-safe on POSIX
// systems: atomics and unlink() only. On Windows, DeleteFileW, which leaves a
// file that is still open.
void RemoveFilesInFlight();
