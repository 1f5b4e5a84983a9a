// SPDX-License-Identifier: MIT
// The instruction-set versions of the convolution filters' passes. Each
// answers null when this build or this CPU cannot run it.
#pragma once

#include "resample/filter_passes.h"

namespace bmpresize {

const FilterPasses* Sse2FilterPasses();
const FilterPasses* Avx2FilterPasses();
const FilterPasses* NeonFilterPasses();

}  // namespace bmpresize
