// SPDX-License-Identifier: MIT
// The tool's sentence for a result: the library's (bmpresize_describe), which
// names no option of the tool, with the tool's hint where one helps.
#pragma once

#include <string>

#include "bmpresize.h"

// What to do about a failure on this command line, to follow the library's
// reason; "" when there is nothing to add.
inline const char* ToolHint(const bmpresize_result& result) {
  if (result.code == BMPRESIZE_OK) return "";
  if (result.cause == BMPRESIZE_CAUSE_OPEN_FAILED && result.value == BMPRESIZE_PATH_FIFO)
    return ": give '-' and redirect it";
  if (result.cause == BMPRESIZE_CAUSE_CUT_SHORT) return " (--strict)";
  if (result.cause == BMPRESIZE_CAUSE_REGION) return " (--region)";
  if (result.cause == BMPRESIZE_CAUSE_MEMORY_LIMIT) return " (--memory-limit)";
  return "";
}

// The library's sentence alone.
inline std::string Described(const bmpresize_result& result, const std::string& source,
                             const std::string& destination) {
  const std::size_t length = bmpresize_describe(&result, source.c_str(), destination.c_str(), nullptr, 0);
  std::string text(length + 1, '\0');
  (void)bmpresize_describe(&result, source.c_str(), destination.c_str(), text.data(), text.size());
  text.resize(length);
  return text;
}

inline std::string Words(const bmpresize_result& result, const std::string& source, const std::string& destination) {
  return Described(result, source, destination) + ToolHint(result);
}
