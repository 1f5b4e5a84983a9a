// SPDX-License-Identifier: MIT
// The file-system steps on Windows: paths go to the wide-character functions,
// so every Unicode name works; the C runtime's descriptors carry the files.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <new>

#include "files/file_system.h"
#include "files/wide_path.h"

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
    default:
      return EIO;
  }
}

bool Failed() {
  errno = ErrnoFor(GetLastError());
  return false;
}

OwnedText Utf8From(const wchar_t* wide) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 0) {
    errno = EINVAL;
    return nullptr;
  }
  OwnedText text(new (std::nothrow) char[static_cast<std::size_t>(n)]);
  if (!text) {
    errno = ENOMEM;
    return nullptr;
  }
  if (WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.get(), n, nullptr, nullptr) != n) {
    errno = EINVAL;
    return nullptr;
  }
  return text;
}

HANDLE HandleOf(std::FILE* stream) { return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))); }

}  // namespace

OwnedText FollowLinks(const char* path) {
  const WidePath wide(path);
  if (!wide) return nullptr;
  const DWORD attributes = GetFileAttributesW(wide.get());
  OwnedText same = JoinText({path});
  if (!same) errno = ENOMEM;
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return same;
  // The system names the file a link leads to only when that file exists; a
  // link that leads nowhere is replaced itself.
  const HANDLE file = CreateFileW(wide.get(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return same;
  const DWORD size = GetFinalPathNameByHandleW(file, nullptr, 0, FILE_NAME_NORMALIZED);
  std::unique_ptr<wchar_t[]> target(size > 0 ? new (std::nothrow) wchar_t[size + 1] : nullptr);
  const DWORD length = target ? GetFinalPathNameByHandleW(file, target.get(), size + 1, FILE_NAME_NORMALIZED) : 0;
  CloseHandle(file);
  if (length == 0 || length > size) return same;
  return Utf8From(target.get());
}

int OpenExistingForWriting(const char* path, FileFacts& facts) {
  const WidePath wide(path);
  if (!wide) return -1;
  const int fd = _wopen(wide.get(), _O_WRONLY | _O_BINARY | _O_NOINHERIT);
  if (fd < 0) return -1;
  struct _stat64 st;
  if (_fstat64(fd, &st) != 0) {
    const int error = errno;
    _close(fd);
    errno = error;
    return -1;
  }
  // A device (NUL, CON) or a pipe is no disk file.
  facts.regular =
      (st.st_mode & _S_IFREG) != 0 && GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(fd))) == FILE_TYPE_DISK;
  facts.mode = static_cast<std::uint32_t>(st.st_mode & 0777);
  return fd;
}

int CreateNewFile(const char* path, const FileFacts*) {
  // The one permission a file has here is being writable, which a file that
  // could be replaced had.
  const WidePath wide(path);
  if (!wide) return -1;
  return _wopen(wide.get(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}

std::FILE* WriteStreamOn(int fd) {
  std::FILE* stream = _fdopen(fd, "wb");
  if (stream == nullptr) {
    const int error = errno;
    _close(fd);
    errno = error;
  }
  return stream;
}

bool CloseDescriptor(int fd) { return _close(fd) == 0; }

std::int64_t PositionIn(std::FILE* stream) { return _ftelli64(stream); }

bool TruncateTo(std::FILE* stream, std::int64_t length) {
  LARGE_INTEGER at;
  at.QuadPart = length;
  const HANDLE file = HandleOf(stream);
  return (SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && SetEndOfFile(file)) || Failed();
}

bool SyncToStorage(std::FILE* stream) {
  const HANDLE file = HandleOf(stream);
  if (GetFileType(file) != FILE_TYPE_DISK) return true;
  return FlushFileBuffers(file) || Failed();
}

// The rename below is written through to the disk when asked to be.
bool SyncFolderOf(const char*) { return true; }

bool ReplaceByRename(const char* from, const char* to, bool writeThrough) {
  const WidePath wideFrom(from);
  const WidePath wideTo(to);
  if (!wideFrom || !wideTo) return false;
  const DWORD flags = MOVEFILE_REPLACE_EXISTING | (writeThrough ? MOVEFILE_WRITE_THROUGH : 0);
  return MoveFileExW(wideFrom.get(), wideTo.get(), flags) || Failed();
}

bool RemoveFile(const char* path) {
  const WidePath wide(path);
  return wide && _wunlink(wide.get()) == 0;
}
