// SPDX-License-Identifier: MIT
#if !defined(_WIN32) && !defined(_FILE_OFFSET_BITS)
#define _FILE_OFFSET_BITS 64
#endif
#include "files/file_offsets.h"

#include "files/copy_range.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <limits>

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

// One system call moves at most this many bytes; longer parts take several.
constexpr std::size_t kMostPerCall = std::size_t{1} << 30;

std::int64_t FileLength(std::FILE* stream) {
#if defined(_WIN32)
  struct _stat64 st;
  if (_fstat64(_fileno(stream), &st) != 0 || (st.st_mode & _S_IFREG) == 0) return -1;
#else
  struct stat st;
  if (fstat(fileno(stream), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
#endif
  return static_cast<std::int64_t>(st.st_size);
}

#if defined(_WIN32)
OVERLAPPED At(std::int64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(offset));
  at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
  return at;
}

HANDLE HandleOf(std::FILE* stream) { return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))); }

// Bytes read at offset: 0 at the end; -1 with errno on a failure.
long long ReadOnce(std::FILE* stream, void* destination, std::size_t n, std::int64_t offset) {
  OVERLAPPED at = At(offset);
  DWORD got = 0;
  if (ReadFile(HandleOf(stream), destination, static_cast<DWORD>(n), &got, &at)) return got;
  if (GetLastError() == ERROR_HANDLE_EOF) return 0;
  errno = EIO;
  return -1;
}

long long WriteOnce(std::FILE* stream, const void* bytes, std::size_t n, std::int64_t offset) {
  OVERLAPPED at = At(offset);
  DWORD put = 0;
  if (WriteFile(HandleOf(stream), bytes, static_cast<DWORD>(n), &put, &at)) return put;
  errno = GetLastError() == ERROR_DISK_FULL ? ENOSPC : EIO;
  return -1;
}
#else
long long ReadOnce(std::FILE* stream, void* destination, std::size_t n, std::int64_t offset) {
  ssize_t got;
  do {
    got = pread(fileno(stream), destination, n, static_cast<off_t>(offset));
  } while (got < 0 && errno == EINTR);
  return got;
}

long long WriteOnce(std::FILE* stream, const void* bytes, std::size_t n, std::int64_t offset) {
  ssize_t put;
  do {
    put = pwrite(fileno(stream), bytes, n, static_cast<off_t>(offset));
  } while (put < 0 && errno == EINTR);
  return put;
}
#endif

}  // namespace

bool IsRegularFileStream(std::FILE* stream) { return stream != nullptr && FileLength(stream) >= 0; }

FileOffsetSource::FileOffsetSource(std::FILE* stream, std::int64_t position) : stream_(stream), position_(position) {}

std::int64_t FileOffsetSource::Length() const { return FileLength(stream_); }

std::size_t FileOffsetSource::Fetch(void* destination, std::size_t n) {
  auto* to = static_cast<std::uint8_t*>(destination);
  std::size_t done = 0;
  while (done < n) {
    errno = 0;
    const long long got = ReadOnce(stream_, to + done, std::min(n - done, kMostPerCall), position_);
    if (got < 0) {
      NoteError(errno);
      break;
    }
    if (got == 0) {
      NoteEnd();
      break;
    }
    done += static_cast<std::size_t>(got);
    position_ += got;
  }
  return done;
}

bool FileOffsetSource::Seek(std::int64_t position) {
  position_ = position;
  return true;
}

Status FileOffsetSink::WriteAt(std::int64_t offset, const void* bytes, std::size_t n) {
  const auto* from = static_cast<const std::uint8_t*>(bytes);
  std::size_t done = 0;
  while (done < n) {
    errno = 0;
    const long long put = WriteOnce(stream_, from + done, std::min(n - done, kMostPerCall), offset);
    if (put <= 0) return BecauseOfError(BMPRESIZE_CAUSE_WRITE_FAILED, put < 0 && errno != 0 ? errno : EIO);
    done += static_cast<std::size_t>(put);
    offset += put;
  }
  return {};
}

std::int64_t FileOffsetSink::CopyFrom(ByteSource& source, std::int64_t from, std::int64_t at, std::int64_t n) {
  std::FILE* file = source.File();
  if (file == nullptr) return 0;
  int error = 0;
  return CopyFileRange(file, from, stream_, at, n, error);
}
