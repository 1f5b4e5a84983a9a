// SPDX-License-Identifier: MIT
// The instruction-set versions of the row blends. Each answers null when this
// build or this CPU cannot run it.
#pragma once

#include "resample/row_blend.h"

namespace bmpresize {

const RowBlendKernels* Sse2RowBlend();
const RowBlendKernels* Avx2RowBlend();
const RowBlendKernels* NeonRowBlend();

}  // namespace bmpresize
