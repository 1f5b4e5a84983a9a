// SPDX-License-Identifier: MIT
// The instruction-set versions of the area filter's passes. Each answers null
// when this build or this CPU cannot run it.
#pragma once

#include "resample/area_kernels.h"

namespace bmpresize {

const AreaKernels* Sse2AreaKernels();
const AreaKernels* Avx2AreaKernels();
const AreaKernels* NeonAreaKernels();

}  // namespace bmpresize
