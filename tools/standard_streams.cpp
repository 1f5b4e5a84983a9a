// SPDX-License-Identifier: MIT
#include "standard_streams.h"

#include <cerrno>
#include <csignal>
#include <cstdio>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

int Reason(int error) { return error != 0 ? error : EIO; }

// Brings standard output (flushed already) to stable storage; nothing to do
// for a pipe or a terminal.
int SyncStandardOutput() {
#ifdef _WIN32
  const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stdout)));
  if (GetFileType(handle) != FILE_TYPE_DISK || FlushFileBuffers(handle)) return 0;
  return EIO;
#else
  if (fsync(fileno(stdout)) == 0 || errno == EINVAL || errno == EROFS || errno == ENOTSUP) return 0;
  return Reason(errno);
#endif
}

}  // namespace

int ReadStandardInput(void*, void* buffer, std::size_t size, std::size_t* got) {
  const unsigned chunk = size > 1u << 30 ? 1u << 30 : static_cast<unsigned>(size);
  errno = 0;
#ifdef _WIN32
  const int n = _read(_fileno(stdin), buffer, chunk);
#else
  const ssize_t n = read(fileno(stdin), buffer, chunk);
#endif
  if (n < 0) return Reason(errno);
  *got = static_cast<std::size_t>(n);
  return 0;
}

int WriteStandardOutput(void* output, const void* data, std::size_t size) {
  StandardOutput& out = *static_cast<StandardOutput*>(output);
  errno = 0;
  if (data != nullptr) {
    // Bytes stdio holds go out at the exit all the same.
    out.took = out.took || size > 0;
    return std::fwrite(data, 1, size, stdout) == size ? 0 : Reason(errno);
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) return Reason(errno);
  return out.sync ? SyncStandardOutput() : 0;
}

void EndAsABrokenPipeWould(int error) {
#ifdef _WIN32
  (void)error;
#else
  if (error == EPIPE) (void)std::raise(SIGPIPE);
#endif
}
