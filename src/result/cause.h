// SPDX-License-Identifier: MIT
// Why a step failed, in the words of the public results (bmpresize.h): the
// cause with the numbers that decided it. Every layer reports its failures
// so, and a result is the code that a cause gives plus the cause itself.
//
//   Because(kind, value, limit)   a cause
//   CodeFor(kind)                 the result code a cause gives
//   Record(result, cause)         the result of a resize that failed so
//   Failed(result, cause)         the same, answered as a copy
#pragma once

#include <cstdint>

#include "bmpresize.h"

namespace bmpresize {

struct Cause {
  bmpresize_cause kind = BMPRESIZE_CAUSE_NONE;
  std::int64_t value = 0;
  std::int64_t limit = 0;
  int error = 0;  // errno of the system call that failed, 0 when none did
  // What the source starts with, for a source that is no BMP file or too
  // short to hold its headers.
  std::uint8_t firstBytes[16] = {};
  std::int32_t firstByteCount = 0;
  // MEMORY_LIMIT: value is the least the resize needs, not all of it (data
  // held from a source whose length is not known).
  bool atLeast = false;

  explicit operator bool() const { return kind != BMPRESIZE_CAUSE_NONE; }
};

Cause Because(bmpresize_cause kind, std::int64_t value = 0, std::int64_t limit = 0);
Cause BecauseOfError(bmpresize_cause kind, int error);
// cause, its value marked as the least needed, not all.
Cause AtLeast(Cause cause);
// INTERNAL, holding the start of what (as much as firstBytes takes).
Cause BecauseInside(const char* what);

bmpresize_code CodeFor(bmpresize_cause kind);

// Sets the result's code, cause and the cause's numbers.
void Record(bmpresize_result& result, const Cause& cause);
inline bmpresize_result Failed(bmpresize_result result, const Cause& cause) {
  Record(result, cause);
  return result;
}

}  // namespace bmpresize
