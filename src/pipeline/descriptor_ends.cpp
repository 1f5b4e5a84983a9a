// SPDX-License-Identifier: MIT
#include "pipeline/descriptor_ends.h"

#include "files/file_identity.h"

namespace bmpresize {

Status DescriptorSource::Open() {
  const SysResult checked = CheckDescriptor(fd_, false);
  if (checked.Ok()) return {};
  return BecauseOfError(BMPRESIZE_CAUSE_OPEN_FAILED, checked.error);
}

Status DescriptorDestination::Open(const SourceEnd& source, std::uint64_t size) {
  const SysResult checked = CheckDescriptor(writer_.fd, true);
  if (!checked.Ok()) return BecauseOfError(BMPRESIZE_CAUSE_CREATE_FAILED, checked.error);
  // Written as it is read, the file would be overwritten or grow under the
  // reader.
  if (IsSameRegularFile(writer_.fd, source.Descriptor())) return Because(BMPRESIZE_CAUSE_SAME_AS_SOURCE);
  return end_.Open(source, size);
}

Status DescriptorDestination::Commit(bool sync) {
  const Status ended = end_.Commit(sync);
  if (!ended.Ok() || !sync) return ended;
  const SysResult synced = SyncDescriptor(writer_.fd);
  if (synced.Ok()) return {};
  return BecauseOfError(BMPRESIZE_CAUSE_WRITE_FAILED, synced.error);
}

}  // namespace bmpresize
