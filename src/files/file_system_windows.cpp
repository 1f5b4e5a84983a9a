// SPDX-License-Identifier: MIT
// The file-system steps on Windows: native paths are UTF-16 and go straight
// to the wide-character functions, so every Unicode name works; the C
// runtime's descriptors carry the files.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <new>

#include "files/file_system.h"

namespace bmpresize {

namespace {

// The errno that stands nearest to a system error code.
int ErrnoFor(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_NOT_SAME_DEVICE:
      return EXDEV;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return ENOMEM;
    case ERROR_WRITE_PROTECT:
      return EROFS;
    case ERROR_FILENAME_EXCED_RANGE:
      return ENAMETOOLONG;
    default:
      return EIO;
  }
}

// The last system error, as that errno.
SysResult Failed() { return {ErrnoFor(GetLastError())}; }

HANDLE HandleOf(std::FILE* stream) { return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))); }

// Closes fd after a step on it failed with error, and answers that error.
SysValue<int> CloseAfter(int fd, int error) {
  _close(fd);
  return {-1, error};
}

// The file a link at path leads to, when that file exists; else null.
OwnedText FinalPathOf(const PathChar* path) {
  const HANDLE file = CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  const DWORD size = GetFinalPathNameByHandleW(file, nullptr, 0, FILE_NAME_NORMALIZED);
  OwnedText target(size > 0 ? new (std::nothrow) wchar_t[size + 1] : nullptr);
  const DWORD length = target ? GetFinalPathNameByHandleW(file, target.get(), size + 1, FILE_NAME_NORMALIZED) : 0;
  CloseHandle(file);
  if (length == 0 || length > size) return nullptr;
  return target;
}

}  // namespace

SysValue<OwnedText> FollowLinks(const PathChar* path) {
  const DWORD attributes = GetFileAttributesW(path);
  OwnedText same = JoinText({path});
  if (!same) return {nullptr, ENOMEM};
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
    return {std::move(same)};
  // The system names the file a link leads to only when that file exists; a
  // link that leads nowhere is replaced itself.
  OwnedText target = FinalPathOf(path);
  return {target ? std::move(target) : std::move(same)};
}

SysResult LookAt(const PathChar* path, FileId& id, FileKind& kind) {
  // No access asked: only what the file is, and which, is read.
  const HANDLE file = CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Failed();
  BY_HANDLE_FILE_INFORMATION info{};
  const SysResult known = GetFileInformationByHandle(file, &info) ? SysResult{} : Failed();
  const bool disk = GetFileType(file) == FILE_TYPE_DISK;
  CloseHandle(file);
  if (!known.Ok()) return known;
  id.device = info.dwVolumeSerialNumber;
  id.file = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  kind = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? FileKind::kFolder
         : disk                                                  ? FileKind::kRegular
                                                                 : FileKind::kOther;
  return {};
}

SysValue<int> OpenExistingForWriting(const PathChar* path, FileFacts& facts) {
  const int fd = _wopen(path, _O_WRONLY | _O_BINARY | _O_NOINHERIT);
  if (fd < 0) return {-1, errno};
  struct _stat64 st;
  if (_fstat64(fd, &st) != 0) return CloseAfter(fd, errno);
  // A device (NUL, CON) or a pipe is no disk file.
  facts.regular =
      (st.st_mode & _S_IFREG) != 0 && GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(fd))) == FILE_TYPE_DISK;
  facts.mode = static_cast<std::uint32_t>(st.st_mode & 0777);
  return {fd};
}

SysValue<int> CreateNewFile(const PathChar* path, const FileFacts*) {
  // The one permission a file has here is being writable, which a file that
  // could be replaced had.
  const int fd = _wopen(path, _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
  if (fd < 0) return {-1, errno};
  return {fd};
}

SysValue<std::FILE*> WriteStreamOn(int fd) {
  std::FILE* stream = _fdopen(fd, "wb");
  if (stream != nullptr) return {stream};
  return {nullptr, CloseAfter(fd, errno).error};
}

SysResult CloseDescriptor(int fd) {
  if (_close(fd) != 0) return {errno};
  return {};
}

SysValue<std::int64_t> PositionIn(std::FILE* stream) {
  const std::int64_t at = _ftelli64(stream);
  if (at < 0) return {-1, errno};
  return {at};
}

SysResult TruncateTo(std::FILE* stream, std::int64_t length) {
  LARGE_INTEGER at;
  at.QuadPart = length;
  const HANDLE file = HandleOf(stream);
  if (SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && SetEndOfFile(file)) return {};
  return Failed();
}

SysResult SyncToStorage(std::FILE* stream) {
  const HANDLE file = HandleOf(stream);
  if (GetFileType(file) != FILE_TYPE_DISK || FlushFileBuffers(file)) return {};
  return Failed();
}

// The rename below is written through to the disk when asked to be.
SysResult SyncFolderOf(const PathChar*) { return {}; }

SysResult ReplaceByRename(const PathChar* from, const PathChar* to, bool writeThrough) {
  const DWORD flags = MOVEFILE_REPLACE_EXISTING | (writeThrough ? MOVEFILE_WRITE_THROUGH : 0);
  if (MoveFileExW(from, to, flags)) return {};
  return Failed();
}

SysResult RemoveFile(const PathChar* path) {
  if (_wunlink(path) != 0) return {errno};
  return {};
}

}  // namespace bmpresize
