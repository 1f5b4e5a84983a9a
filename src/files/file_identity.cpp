// SPDX-License-Identifier: MIT
#include "files/file_identity.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#ifdef _WIN32

bool RegularFileId(int fd, FileId& id) {
  if (fd < 0) return false;
  const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
  BY_HANDLE_FILE_INFORMATION info{};
  if (handle == INVALID_HANDLE_VALUE || GetFileType(handle) != FILE_TYPE_DISK ||
      !GetFileInformationByHandle(handle, &info))
    return false;
  id.device = info.dwVolumeSerialNumber;
  id.file = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  return true;
}

#else

bool RegularFileId(int fd, FileId& id) {
  struct stat st;
  if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
  id.device = static_cast<std::uint64_t>(st.st_dev);
  id.file = static_cast<std::uint64_t>(st.st_ino);
  return true;
}

#endif

int DescriptorOf(std::FILE* stream) {
  if (stream == nullptr) return -1;
#ifdef _WIN32
  return _fileno(stream);
#else
  return fileno(stream);
#endif
}

bool RegularFileId(std::FILE* stream, FileId& id) { return RegularFileId(DescriptorOf(stream), id); }

bool IsSameRegularFile(std::FILE* a, std::FILE* b) { return IsSameRegularFile(DescriptorOf(a), DescriptorOf(b)); }

bool IsSameRegularFile(int a, int b) {
  FileId first;
  FileId second;
  return RegularFileId(a, first) && RegularFileId(b, second) && first == second;
}
