// SPDX-License-Identifier: MIT
// A second interrupt ends the tool at once, from its signal handler: the new
// files of the resizes in flight are removed, the "interrupted:" line is
// written from what was noted here beforehand, and the tool exits 128 + the
// signal's number. What the handler runs is async-signal-safe: atomics,
// unlink, write and _exit.
#pragma once

#include <cstddef>

// A batch of files about to run; progress, whether a progress line is drawn
// on standard error (which the line then overwrites).
void ExpectBatch(std::size_t files, bool progress);
// One more file of the batch was written.
void CountWrittenFile();
// The one resize about to run, and what to say of it when it is cut short
// ("out.bmp was not written"); the text lives until the tool ends.
void ExpectOneResize(const char* cutShort);

// Whether the "interrupted:" line is the caller's to print, once the resizes
// are over; false when the handler has written it. Either writes it once.
bool ClaimInterruptedLine();

// Ends the tool at once; called from the signal handler.
[[noreturn]] void EndAtOnce(int signal);
