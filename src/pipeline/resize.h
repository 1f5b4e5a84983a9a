// SPDX-License-Identifier: MIT
// One whole resize, from a source end to a destination end, in three steps:
//
//   plan     the source's headers read, the destination's size worked out and
//            refused if it cannot be written (ResizePlan), the memory for the
//            rows had, the destination opened
//   stream   the rows resized from the bottom up (StreamRows)
//   finish   the source closed, then the destination made whole (a new file
//            renamed over the old one) or given up
//
// The result carries the code and its cause. The checks come in the order
// source, size, destination; the destination is replaced whole or not at
// all (see ReplacingFile), and the source is closed before it is replaced.
// Nothing here throws: every failure, an allocation among them, is a result.
#pragma once

#include "bmpresize.h"
#include "pipeline/destination_end.h"
#include "pipeline/resize_request.h"
#include "pipeline/source_end.h"

namespace bmpresize {

bmpresize_result Resize(SourceEnd& source, DestinationEnd& destination, const ResizeRequest& request);

// The plan alone: the result a resize of this source would have as far as
// its headers tell, with the destination's size in bytes.
bmpresize_result Measure(SourceEnd& source, const ResizeRequest& request);

}  // namespace bmpresize
