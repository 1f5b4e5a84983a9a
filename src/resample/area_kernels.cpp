// SPDX-License-Identifier: MIT
#include "resample/area_kernels.h"

#include "resample/area_kernels_variants.h"
#include "resample/kernel_variants.h"

namespace bmpresize {

namespace {

std::array<const AreaKernels*, 4> AllAreaKernels() {
  return {&ScalarAreaKernels(), Sse2AreaKernels(), Avx2AreaKernels(), NeonAreaKernels()};
}

}  // namespace

std::size_t AvailableAreaKernels(const AreaKernels** out, std::size_t capacity) {
  return AvailableVariants(AllAreaKernels(), out, capacity);
}

const AreaKernels& BestAreaKernels() {
  static const AreaKernels* const best = &WidestVariant(AllAreaKernels());
  return *best;
}

}  // namespace bmpresize
