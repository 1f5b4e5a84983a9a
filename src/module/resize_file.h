// One whole resize, from a source file to a destination file, with the reason
// for every outcome. The export answers only the code; the command-line tool
// turns the whole outcome into words, so the two can never disagree.
#pragma once

#include <cstdint>
#include <cstdio>

#include "bmpfile/read_problem.h"

// Where the picture comes from and where it goes: a UTF-8 path, or a stream
// that is already open (standard input or output). A null path with a null
// stream is a path that cannot be opened.
struct ResizeEnds {
  const char* sourcePath = nullptr;
  std::FILE* sourceStream = nullptr;
  const char* destinationPath = nullptr;
  std::FILE* destinationStream = nullptr;
};

// Why a resize that got past the source did not finish (result codes -2, -3).
enum class DestinationProblemKind {
  kNone,
  kNoPath,        // the destination path is null or cannot be expressed
  kOpenFailed,    // the destination could not be created (systemError says why)
  kWriteFailed,   // a write or the final close failed part-way (systemError says why)
  kSideTooLarge,  // a side of the resized picture lies beyond 2^31 - 1 (value: percent)
  kFileTooLarge,  // the resized file would pass 4 GiB (value: its width, limit: its height)
  kRowTooWide,    // a row of the resized picture is wider than the rows held in memory (value: width)
  kNoMemory,      // memory for the rows or tables could not be had
};

struct ResizeOutcome {
  std::int32_t code = 0;  // the export's result code (999, 0, -1, -2, -3)
  ReadProblem source;     // why the source was refused (codes 0 and -1, and -3 from the reader)
  DestinationProblemKind destination = DestinationProblemKind::kNone;
  std::int64_t value = 0;
  std::int64_t limit = 0;
  int systemError = 0;     // errno of a failed open, write or close of the destination
  std::int32_t width = 0;  // the resized picture's size, once known
  std::int32_t height = 0;
};

// Never throws: every failure, an allocation among them, is an outcome.
ResizeOutcome ResizeFile(const ResizeEnds& ends, std::int32_t percent) noexcept;
