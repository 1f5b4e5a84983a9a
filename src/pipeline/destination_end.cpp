// SPDX-License-Identifier: MIT
#include "pipeline/destination_end.h"

#include <cerrno>
#include <cstring>

bool PathDestination::Accepts(std::uint64_t, Cause& cause) {
  if (path_ != nullptr || pathError_ != 0) return true;
  cause = Because(BMPRESIZE_CAUSE_NO_DESTINATION);
  return false;
}

bool PathDestination::Open(const SourceEnd& source, Cause& cause) {
  if (pathError_ != 0) {
    cause = BecauseOfError(BMPRESIZE_CAUSE_CREATE_FAILED, pathError_);
    return false;
  }
  if (!file_.Open(path_, source.File(), source.IsFile())) {
    cause = file_.Failure();
    return false;
  }
  bytes_.Attach(file_.Stream());
  return true;
}

std::FILE* PathDestination::NewFile() {
  // A file rewritten in place is cut where its stream stands, and a device
  // or FIFO takes bytes only in order: only a new file takes them at offsets.
  std::FILE* stream = file_.Stream();
  if (file_.way() != ReplacingFile::Way::kReplace || std::fflush(stream) != 0 || !IsRegularFileStream(stream))
    return nullptr;
  return stream;
}

OffsetSink* PathDestination::AtOffsets() {
  std::FILE* stream = NewFile();
  if (stream == nullptr) return nullptr;
  offsets_.Attach(stream);
  return &offsets_;
}

bool PathDestination::Commit(bool sync, Cause& cause) {
  if (file_.Commit(sync)) return true;
  cause = file_.Failure();
  return false;
}

bool MemoryDestination::Accepts(std::uint64_t size, Cause& cause) {
  if (data_ == nullptr || size > capacity_) {
    cause = Because(BMPRESIZE_CAUSE_BUFFER_TOO_SMALL, static_cast<std::int64_t>(size),
                    static_cast<std::int64_t>(data_ != nullptr ? capacity_ : 0));
    return false;
  }
  return true;
}

bool MemoryDestination::Write(const void* bytes, std::size_t n) {
  if (n > capacity_ - size_) return false;
  if (n > 0) std::memcpy(data_ + size_, bytes, n);
  size_ += n;
  return true;
}

int MemoryDestination::WriteAt(std::int64_t offset, const void* bytes, std::size_t n) {
  if (offset < 0 || static_cast<std::uint64_t>(offset) > capacity_ || n > capacity_ - static_cast<std::size_t>(offset))
    return ENOSPC;
  if (n > 0) std::memcpy(data_ + offset, bytes, n);
  return 0;
}

bool CallbackDestination::Write(const void* bytes, std::size_t n) {
  // A call without bytes is the end of the picture; an empty piece is no call.
  if (error_ != 0) return false;
  if (n == 0) return true;
  error_ = write_(user_, bytes, n);
  return error_ == 0;
}

bool CallbackDestination::Commit(bool, Cause& cause) {
  if (error_ == 0) error_ = write_(user_, nullptr, 0);
  if (error_ == 0) return true;
  cause = BecauseOfError(BMPRESIZE_CAUSE_WRITE_FAILED, error_);
  return false;
}
