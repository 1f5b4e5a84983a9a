// SPDX-License-Identifier: MIT
#include "pipeline/checked_options.h"

namespace bmpresize {

Status CheckOptions(const bmpresize_options& options) {
  if (options.filter != BMPRESIZE_FILTER_POINT && options.filter != BMPRESIZE_FILTER_AREA)
    return Because(BMPRESIZE_CAUSE_OPTION, options.filter);
  return {};
}

}  // namespace bmpresize
