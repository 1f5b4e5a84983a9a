// SPDX-License-Identifier: MIT
// The end a native path names, for every way in that takes paths: the open
// descriptor it names (/dev/stdout, /dev/fd/N, ...; DescriptorOfPath), read or
// written where it stands, or else the file, read by path or replaced whole.
#pragma once

#include <optional>

#include "bmpresize.h"
#include "files/descriptor_path.h"
#include "pipeline/descriptor_ends.h"

namespace bmpresize {

// Calls use with a DescriptorEnd for a path that names a descriptor, else
// with a FileEnd for the path (pathError as PathSource and PathDestination
// take it).
template <typename DescriptorEnd, typename FileEnd, typename Use>
bmpresize_result WithEndFor(const PathChar* path, int pathError, Use use) {
  if (const std::optional<int> fd = DescriptorOfPath(path)) {
    DescriptorEnd end(*fd);
    return use(end);
  }
  FileEnd end(path, pathError);
  return use(end);
}

template <typename Use>
bmpresize_result WithPathSource(const PathChar* path, int pathError, Use use) {
  return WithEndFor<DescriptorSource, PathSource>(path, pathError, use);
}

template <typename Use>
bmpresize_result WithPathDestination(const PathChar* path, int pathError, Use use) {
  return WithEndFor<DescriptorDestination, PathDestination>(path, pathError, use);
}

}  // namespace bmpresize
