// SPDX-License-Identifier: MIT
#include "result/cause.h"

#include <algorithm>

namespace bmpresize {

Cause Because(bmpresize_cause kind, std::int64_t value, std::int64_t limit) {
  Cause cause;
  cause.kind = kind;
  cause.value = value;
  cause.limit = limit;
  return cause;
}

Cause BecauseOfError(bmpresize_cause kind, int error) {
  Cause cause = Because(kind);
  cause.error = error;
  return cause;
}

Cause AtLeast(Cause cause) {
  cause.atLeast = true;
  return cause;
}

Cause BecauseInside(const char* what) {
  Cause cause = Because(BMPRESIZE_CAUSE_INTERNAL);
  while (what != nullptr && what[cause.firstByteCount] != '\0' &&
         cause.firstByteCount < static_cast<std::int32_t>(sizeof cause.firstBytes)) {
    cause.firstBytes[cause.firstByteCount] = static_cast<std::uint8_t>(what[cause.firstByteCount]);
    ++cause.firstByteCount;
  }
  return cause;
}

bmpresize_code CodeFor(bmpresize_cause kind) {
  switch (kind) {
    case BMPRESIZE_CAUSE_NONE:
      return BMPRESIZE_OK;
    case BMPRESIZE_CAUSE_OPEN_FAILED:
    case BMPRESIZE_CAUSE_NOT_BMP:
      return BMPRESIZE_SOURCE_NOT_BMP;
    case BMPRESIZE_CAUSE_EMPTY:
    case BMPRESIZE_CAUSE_SHORT_HEADER:
    case BMPRESIZE_CAUSE_COMPRESSION:
    case BMPRESIZE_CAUSE_DEPTH:
    case BMPRESIZE_CAUSE_WIDTH:
    case BMPRESIZE_CAUSE_HEIGHT:
    case BMPRESIZE_CAUSE_TOO_MANY_PIXELS:
    case BMPRESIZE_CAUSE_COMPRESSION_DEPTH:
    case BMPRESIZE_CAUSE_TOP_DOWN_COMPRESSED:
    case BMPRESIZE_CAUSE_COMPRESSION_FOR_HEADER:
    case BMPRESIZE_CAUSE_DEPTH_FOR_HEADER:
    case BMPRESIZE_CAUSE_READ_FAILED:
    case BMPRESIZE_CAUSE_CUT_SHORT:
      return BMPRESIZE_SOURCE_UNREADABLE;
    case BMPRESIZE_CAUSE_NO_MEMORY_TO_READ:
    case BMPRESIZE_CAUSE_SIDE_TOO_LARGE:
    case BMPRESIZE_CAUSE_FILE_TOO_LARGE:
    case BMPRESIZE_CAUSE_ROW_TOO_WIDE:
    case BMPRESIZE_CAUSE_NO_MEMORY:
    case BMPRESIZE_CAUSE_MEMORY_LIMIT:
    case BMPRESIZE_CAUSE_REGION:
    case BMPRESIZE_CAUSE_OPTION:
      return BMPRESIZE_TOO_LARGE;
    default:
      // The destination's causes, and a fault inside the library.
      return BMPRESIZE_DESTINATION_FAILED;
  }
}

void Record(bmpresize_result& result, const Cause& cause) {
  result.code = CodeFor(cause.kind);
  result.cause = cause.kind;
  result.value = cause.value;
  result.limit = cause.limit;
  result.error = cause.error;
  std::copy(cause.firstBytes, cause.firstBytes + sizeof cause.firstBytes, result.first_bytes);
  result.first_byte_count = cause.firstByteCount;
  if (cause.atLeast) result.notes |= BMPRESIZE_NOTE_NEED_AT_LEAST;
}

}  // namespace bmpresize
