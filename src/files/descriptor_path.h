// SPDX-License-Identifier: MIT
// Paths that name a descriptor this process has open: /dev/stdin, /dev/stdout,
// /dev/stderr, /dev/fd/N, /proc/self/fd/N and /proc/<this process's id>/fd/N.
// Opened by name, such a path is a new open of what stands behind the
// descriptor: from its start, cut to nothing when written, and through the
// link's text, which for a pipe or a deleted file names nothing that can be
// opened. Every way in asks here first, and reads or writes such a path
// through the descriptor itself, where it stands. Windows has none of them.
#pragma once

#include <optional>

#include "files/native_path.h"

namespace bmpresize {

// The descriptor's number, whether it is open or not; nothing for any other
// path (a null one too).
std::optional<int> DescriptorOfPath(const PathChar* path);

}  // namespace bmpresize
