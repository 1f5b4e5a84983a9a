// SPDX-License-Identifier: MIT
// The options' values checked against their ranges, before the source is
// read, and turned into the request the pipeline takes (ResizeRequest): one
// out of its range fails with BMPRESIZE_CAUSE_OPTION, whose value is the
// value refused. Checks that need the source's headers (a region inside the
// picture) are the plan's. The one place under the public functions that
// reads bmpresize_options.
#pragma once

#include "bmpresize.h"
#include "pipeline/resize_request.h"
#include "result/status.h"

namespace bmpresize {

// The options checked; where they pass, request holds them.
Status CheckOptions(const bmpresize_options& options, ResizeRequest& request);

// What an inspection keeps of the options, which it takes unchecked: when to
// stop, and the memory limit (the default for 0 or less).
RunRules RunRulesOf(const bmpresize_options& options);

// The options a resize takes when a caller gives none: 100 %, nothing else.
bmpresize_options DefaultOptions();

}  // namespace bmpresize
