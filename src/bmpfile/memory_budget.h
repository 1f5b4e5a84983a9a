// SPDX-License-Identifier: MIT
// The memory a reader may hold as it reads: the limit of the whole resize,
// of which the rest of the resize (its rows, taps and the reader's own row
// buffers) already takes counted bytes. A reader that would hold more fails
// with BMPRESIZE_CAUSE_MEMORY_LIMIT, the value the bytes the whole would need.
#pragma once

#include <cstdint>
#include <limits>

namespace bmpresize {

struct MemoryBudget {
  std::uint64_t limit = std::numeric_limits<std::uint64_t>::max();
  std::uint64_t counted = 0;

  // The bytes left for data held in memory.
  std::uint64_t Room() const { return limit > counted ? limit - counted : 0; }
};

}  // namespace bmpresize
