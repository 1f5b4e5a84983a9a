// SPDX-License-Identifier: MIT
#include "pipeline/source_end.h"

#include <cerrno>
#include <new>

#include "files/file_offsets.h"

#include "files/path_kind.h"

bool PathSource::Open(Cause& cause) {
  if (pathError_ != 0) {
    cause = BecauseOfError(BMPRESIZE_CAUSE_OPEN_FAILED, pathError_);
    cause.value = BMPRESIZE_PATH_UNUSABLE_NAME;
    return false;
  }
  errno = 0;
  file_ = FileHandle(OpenFile(path_, "rb"));
  if (!file_) {
    const int error = errno;
    cause = BecauseOfError(BMPRESIZE_CAUSE_OPEN_FAILED, error);
    cause.value = KindOfPath(path_);
    return false;
  }
  bytes_.Attach(file_.get());
  return true;
}

std::unique_ptr<ByteSource> PathSource::Another() const {
  if (!IsRegularFileStream(file_.get())) return nullptr;
  return std::unique_ptr<ByteSource>(new (std::nothrow) FileOffsetSource(file_.get(), 0));
}

std::unique_ptr<ByteSource> MemorySourceEnd::Another() const {
  return std::unique_ptr<ByteSource>(new (std::nothrow) MemorySource(data_, size_));
}
