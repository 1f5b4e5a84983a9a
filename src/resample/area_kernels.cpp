// SPDX-License-Identifier: MIT
#include "resample/area_kernels.h"

#include "resample/area_kernels_variants.h"

namespace bmpresize {

std::size_t AvailableAreaKernels(const AreaKernels** out, std::size_t capacity) {
  const AreaKernels* all[] = {&ScalarAreaKernels(), Sse2AreaKernels(), Avx2AreaKernels(), NeonAreaKernels()};
  std::size_t n = 0;
  for (const AreaKernels* k : all) {
    if (k != nullptr && n < capacity) out[n++] = k;
  }
  return n;
}

const AreaKernels& BestAreaKernels() {
  // The last one available is the widest.
  static const AreaKernels* const best = [] {
    const AreaKernels* all[4];
    return all[AvailableAreaKernels(all, 4) - 1];
  }();
  return *best;
}

}  // namespace bmpresize
