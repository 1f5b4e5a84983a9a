// SPDX-License-Identifier: MIT
#include "pipeline/cancel_flag.h"

namespace bmpresize {

bool Cancelled(const RunRules& run) {
  return run.cancel != nullptr && __atomic_load_n(run.cancel, __ATOMIC_RELAXED) != 0;
}

}  // namespace bmpresize
