// SPDX-License-Identifier: MIT
#include "files/file_sink.h"

#include <cerrno>

namespace bmpresize {

Status FileSink::Write(const void* bytes, std::size_t n) {
  if (!failure_.Ok()) return failure_;
  if (stream_ == nullptr) return BecauseOfError(BMPRESIZE_CAUSE_WRITE_FAILED, 0);
  errno = 0;
  if (std::fwrite(bytes, 1, n, stream_) == n) return {};
  failure_ = BecauseOfError(BMPRESIZE_CAUSE_WRITE_FAILED, errno);
  return failure_;
}

}  // namespace bmpresize
