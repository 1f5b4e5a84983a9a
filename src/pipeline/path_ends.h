// SPDX-License-Identifier: MIT
// The end a native path names, for every way in that takes paths: the open
// descriptor it names (/dev/stdout, /dev/fd/N, ...; DescriptorOfPath), read or
// written where it stands, or else the file, read by path or replaced whole.
#pragma once

#include <optional>

#include "bmpresize.h"
#include "files/descriptor_path.h"
#include "pipeline/descriptor_ends.h"

// Calls use with the source end for path; pathError as PathSource takes it.
template <typename Use>
bmpresize_result WithPathSource(const PathChar* path, int pathError, Use use) {
  if (const std::optional<int> fd = DescriptorOfPath(path)) {
    DescriptorSource end(*fd);
    return use(end);
  }
  PathSource end(path, pathError);
  return use(end);
}

// Calls use with the destination end for path; pathError as PathDestination
// takes it.
template <typename Use>
bmpresize_result WithPathDestination(const PathChar* path, int pathError, Use use) {
  if (const std::optional<int> fd = DescriptorOfPath(path)) {
    DescriptorDestination end(*fd);
    return use(end);
  }
  PathDestination end(path, pathError);
  return use(end);
}
