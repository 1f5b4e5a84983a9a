// SPDX-License-Identifier: MIT
#include "pipeline/descriptor_ends.h"

#include "files/file_identity.h"

bool DescriptorSource::Open(Cause& cause) {
  const int error = CheckDescriptor(fd_, false);
  if (error == 0) return true;
  cause = BecauseOfError(BMPRESIZE_CAUSE_OPEN_FAILED, error);
  return false;
}

bool DescriptorDestination::Open(const SourceEnd& source, Cause& cause) {
  const int error = CheckDescriptor(writer_.fd, true);
  if (error != 0) {
    cause = BecauseOfError(BMPRESIZE_CAUSE_CREATE_FAILED, error);
    return false;
  }
  // Written as it is read, the file would be overwritten or grow under the
  // reader.
  if (IsSameRegularFile(writer_.fd, source.Descriptor())) {
    cause = Because(BMPRESIZE_CAUSE_SAME_AS_SOURCE);
    return false;
  }
  return end_.Open(source, cause);
}

bool DescriptorDestination::Commit(bool sync, Cause& cause) {
  writer_.sync = sync;
  return end_.Commit(sync, cause);
}
