// SPDX-License-Identifier: MIT
#include "files/path_kind.h"

#include <sys/stat.h>

#include "bmpresize.h"

namespace bmpresize {

int KindOfPath(const PathChar* path) {
  if (path == nullptr) return BMPRESIZE_PATH_OTHER;
#ifdef _WIN32
  struct _stat64 st;
  if (_wstat64(path, &st) != 0) return BMPRESIZE_PATH_OTHER;
  return (st.st_mode & _S_IFDIR) != 0 ? BMPRESIZE_PATH_DIRECTORY : BMPRESIZE_PATH_OTHER;
#else
  struct stat st;
  if (stat(path, &st) != 0) return BMPRESIZE_PATH_OTHER;
  if (S_ISDIR(st.st_mode)) return BMPRESIZE_PATH_DIRECTORY;
  if (S_ISFIFO(st.st_mode)) return BMPRESIZE_PATH_FIFO;
  if (S_ISSOCK(st.st_mode)) return BMPRESIZE_PATH_SOCKET;
  return BMPRESIZE_PATH_OTHER;
#endif
}

}  // namespace bmpresize
