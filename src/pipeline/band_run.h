// SPDX-License-Identifier: MIT
// The one loop of a resize: its bands, each from its row source into the rows
// out, band b making destination rows height x b / count to height x (b + 1)
// / count - 1. The first runs on the calling thread, every other on a thread
// of its own (or here, after the first, where none can be had). A band that
// stops stops every band. The rows are the bytes of one band whatever the
// count.
#pragma once

#include "pipeline/resize_request.h"
#include "pipeline/rows_in.h"
#include "pipeline/rows_out.h"
#include "pipeline/stream_outcome.h"

namespace bmpresize {

// Runs count bands (at most kMostBands; one unless out takes rows at offsets)
// over rows[0] to rows[count - 1]. A band whose buffer cannot be had fails
// the stream with NO_MEMORY before any row is read.
StreamOutcome RunBands(RowsIn* const* rows, unsigned count, RowsOut& out, const RunRules& run);

}  // namespace bmpresize
