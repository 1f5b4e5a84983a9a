// SPDX-License-Identifier: MIT
#include "files/file_identity.h"

#include <cstdint>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace {

struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t file = 0;
};

#ifdef _WIN32

bool RegularIdentity(int fd, FileIdentity& identity) {
  if (fd < 0) return false;
  const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
  BY_HANDLE_FILE_INFORMATION info{};
  if (handle == INVALID_HANDLE_VALUE || GetFileType(handle) != FILE_TYPE_DISK ||
      !GetFileInformationByHandle(handle, &info))
    return false;
  identity.device = info.dwVolumeSerialNumber;
  identity.file = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  return true;
}

#else

bool RegularIdentity(int fd, FileIdentity& identity) {
  struct stat st;
  if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
  identity.device = static_cast<std::uint64_t>(st.st_dev);
  identity.file = static_cast<std::uint64_t>(st.st_ino);
  return true;
}

#endif

}  // namespace

int DescriptorOf(std::FILE* stream) {
  if (stream == nullptr) return -1;
#ifdef _WIN32
  return _fileno(stream);
#else
  return fileno(stream);
#endif
}

bool IsSameRegularFile(std::FILE* a, std::FILE* b) { return IsSameRegularFile(DescriptorOf(a), DescriptorOf(b)); }

bool IsSameRegularFile(int a, int b) {
  FileIdentity first;
  FileIdentity second;
  return RegularIdentity(a, first) && RegularIdentity(b, second) && first.device == second.device &&
         first.file == second.file;
}
