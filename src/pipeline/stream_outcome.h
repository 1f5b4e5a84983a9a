// SPDX-License-Identifier: MIT
// How the stream of a resize ended, however many bands it ran in: the bands'
// ends merged as one thread would have ended (MergeBands), and what the
// resize then tells its caller (WhyNotFinished). Both are decided here alone.
#pragma once

#include <memory>

#include "bmpfile/data_shortfall.h"
#include "bmpresize.h"
#include "pipeline/band.h"
#include "pipeline/resize_request.h"
#include "result/cause.h"

namespace bmpresize {

struct StreamOutcome {
  bool streamed = false;  // every row went out
  Cause readFailure;      // why a read failed, when one did
  DataShortfall shortfall;
  Cause writeFailure;  // why the rows did not all go out, when no read failed
};

StreamOutcome MergeBands(const std::unique_ptr<Band>* bands, unsigned count);

// Why a finished stream is not a resize, if it is not: the caller cancelled,
// the source failed or (strict) was cut short, or a write failed.
Cause WhyNotFinished(const StreamOutcome& outcome, const RunRules& run);

// The shortfall as the result tells it.
void CopyShortfall(const DataShortfall& from, bmpresize_shortfall& to);

}  // namespace bmpresize
