// SPDX-License-Identifier: MIT
// The caller's cancel flag (options.cancel), read in this one place: another
// thread or a signal handler may set it at any time.
#pragma once

#include "bmpresize.h"

namespace bmpresize {

// Whether the caller's cancel flag is set.
bool Cancelled(const bmpresize_options& options);

}  // namespace bmpresize
