// SPDX-License-Identifier: MIT
// The pipeline's calls as the public functions make them, from the public
// options: checked into a request first (CheckOptions), so that a value out
// of its range fails before the source is opened.
#pragma once

#include "bmpresize.h"
#include "pipeline/destination_end.h"
#include "pipeline/source_end.h"

namespace bmpresize {

bmpresize_result Resize(SourceEnd& source, DestinationEnd& destination, const bmpresize_options& options);
bmpresize_result Measure(SourceEnd& source, const bmpresize_options& options);
// An inspection takes the options unchecked: only when to stop and the
// memory limit play a part in it.
bmpresize_result Inspect(SourceEnd& source, const bmpresize_options& options, bmpresize_info& info);

}  // namespace bmpresize
