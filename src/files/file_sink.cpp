// SPDX-License-Identifier: MIT
#include "files/file_sink.h"

#include <cerrno>

bool FileSink::Write(const void* bytes, std::size_t n) {
  if (failed_ || stream_ == nullptr) return false;
  errno = 0;
  if (std::fwrite(bytes, 1, n, stream_) == n) return true;
  failed_ = true;
  error_ = errno;
  return false;
}
