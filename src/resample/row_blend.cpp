// SPDX-License-Identifier: MIT
#include "resample/row_blend.h"

#include "resample/row_blend_variants.h"

namespace bmpresize {

std::size_t AvailableRowBlends(const RowBlendKernels** out, std::size_t capacity) {
  const RowBlendKernels* all[] = {&ScalarRowBlend(), Sse2RowBlend(), Avx2RowBlend(), NeonRowBlend()};
  std::size_t n = 0;
  for (const RowBlendKernels* k : all) {
    if (k != nullptr && n < capacity) out[n++] = k;
  }
  return n;
}

const RowBlendKernels& BestRowBlend() {
  // The last one available is the widest.
  static const RowBlendKernels* const best = [] {
    const RowBlendKernels* all[4];
    return all[AvailableRowBlends(all, 4) - 1];
  }();
  return *best;
}

}  // namespace bmpresize
