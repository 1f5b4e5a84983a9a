// SPDX-License-Identifier: MIT
#if !defined(_WIN32) && !defined(_FILE_OFFSET_BITS)
#define _FILE_OFFSET_BITS 64
#endif
#if !defined(_GNU_SOURCE)
#define _GNU_SOURCE
#endif
#include "files/copy_range.h"

#include <algorithm>
#include <cerrno>

#if defined(__linux__)
#include <unistd.h>
#endif

namespace bmpresize {

#if defined(__linux__) && defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 27))

SysValue<std::int64_t> CopyFileRange(std::FILE* source, std::int64_t from, std::FILE* destination, std::int64_t to,
                                     std::int64_t n) {
  off_t in = static_cast<off_t>(from);
  off_t out = static_cast<off_t>(to);
  SysValue<std::int64_t> done{0};
  while (done.value < n) {
    const auto want = static_cast<std::size_t>(std::min<std::int64_t>(n - done.value, std::int64_t{1} << 30));
    const ssize_t got = copy_file_range(fileno(source), &in, fileno(destination), &out, want, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) done.error = errno;
    if (got <= 0) break;
    done.value += got;
  }
  return done;
}

#else

SysValue<std::int64_t> CopyFileRange(std::FILE*, std::int64_t, std::FILE*, std::int64_t, std::int64_t) {
  return {0, ENOSYS};
}

#endif

}  // namespace bmpresize
