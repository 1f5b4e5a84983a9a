// SPDX-License-Identifier: MIT
#include "pipeline/cancel_flag.h"

namespace bmpresize {

bool Cancelled(const bmpresize_options& options) {
  return options.cancel != nullptr && __atomic_load_n(options.cancel, __ATOMIC_RELAXED) != 0;
}

}  // namespace bmpresize
