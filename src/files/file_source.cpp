// SPDX-License-Identifier: MIT
// Regular files are read by 64-bit offsets.
#if !defined(_WIN32) && !defined(_FILE_OFFSET_BITS)
#define _FILE_OFFSET_BITS 64
#endif
#include "files/file_source.h"

#include <sys/stat.h>

#include <cerrno>
#include <limits>

namespace bmpresize {

namespace {

bool IsRegularFile(std::FILE* stream, std::int64_t* size) {
#if defined(_WIN32)
  struct _stat64 st;
  if (_fstat64(_fileno(stream), &st) != 0 || (st.st_mode & _S_IFREG) == 0) return false;
#else
  struct stat st;
  if (fstat(fileno(stream), &st) != 0 || !S_ISREG(st.st_mode)) return false;
#endif
  if (size != nullptr) *size = static_cast<std::int64_t>(st.st_size);
  return true;
}

}  // namespace

void FileSource::Attach(std::FILE* stream) {
  stream_ = stream;
  regular_ = stream != nullptr && IsRegularFile(stream, nullptr) && Position() >= 0;
}

std::int64_t FileSource::Position() const {
  if (stream_ == nullptr) return -1;
#if defined(_WIN32)
  return _ftelli64(stream_);
#else
  return static_cast<std::int64_t>(ftello(stream_));
#endif
}

std::int64_t FileSource::Length() const {
  std::int64_t size = -1;
  return regular_ && IsRegularFile(stream_, &size) ? size : -1;
}

void FileSource::NoteShortRead(int error) {
  if (std::ferror(stream_)) {
    NoteError(error);
  } else {
    NoteEnd();
  }
}

std::size_t FileSource::Fetch(void* destination, std::size_t n) {
  if (stream_ == nullptr) {
    NoteError(EBADF);
    return 0;
  }
  errno = 0;
  const std::size_t got = std::fread(destination, 1, n, stream_);
  if (got < n) NoteShortRead(errno);
  return got;
}

int FileSource::FetchByte() {
  if (stream_ == nullptr) {
    NoteError(EBADF);
    return -1;
  }
  errno = 0;
  const int byte = std::getc(stream_);
  if (byte == EOF) NoteShortRead(errno);
  return byte == EOF ? -1 : byte;
}

bool FileSource::Seek(std::int64_t position) {
  std::clearerr(stream_);
#if defined(_WIN32)
  return _fseeki64(stream_, position, SEEK_SET) == 0;
#else
  if (position > std::numeric_limits<off_t>::max()) return false;
  return fseeko(stream_, static_cast<off_t>(position), SEEK_SET) == 0;
#endif
}

}  // namespace bmpresize
