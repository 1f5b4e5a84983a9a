#include "files/file_stream.h"

#ifdef _WIN32
#include "files/wide_path.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

std::FILE* OpenFile(const char* utf8Path, const char* mode) {
  if (utf8Path == nullptr) return nullptr;
#ifdef _WIN32
  const WidePath wide(utf8Path);
  if (!wide) return nullptr;
  wchar_t wideMode[4] = {};
  for (int i = 0; i < 3 && mode[i]; ++i) wideMode[i] = static_cast<wchar_t>(mode[i]);
  return _wfopen(wide.get(), wideMode);
#else
  // fopen waits for ever on a FIFO that no other process holds open; this open
  // never waits, so a FIFO destination without a reader fails at once. A
  // source is opened twice (the peek, then the reader), which only works on a
  // file that holds still: directories, FIFOs and sockets are refused like a
  // path that cannot be opened.
  const bool writing = mode[0] == 'w';
  const int flags = (writing ? O_WRONLY | O_CREAT | O_TRUNC : O_RDONLY) | O_NONBLOCK | O_CLOEXEC;
  const int fd = open(utf8Path, flags, 0666);
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
