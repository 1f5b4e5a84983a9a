// SPDX-License-Identifier: MIT
#include "pipeline/source_end.h"

#include <cerrno>

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
