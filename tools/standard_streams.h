// SPDX-License-Identifier: MIT
// Standard input and output as the library's read and write functions, for
// '-' on the command line.
#pragma once

#include <cstddef>

// Reads what one read of standard input gives, as stdio would refill its
// buffer, so the tool never waits for more of a pipe than it needs.
int ReadStandardInput(void* user, void* buffer, std::size_t size, std::size_t* got);

// Writes to standard output; at the end of the picture flushes it and, when
// sync points to true, brings it to stable storage where it is a file.
int WriteStandardOutput(void* sync, const void* data, std::size_t size);
