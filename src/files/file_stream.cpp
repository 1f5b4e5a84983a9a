// SPDX-License-Identifier: MIT
#include "files/file_stream.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

std::FILE* OpenFile(const PathChar* path, const char* mode) {
  if (path == nullptr) return nullptr;
#ifdef _WIN32
  wchar_t wideMode[4] = {};
  for (int i = 0; i < 3 && mode[i]; ++i) wideMode[i] = static_cast<wchar_t>(mode[i]);
  return _wfopen(path, wideMode);
#else
  // fopen waits for ever on a FIFO that no other process holds open; this open
  // never waits, so a FIFO destination without a reader fails at once. What is
  // read must be a file, not a stream of some other process's: directories,
  // FIFOs and sockets are refused like a path that cannot be opened.
  const bool writing = mode[0] == 'w';
  const int flags = (writing ? O_WRONLY | O_CREAT | O_TRUNC : O_RDONLY) | O_NONBLOCK | O_CLOEXEC;
  const int fd = open(path, flags, 0666);
  if (fd < 0) return nullptr;
  struct stat st;
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode) || (!writing && (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)))) {
    close(fd);
    return nullptr;
  }
  // From here on reads and writes wait as usual.
  const int status = fcntl(fd, F_GETFL);
  std::FILE* file = status >= 0 && fcntl(fd, F_SETFL, status & ~O_NONBLOCK) == 0 ? fdopen(fd, mode) : nullptr;
  if (file == nullptr) close(fd);
  return file;
#endif
}
