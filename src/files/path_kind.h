// SPDX-License-Identifier: MIT
// What a path that could not be opened as a file turned out to be, so that a
// caller can say more than the system's reason: the opener refuses folders,
// named pipes and sockets without one, and Windows calls a folder "Permission
// denied".
#pragma once

#include "files/native_path.h"

namespace bmpresize {

// One of BMPRESIZE_PATH_... (bmpresize.h).
int KindOfPath(const PathChar* path);

}  // namespace bmpresize
