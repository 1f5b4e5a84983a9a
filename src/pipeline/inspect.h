// SPDX-License-Identifier: MIT
// What the reader finds in a source, writing nothing: its headers as
// bmpresize_info, and the result a resize at 100 % would have as far as the
// source decides it (refused, a read failure, cut short, no colour table).
// The destination's limits play no part: a source is judged, not a resize
// of it.
#pragma once

#include "bmpresize.h"
#include "pipeline/resize_request.h"
#include "pipeline/source_end.h"

namespace bmpresize {

bmpresize_result Inspect(SourceEnd& source, const RunRules& run, bmpresize_info& info);

}  // namespace bmpresize
