// SPDX-License-Identifier: MIT
// Standard input and output as the library's read and write functions, for
// '-' on the command line.
#pragma once

#include <cstddef>

// Reads what one read of standard input gives, as stdio would refill its
// buffer, so the tool never waits for more of a pipe than it needs.
int ReadStandardInput(void* user, void* buffer, std::size_t size, std::size_t* got);

// What WriteStandardOutput is handed as its user pointer.
struct StandardOutput {
  bool sync = false;  // bring it to stable storage at the end, where it is a file
  bool took = false;  // some of the picture went out: a failure leaves it there
};

// Writes to standard output (a StandardOutput); at the end of the picture
// flushes it and, when asked, brings it to stable storage.
int WriteStandardOutput(void* output, const void* data, std::size_t size);

// Where a write failed with error EPIPE (a pipe whose reader left), ends the
// tool by SIGPIPE, as a write to such a pipe ends any program, unless that
// signal is ignored: the library holds it back while it resizes, and tells
// the failure instead. Nothing on Windows.
void EndAsABrokenPipeWould(int error);
