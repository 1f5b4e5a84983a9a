// SPDX-License-Identifier: MIT
#include "pipeline/destination_end.h"

#include <cerrno>
#include <cstring>

namespace bmpresize {

Status PathDestination::Accepts(std::uint64_t) {
  if (path_ != nullptr || pathError_ != 0) return {};
  return Because(BMPRESIZE_CAUSE_NO_DESTINATION);
}

Status PathDestination::Open(const SourceEnd& source, std::uint64_t) {
  if (pathError_ != 0) return BecauseOfError(BMPRESIZE_CAUSE_CREATE_FAILED, pathError_);
  if (Status opened = file_.Open(path_, source.IsFile() ? source.Descriptor() : -1, source.IsFile()); !opened.Ok())
    return opened;
  bytes_.Attach(file_.Stream());
  return {};
}

OffsetSink* PathDestination::StartOffsets() {
  // A file rewritten in place is cut where its stream stands, and a device
  // or FIFO takes bytes only in order: only a new file takes them at offsets.
  std::FILE* stream = file_.Stream();
  if (file_.way() != ReplacingFile::Way::kReplace || std::fflush(stream) != 0 || !IsRegularFileStream(stream))
    return nullptr;
  offsets_.Attach(stream);
  return &offsets_;
}

Status PathDestination::Commit(bool sync) { return file_.Commit(sync); }

Status MemoryDestination::Accepts(std::uint64_t size) {
  if (data_ != nullptr && size <= capacity_) return {};
  return Because(BMPRESIZE_CAUSE_BUFFER_TOO_SMALL, static_cast<std::int64_t>(size),
                 static_cast<std::int64_t>(data_ != nullptr ? capacity_ : 0));
}

// A picture written over its own source as it is read would come out
// garbled, and bands on other threads would race with the reads.
Status MemoryDestination::Open(const SourceEnd& source, std::uint64_t size) {
  if (source.SharesMemory(data_, static_cast<std::size_t>(size))) return Because(BMPRESIZE_CAUSE_SAME_AS_SOURCE);
  return {};
}

Status MemoryDestination::Write(const void* bytes, std::size_t n) {
  if (n > capacity_ - size_) return BecauseOfError(BMPRESIZE_CAUSE_WRITE_FAILED, 0);
  if (n > 0) std::memcpy(data_ + size_, bytes, n);
  size_ += n;
  return {};
}

Status MemoryDestination::WriteAt(std::int64_t offset, const void* bytes, std::size_t n) {
  if (offset < 0 || static_cast<std::uint64_t>(offset) > capacity_ || n > capacity_ - static_cast<std::size_t>(offset))
    return BecauseOfError(BMPRESIZE_CAUSE_WRITE_FAILED, ENOSPC);
  if (n > 0) std::memcpy(data_ + offset, bytes, n);
  return {};
}

Status CallbackDestination::Write(const void* bytes, std::size_t n) {
  // A call without bytes is the end of the picture; an empty piece is no call.
  if (error_ == 0 && n > 0) error_ = write_(user_, bytes, n);
  if (error_ == 0) return {};
  return BecauseOfError(BMPRESIZE_CAUSE_WRITE_FAILED, error_);
}

Status CallbackDestination::Commit(bool) {
  if (error_ == 0) error_ = write_(user_, nullptr, 0);
  if (error_ == 0) return {};
  return BecauseOfError(BMPRESIZE_CAUSE_WRITE_FAILED, error_);
}

}  // namespace bmpresize
