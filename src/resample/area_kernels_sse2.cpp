// SPDX-License-Identifier: MIT
// The area filter's passes with SSE2.
#include "resample/area_kernels_variants.h"

namespace bmpresize {

const AreaKernels* Sse2AreaKernels() { return nullptr; }

}  // namespace bmpresize
