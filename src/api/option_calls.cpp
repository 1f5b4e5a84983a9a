// SPDX-License-Identifier: MIT
#include "api/option_calls.h"

#include "api/checked_options.h"
#include "pipeline/inspect.h"
#include "pipeline/resize.h"

namespace bmpresize {

bmpresize_result Resize(SourceEnd& source, DestinationEnd& destination, const bmpresize_options& options) {
  ResizeRequest request;
  const Status checked = CheckOptions(options, request);
  if (!checked.Ok()) return Failed(bmpresize_result{}, checked.Why());
  return Resize(source, destination, request);
}

bmpresize_result Measure(SourceEnd& source, const bmpresize_options& options) {
  ResizeRequest request;
  const Status checked = CheckOptions(options, request);
  if (checked.Ok()) return Measure(source, request);
  source.Close();
  return Failed(bmpresize_result{}, checked.Why());
}

bmpresize_result Inspect(SourceEnd& source, const bmpresize_options& options, bmpresize_info& info) {
  return Inspect(source, RunRulesOf(options), info);
}

}  // namespace bmpresize
