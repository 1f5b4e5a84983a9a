// SPDX-License-Identifier: MIT
// How a stream of rows ended, whether it ran on one thread or in bands: what
// the resize then tells its caller.
#pragma once

#include "bmpfile/data_shortfall.h"
#include "result/cause.h"

struct StreamOutcome {
  bool streamed = false;  // every row went out
  Cause readFailure;      // why a reader failed, when one did
  DataShortfall shortfall;
  Cause writeFailure;  // why the rows did not all go out, when no reader failed
};
