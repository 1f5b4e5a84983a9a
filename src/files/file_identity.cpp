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

bool RegularIdentity(std::FILE* stream, FileIdentity& identity) {
  if (stream == nullptr) return false;
  const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  BY_HANDLE_FILE_INFORMATION info{};
  if (handle == INVALID_HANDLE_VALUE || GetFileType(handle) != FILE_TYPE_DISK ||
      !GetFileInformationByHandle(handle, &info))
    return false;
  identity.device = info.dwVolumeSerialNumber;
  identity.file = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  return true;
}

#else

bool RegularIdentity(std::FILE* stream, FileIdentity& identity) {
  struct stat st;
  if (stream == nullptr || fstat(fileno(stream), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  identity.device = static_cast<std::uint64_t>(st.st_dev);
  identity.file = static_cast<std::uint64_t>(st.st_ino);
  return true;
}

#endif

}  // namespace

bool IsSameRegularFile(std::FILE* a, std::FILE* b) {
  FileIdentity first;
  FileIdentity second;
  return RegularIdentity(a, first) && RegularIdentity(b, second) && first.device == second.device &&
         first.file == second.file;
}
