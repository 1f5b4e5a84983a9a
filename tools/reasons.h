// The tool's words for the outcome of one resize: one line naming the file
// that the problem lies with, and why.
#pragma once

#include <string>

#include "module/resize_file.h"

// How the two ends are called in messages: the path as given, or "standard
// input" / "standard output" for '-'.
struct EndNames {
  std::string source;
  std::string destination;
  // The paths to look at when the system gave no reason for a failed open
  // (empty for a stream).
  std::string sourcePath;
};

// "NAME: reason" for an outcome other than 999.
std::string DescribeFailure(const ResizeOutcome& outcome, const EndNames& names);

// "NAME: warning: ..." for a resize that succeeded with a source cut short;
// empty when there is nothing to warn of.
std::string DescribeWarning(const ResizeOutcome& outcome, const EndNames& names);

// "is not a BMP file (it starts ...)": what a file's first bytes look like.
std::string DescribeFirstBytes(const std::uint8_t* bytes, int count);
