// SPDX-License-Identifier: MIT
// The caller's cancel flag (RunRules::cancel), read in this one place:
// another thread or a signal handler may set it at any time.
#pragma once

#include "pipeline/resize_request.h"

namespace bmpresize {

// Whether the caller's cancel flag is set.
bool Cancelled(const RunRules& run);

}  // namespace bmpresize
