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

namespace bmpresize {

namespace {

// One system call moves at most this many bytes; longer parts take several.
// A read or write answers the bytes it moved (0 at the end), or the error.
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

SysValue<long long> ReadOnce(std::FILE* stream, void* destination, std::size_t n, std::int64_t offset) {
  OVERLAPPED at = At(offset);
  DWORD got = 0;
  if (ReadFile(HandleOf(stream), destination, static_cast<DWORD>(n), &got, &at)) return {got};
  if (GetLastError() == ERROR_HANDLE_EOF) return {0};
  return {-1, EIO};
}

SysValue<long long> WriteOnce(std::FILE* stream, const void* bytes, std::size_t n, std::int64_t offset) {
  OVERLAPPED at = At(offset);
  DWORD put = 0;
  if (WriteFile(HandleOf(stream), bytes, static_cast<DWORD>(n), &put, &at)) return {put};
  return {-1, GetLastError() == ERROR_DISK_FULL ? ENOSPC : EIO};
}
#else
SysValue<long long> ReadOnce(std::FILE* stream, void* destination, std::size_t n, std::int64_t offset) {
  for (;;) {
    const ssize_t got = pread(fileno(stream), destination, n, static_cast<off_t>(offset));
    if (got >= 0) return {got};
    if (errno != EINTR) return {-1, errno};
  }
}

SysValue<long long> WriteOnce(std::FILE* stream, const void* bytes, std::size_t n, std::int64_t offset) {
  for (;;) {
    const ssize_t put = pwrite(fileno(stream), bytes, n, static_cast<off_t>(offset));
    if (put >= 0) return {put};
    if (errno != EINTR) return {-1, errno};
  }
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
    const SysValue<long long> got = ReadOnce(stream_, to + done, std::min(n - done, kMostPerCall), position_);
    if (!got.Ok()) {
      NoteError(got.error);
      break;
    }
    if (got.value == 0) {
      NoteEnd();
      break;
    }
    done += static_cast<std::size_t>(got.value);
    position_ += got.value;
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
    const SysValue<long long> put = WriteOnce(stream_, from + done, std::min(n - done, kMostPerCall), offset);
    if (!put.Ok() || put.value == 0) return BecauseOfError(BMPRESIZE_CAUSE_WRITE_FAILED, put.Ok() ? EIO : put.error);
    done += static_cast<std::size_t>(put.value);
    offset += put.value;
  }
  return {};
}

std::int64_t FileOffsetSink::CopyFrom(ByteSource& source, std::int64_t from, std::int64_t at, std::int64_t n) {
  std::FILE* file = source.File();
  if (file == nullptr) return 0;
  return CopyFileRange(file, from, stream_, at, n).value;
}

}  // namespace bmpresize
