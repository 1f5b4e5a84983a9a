#include "bmpfile/file_identity.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include <vector>
#else
#include <sys/stat.h>
#endif

#ifdef _WIN32

namespace {

bool Identity(HANDLE handle, BY_HANDLE_FILE_INFORMATION& info) {
  return handle != INVALID_HANDLE_VALUE && GetFileInformationByHandle(handle, &info) != 0;
}

}  // namespace

bool IsSameFile(std::FILE* stream, const char* utf8Path) {
  if (stream == nullptr || utf8Path == nullptr) return false;
  BY_HANDLE_FILE_INFORMATION open{};
  if (!Identity(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))), open)) return false;
  const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8Path, -1, nullptr, 0);
  if (n <= 0) return false;
  std::vector<wchar_t> wide(static_cast<std::size_t>(n));
  if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8Path, -1, wide.data(), n) != n) return false;
  // No access asked: only the file's identity is read.
  const HANDLE other = CreateFileW(wide.data(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  BY_HANDLE_FILE_INFORMATION named{};
  const bool known = Identity(other, named);
  if (other != INVALID_HANDLE_VALUE) CloseHandle(other);
  return known && open.dwVolumeSerialNumber == named.dwVolumeSerialNumber &&
         open.nFileIndexHigh == named.nFileIndexHigh && open.nFileIndexLow == named.nFileIndexLow;
}

#else

bool IsSameFile(std::FILE* stream, const char* utf8Path) {
  if (stream == nullptr || utf8Path == nullptr) return false;
  struct stat open;
  struct stat named;
  if (fstat(fileno(stream), &open) != 0 || stat(utf8Path, &named) != 0) return false;
  return open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

#endif
