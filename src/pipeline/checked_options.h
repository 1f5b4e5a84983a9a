// SPDX-License-Identifier: MIT
// The options a resize refuses before it reads its source: each value out of
// its range fails with BMPRESIZE_CAUSE_OPTION, the value being the cause's.
// Every resize path checks here first.
#pragma once

#include "bmpresize.h"
#include "result/status.h"

namespace bmpresize {

Status CheckOptions(const bmpresize_options& options);

}  // namespace bmpresize
