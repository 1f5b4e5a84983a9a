// SPDX-License-Identifier: MIT
// The options' values checked against their ranges, before the source is
// read: one out of its range fails with BMPRESIZE_CAUSE_OPTION, whose value
// is the value refused. Checks that need the source's headers (a region
// inside the picture) are the plan's.
#pragma once

#include "bmpresize.h"
#include "result/status.h"

namespace bmpresize {

Status CheckOptions(const bmpresize_options& options);

}  // namespace bmpresize
