// SPDX-License-Identifier: MIT
// Where a band's rows come from: the source's rows resized (ResampledRows),
// or, where the destination's pixel array is the source's byte for byte, the
// stored rows handed through as they are (StoredRows). Either hands its rows
// to the band, which decides whether to go on.
#pragma once

#include <cstdint>

#include "bmpfile/data_shortfall.h"
#include "result/cause.h"

namespace bmpresize {

class Band;

class RowsIn {
 public:
  RowsIn() = default;
  virtual ~RowsIn() = default;
  RowsIn(const RowsIn&) = delete;
  RowsIn& operator=(const RowsIn&) = delete;

  // Hands the band destination rows first to end - 1, from the bottom up;
  // false once the band refused them.
  virtual bool Run(Band& band, std::int32_t first, std::int32_t end) = 0;
  // Whether the rows come whole from the source, so that a band keeps no
  // buffer of its own for them.
  virtual bool HandsStoredRows() const { return false; }
  // Why reading failed, once it has (empty before).
  virtual const Cause& ReadFailure() const = 0;
  // Where the source's data ended, as far as the rows read so far show.
  virtual DataShortfall Shortfall() const = 0;
};

}  // namespace bmpresize
