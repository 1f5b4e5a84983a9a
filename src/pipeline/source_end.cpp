// SPDX-License-Identifier: MIT
#include "pipeline/source_end.h"

#include <cstdint>
#include <new>

#include "files/file_offsets.h"

#include "files/path_kind.h"

namespace bmpresize {

Status PathSource::Open() {
  if (pathError_ != 0) {
    Cause cause = BecauseOfError(BMPRESIZE_CAUSE_OPEN_FAILED, pathError_);
    cause.value = BMPRESIZE_PATH_UNUSABLE_NAME;
    return cause;
  }
  const SysValue<std::FILE*> opened = OpenFile(path_, "rb");
  file_ = FileHandle(opened.value);
  if (!opened.Ok()) {
    Cause cause = BecauseOfError(BMPRESIZE_CAUSE_OPEN_FAILED, opened.error);
    cause.value = KindOfPath(path_);
    return cause;
  }
  bytes_.Attach(file_.get());
  return {};
}

std::unique_ptr<ByteSource> PathSource::IndependentBytes() const {
  if (!IsRegularFileStream(file_.get())) return nullptr;
  return std::unique_ptr<ByteSource>(new (std::nothrow) FileOffsetSource(file_.get(), 0));
}

std::unique_ptr<ByteSource> MemorySourceEnd::IndependentBytes() const {
  return std::unique_ptr<ByteSource>(new (std::nothrow) MemorySource(data_, size_));
}

bool MemorySourceEnd::SharesMemory(const void* begin, std::size_t size) const {
  if (data_ == nullptr || begin == nullptr) return false;
  // As addresses, which any two pointers may be compared as.
  const auto source = reinterpret_cast<std::uintptr_t>(data_);
  const auto other = reinterpret_cast<std::uintptr_t>(begin);
  return source >= other ? source - other < size : other - source < size_;
}

}  // namespace bmpresize
