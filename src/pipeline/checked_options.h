// SPDX-License-Identifier: MIT
// The options' values checked before a resize reads its source: one out of
// its range fails with BMPRESIZE_CAUSE_OPTION, its value the value given.
#pragma once

#include "bmpresize.h"
#include "result/status.h"

namespace bmpresize {

Status CheckOptions(const bmpresize_options& options);

}  // namespace bmpresize
