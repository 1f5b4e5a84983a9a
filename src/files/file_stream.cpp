// SPDX-License-Identifier: MIT
#include "files/file_stream.h"

#include <cerrno>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace bmpresize {

namespace {

#ifndef _WIN32
// Why fd, just opened, is not to be used so: a folder, or for reading a FIFO
// or a socket; 0 when it is.
int Unsuitable(int fd, bool writing) {
  struct stat st;
  if (fstat(fd, &st) != 0) return errno;
  if (S_ISDIR(st.st_mode)) return EISDIR;
  if (!writing && (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode))) return ENXIO;
  return 0;
}

// Closes fd after a step on it failed with error, and answers that error.
SysValue<std::FILE*> CloseAfter(int fd, int error) {
  close(fd);
  return {nullptr, error};
}
#endif

}  // namespace

SysValue<std::FILE*> OpenFile(const PathChar* path, const char* mode) {
  if (path == nullptr) return {nullptr, EINVAL};
#ifdef _WIN32
  wchar_t wideMode[4] = {};
  for (int i = 0; i < 3 && mode[i]; ++i) wideMode[i] = static_cast<wchar_t>(mode[i]);
  std::FILE* file = _wfopen(path, wideMode);
  if (file == nullptr) return {nullptr, errno};
  return {file};
#else
  // fopen waits for ever on a FIFO that no other process holds open; this open
  // never waits, so a FIFO destination without a reader fails at once. What is
  // read must be a file, not a stream of some other process's: directories,
  // FIFOs and sockets are refused like a path that cannot be opened.
  const bool writing = mode[0] == 'w';
  const int flags = (writing ? O_WRONLY | O_CREAT | O_TRUNC : O_RDONLY) | O_NONBLOCK | O_CLOEXEC;
  const int fd = open(path, flags, 0666);
  if (fd < 0) return {nullptr, errno};
  if (const int error = Unsuitable(fd, writing)) return CloseAfter(fd, error);
  // From here on reads and writes wait as usual.
  const int status = fcntl(fd, F_GETFL);
  if (status < 0 || fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) return CloseAfter(fd, errno);
  std::FILE* file = fdopen(fd, mode);
  if (file == nullptr) return CloseAfter(fd, errno);
  return {file};
#endif
}

}  // namespace bmpresize
