// SPDX-License-Identifier: MIT
#include "files/file_identity.h"

#include <cerrno>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace bmpresize {

#ifdef _WIN32

SysResult OpenRegularFileId(int fd, FileId& id) {
  const HANDLE handle = fd < 0 ? INVALID_HANDLE_VALUE : reinterpret_cast<HANDLE>(_get_osfhandle(fd));
  if (handle == INVALID_HANDLE_VALUE) return {EBADF};
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(handle) != FILE_TYPE_DISK) return {ESPIPE};
  if (!GetFileInformationByHandle(handle, &info)) return {EIO};
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return {EISDIR};
  id.device = info.dwVolumeSerialNumber;
  id.file = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  return {};
}

#else

SysResult OpenRegularFileId(int fd, FileId& id) {
  struct stat st;
  if (fd < 0) return {EBADF};
  if (fstat(fd, &st) != 0) return {errno};
  if (S_ISDIR(st.st_mode)) return {EISDIR};
  if (!S_ISREG(st.st_mode)) return {ESPIPE};
  id.device = static_cast<std::uint64_t>(st.st_dev);
  id.file = static_cast<std::uint64_t>(st.st_ino);
  return {};
}

#endif

bool RegularFileId(int fd, FileId& id) { return OpenRegularFileId(fd, id).Ok(); }

int DescriptorOf(std::FILE* stream) {
  if (stream == nullptr) return -1;
#ifdef _WIN32
  return _fileno(stream);
#else
  return fileno(stream);
#endif
}

bool RegularFileId(std::FILE* stream, FileId& id) { return RegularFileId(DescriptorOf(stream), id); }

bool IsSameRegularFile(int a, int b) {
  FileId first;
  FileId second;
  return RegularFileId(a, first) && RegularFileId(b, second) && first == second;
}

}  // namespace bmpresize
