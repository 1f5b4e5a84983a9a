// SPDX-License-Identifier: MIT
// The choice among the variants of a family of kernels (scalar, SSE2, AVX2,
// NEON), made the same way for every family: all lists them narrowest first,
// scalar always there, and null for one that this build or this CPU lacks.
#pragma once

#include <array>
#include <cstddef>

namespace bmpresize {

// The variants there are, in order, into out (up to capacity): how many.
template <typename Kernels, std::size_t kVariants>
std::size_t AvailableVariants(const std::array<const Kernels*, kVariants>& all, const Kernels** out,
                              std::size_t capacity) {
  std::size_t count = 0;
  for (const Kernels* k : all) {
    if (k != nullptr && count < capacity) out[count++] = k;
  }
  return count;
}

// The widest variant there is: the last one.
template <typename Kernels, std::size_t kVariants>
const Kernels& WidestVariant(const std::array<const Kernels*, kVariants>& all) {
  const Kernels* widest = all[0];
  for (const Kernels* k : all) {
    if (k != nullptr) widest = k;
  }
  return *widest;
}

}  // namespace bmpresize
