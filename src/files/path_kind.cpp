// SPDX-License-Identifier: MIT
#include "files/path_kind.h"

#include <sys/stat.h>

#include "bmpresize.h"
#ifdef _WIN32
#include "files/wide_path.h"
#endif

int KindOfPath(const char* utf8Path) {
  if (utf8Path == nullptr) return BMPRESIZE_PATH_OTHER;
#ifdef _WIN32
  const WidePath wide(utf8Path);
  if (!wide) return BMPRESIZE_PATH_UNUSABLE_NAME;
  struct _stat64 st;
  if (_wstat64(wide.get(), &st) != 0) return BMPRESIZE_PATH_OTHER;
  return (st.st_mode & _S_IFDIR) != 0 ? BMPRESIZE_PATH_DIRECTORY : BMPRESIZE_PATH_OTHER;
#else
  struct stat st;
  if (stat(utf8Path, &st) != 0) return BMPRESIZE_PATH_OTHER;
  if (S_ISDIR(st.st_mode)) return BMPRESIZE_PATH_DIRECTORY;
  if (S_ISFIFO(st.st_mode)) return BMPRESIZE_PATH_FIFO;
  if (S_ISSOCK(st.st_mode)) return BMPRESIZE_PATH_SOCKET;
  return BMPRESIZE_PATH_OTHER;
#endif
}
