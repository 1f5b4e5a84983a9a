// SPDX-License-Identifier: MIT
// Many sources into one folder, several at a time, with a progress line while
// it runs and a summary with every failure at the end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "command_line.h"
#include "bmpresize.h"

struct BatchItem {
  std::string source;
  std::string destination;  // DIRECTORY (or the source's folder)/its own name or --name's
  std::uint64_t bytes = 0;  // the source's size, for the progress line
};

// The options record of every resize the command line asks for, one file, a
// batch's files or --info's: each option of the command line, and the tool's
// interrupt flag (installing the tool's handlers).
bmpresize_options OptionsFor(const CommandLine& line);

// Works out where each source goes. False, with one line per problem, when the
// batch must not start: a source without a name of its own, '-', two sources
// that would land on the same name, two results that would be one file (two
// names of it, or two symbolic links to where it would be made), a result that
// would overwrite a source (its own or another's: the same file under any
// name, a link included). A --name template's names are checked alike.
bool PlanBatch(const CommandLine& line, std::vector<BatchItem>& items, std::vector<std::string>& problems);

// Runs a planned batch; answers the exit status (0 when every file was
// written, 1 otherwise, 128 + the signal's number when interrupted). The
// progress line is drawn only when asked for.
int RunBatch(const CommandLine& line, const std::vector<BatchItem>& items, bool showProgress);
