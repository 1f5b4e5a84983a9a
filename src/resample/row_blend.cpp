// SPDX-License-Identifier: MIT
#include "resample/row_blend.h"

#include "resample/kernel_variants.h"
#include "resample/row_blend_variants.h"

namespace bmpresize {

namespace {

std::array<const RowBlendKernels*, 4> AllRowBlends() {
  return {&ScalarRowBlend(), Sse2RowBlend(), Avx2RowBlend(), NeonRowBlend()};
}

}  // namespace

std::size_t AvailableRowBlends(const RowBlendKernels** out, std::size_t capacity) {
  return AvailableVariants(AllRowBlends(), out, capacity);
}

const RowBlendKernels& BestRowBlend() {
  static const RowBlendKernels* const best = &WidestVariant(AllRowBlends());
  return *best;
}

}  // namespace bmpresize
