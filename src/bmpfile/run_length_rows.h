// SPDX-License-Identifier: MIT
// 8-bit and 4-bit run-length encoded rows, bottom-up, decoded forward as rows
// are asked for. Rows and pixels that a delta or an early end of line passes
// over are white; rows passed over are decoded without writing pixels, since
// what follows depends on them.
#pragma once

#include <cstdint>

#include "bmpfile/row_reader.h"

class RunLengthRows final : public RowReader {
 public:
  using RowReader::RowReader;
  bool ReadRow(PixelRow row) override;
  void SkipRows(std::int64_t n) override;

 private:
  // Runs the decoder through the rest of its current row, writing into row
  // unless it is null, until it moves to a later row or stops.
  void DecodeRow(const PixelRow* row);
  // An encoded run: count pixels of one value.
  void EncodedRun(int count, unsigned value, const PixelRow* row);
  // An absolute run of count pixels; false when the data ended inside it.
  bool AbsoluteRun(int count, const PixelRow* row);
  void Put(const PixelRow* row, std::int64_t x, unsigned index) const;

  std::int64_t nextRow_ = 0;  // rows handed out or skipped so far
  // The row (from the bottom) and column the decoder stands at, and whether
  // it has stopped.
  std::int64_t row_ = 0;
  std::int64_t x_ = 0;
  bool stopped_ = false;
};
