// SPDX-License-Identifier: MIT
#include "files/file_identity.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#ifdef _WIN32

bool RegularFileId(std::FILE* stream, FileId& id) {
  if (stream == nullptr) return false;
  const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  BY_HANDLE_FILE_INFORMATION info{};
  if (handle == INVALID_HANDLE_VALUE || GetFileType(handle) != FILE_TYPE_DISK ||
      !GetFileInformationByHandle(handle, &info))
    return false;
  id.device = info.dwVolumeSerialNumber;
  id.file = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  return true;
}

#else

bool RegularFileId(std::FILE* stream, FileId& id) {
  struct stat st;
  if (stream == nullptr || fstat(fileno(stream), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  id.device = static_cast<std::uint64_t>(st.st_dev);
  id.file = static_cast<std::uint64_t>(st.st_ino);
  return true;
}

#endif

bool IsSameRegularFile(std::FILE* a, std::FILE* b) {
  FileId first;
  FileId second;
  return RegularFileId(a, first) && RegularFileId(b, second) && first == second;
}
