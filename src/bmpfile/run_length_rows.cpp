// SPDX-License-Identifier: MIT
#include "bmpfile/run_length_rows.h"

namespace bmpresize {

bool RunLengthRows::ReadRow(PixelRow row) {
  const std::int64_t i = nextRow_++;
  FillWhite(row);
  if (!decoder_.Stopped() && decoder_.Row() == i) {
    DecodeRow(&row);
    if (!Failed()) return true;
    FillWhite(row);
    return false;
  }
  // A delta passed over this row, or the decoding has stopped.
  return !decoder_.Stopped();
}

void RunLengthRows::SkipRows(std::int64_t n) {
  if (n <= 0) return;
  const std::int64_t target = AddRows(nextRow_, n);
  while (!decoder_.Stopped() && decoder_.Row() < target) DecodeRow(nullptr);
  nextRow_ = target;
}

void RunLengthRows::DecodeRow(const PixelRow* row) {
  decoder_.DecodeRow(source_, row);
  // The data ran out before an end-of-bitmap mark or the top row.
  if (decoder_.RanOut() && !SourceFailed()) NoteDataEnd(decoder_.Row());
}

}  // namespace bmpresize
