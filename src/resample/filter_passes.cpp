// SPDX-License-Identifier: MIT
#include "resample/filter_passes.h"

#include "resample/filter_passes_variants.h"

namespace bmpresize {

std::size_t AvailableFilterPasses(const FilterPasses** out, std::size_t capacity) {
  const FilterPasses* all[] = {&ScalarFilterPasses(), Sse2FilterPasses(), Avx2FilterPasses(), NeonFilterPasses()};
  std::size_t n = 0;
  for (const FilterPasses* p : all) {
    if (p != nullptr && n < capacity) out[n++] = p;
  }
  return n;
}

const FilterPasses& BestFilterPasses() {
  // The last one available is the widest.
  static const FilterPasses* const best = [] {
    const FilterPasses* all[4];
    return all[AvailableFilterPasses(all, 4) - 1];
  }();
  return *best;
}

}  // namespace bmpresize
