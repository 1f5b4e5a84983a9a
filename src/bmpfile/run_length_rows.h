// SPDX-License-Identifier: MIT
// 8-bit and 4-bit run-length encoded rows, bottom-up, decoded forward as rows
// are asked for. Rows and pixels that a delta or an early end of line passes
// over are white; rows passed over are decoded without writing pixels, since
// what follows depends on them.
#pragma once

#include <cstdint>

#include "bmpfile/row_reader.h"
#include "bmpfile/run_length_decoder.h"

namespace bmpresize {

class RunLengthRows final : public RowReader {
 public:
  RunLengthRows(ByteSource& source, const FileLayout& layout) : RowReader(source, layout), decoder_(layout) {}
  bool ReadRow(PixelRow row) override;
  void SkipRows(std::int64_t n) override;

 private:
  // Runs the decoder through the rest of its current row, writing into row
  // unless it is null.
  void DecodeRow(const PixelRow* row);

  RunLengthDecoder decoder_;  // its rows count from the bottom
  std::int64_t nextRow_ = 0;  // rows handed out or skipped so far
};

}  // namespace bmpresize
