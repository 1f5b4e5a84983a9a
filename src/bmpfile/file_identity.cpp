#include "bmpfile/file_identity.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include "bmpfile/wide_path.h"
#else
#include <sys/stat.h>
#endif

#ifdef _WIN32

namespace {

bool Identity(HANDLE handle, FileIdentity& identity) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(handle, &info)) return false;
  identity.device = info.dwVolumeSerialNumber;
  identity.file = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  return true;
}

bool RegularIdentity(std::FILE* stream, FileIdentity& identity) {
  if (stream == nullptr) return false;
  const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  return handle != INVALID_HANDLE_VALUE && GetFileType(handle) == FILE_TYPE_DISK && Identity(handle, identity);
}

}  // namespace

bool IdentityOf(const char* utf8Path, FileIdentity& identity) {
  const WidePath wide(utf8Path);
  if (!wide) return false;
  // No access asked: only the file's identity is read.
  const HANDLE file = CreateFileW(wide.get(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  const bool known = Identity(file, identity);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return known;
}

#else

namespace {

FileIdentity IdentityFrom(const struct stat& st) {
  return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

bool RegularIdentity(std::FILE* stream, FileIdentity& identity) {
  struct stat st;
  if (stream == nullptr || fstat(fileno(stream), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  identity = IdentityFrom(st);
  return true;
}

}  // namespace

bool IdentityOf(const char* utf8Path, FileIdentity& identity) {
  struct stat st;
  if (utf8Path == nullptr || stat(utf8Path, &st) != 0) return false;
  identity = IdentityFrom(st);
  return true;
}

#endif

bool IsSameRegularFile(std::FILE* a, std::FILE* b) {
  FileIdentity first;
  FileIdentity second;
  return RegularIdentity(a, first) && RegularIdentity(b, second) && first == second;
}
