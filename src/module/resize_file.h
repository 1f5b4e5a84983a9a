// One whole resize, from a source file to a destination file, with the reason
// for every outcome. The export answers only the code; the command-line tool
// turns the whole outcome into words, so the two can never disagree.
#pragma once

#include <atomic>
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

// How a resize runs. The export takes the defaults for all but the percent.
struct ResizeOptions {
  std::int32_t percent = 100;
  // Polled between rows; once it holds true the resize stops and gives the
  // destination up (-2, kCancelled). A signal handler may set it.
  const std::atomic<bool>* cancel = nullptr;
  // The new file reaches stable storage before it replaces the old one, and
  // the folder's entry after the rename.
  bool sync = false;
  // A source cut short fails (-1, ReadProblemKind::kCutShort) and nothing is
  // written; otherwise its missing rows are white, the result is 999, and the
  // outcome's shortfall says where its data ended.
  bool strict = false;
};

// Why a resize that got past the source did not finish (result codes -2, -3).
enum class DestinationProblemKind {
  kNone,
  kNoPath,        // the destination path is null or cannot be expressed
  kOpenFailed,    // the destination could not be created (systemError says why)
  kNotWritable,   // the destination exists but may not be written (systemError says why)
  kSameAsSource,  // the destination is the source itself and could only be written over it: an open
                  // stream onto it, or a file whose folder takes no new file (systemError: the folder's reason)
  kWriteFailed,   // a write, the final close or the rename failed (systemError says why)
  kCancelled,     // the caller's cancel flag stopped the resize
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
  DataShortfall shortfall;  // where a source cut short ended (with 999: its missing rows are white)
  // A failure left the destination partly rewritten: only where it had to be
  // rewritten in place (its folder takes no new file). Otherwise a failure
  // leaves it as it was.
  bool partialLeft = false;
};

// The whole resize. The destination is replaced whole or not at all (see
// ReplacingFile); the source is closed before it is replaced. Never throws:
// every failure, an allocation among them, is an outcome.
ResizeOutcome ResizeFile(const ResizeEnds& ends, const ResizeOptions& options) noexcept;
