// SPDX-License-Identifier: MIT
#include "bmpfile/run_length_rows.h"

#include <algorithm>

bool RunLengthRows::ReadRow(PixelRow row) {
  const std::int64_t i = nextRow_++;
  FillWhite(row);
  if (!stopped_ && row_ == i) {
    DecodeRow(&row);
    if (!Failed()) return true;
    FillWhite(row);
    return false;
  }
  // A delta passed over this row, or the decoding has stopped.
  return !stopped_;
}

void RunLengthRows::SkipRows(std::int64_t n) {
  if (n <= 0) return;
  const std::int64_t target = AddRows(nextRow_, n);
  while (!stopped_ && row_ < target) DecodeRow(nullptr);
  nextRow_ = target;
}

void RunLengthRows::Put(const PixelRow* row, std::int64_t x, unsigned index) const {
  if (row != nullptr) (*row)[static_cast<std::int32_t>(x)] = layout_.palette[index];
}

void RunLengthRows::EncodedRun(int count, unsigned value, const PixelRow* row) {
  // RLE4 alternates the two nibbles of value, high first.
  const bool four = layout_.depth == 4;
  const std::int64_t n = std::min<std::int64_t>(count, std::max<std::int64_t>(0, layout_.width - x_));
  for (std::int64_t j = 0; j < n; ++j) Put(row, x_ + j, four ? ((j % 2 == 0) ? value >> 4 : value & 0x0F) : value);
  x_ += count;
}

bool RunLengthRows::AbsoluteRun(int count, const PixelRow* row) {
  // Padded to an even number of bytes. If the data ends inside the run, the
  // pixels whose bytes arrived still count.
  const bool four = layout_.depth == 4;
  std::uint8_t bytes[255];
  const std::size_t want = four ? (static_cast<std::size_t>(count) + 1) / 2 : static_cast<std::size_t>(count);
  const std::size_t got = source_.Read(bytes, want);
  const std::int64_t pixels =
      four ? std::min<std::int64_t>(count, 2 * static_cast<std::int64_t>(got)) : static_cast<std::int64_t>(got);
  const std::int64_t n = std::min<std::int64_t>(pixels, std::max<std::int64_t>(0, layout_.width - x_));
  for (std::int64_t j = 0; j < n; ++j) {
    const std::uint8_t byte = bytes[four ? j / 2 : j];
    Put(row, x_ + j, four ? ((j % 2 == 0) ? byte >> 4 : byte & 0x0F) : byte);
  }
  x_ += pixels;
  if (got < want) return false;
  if (want % 2 != 0) (void)source_.ReadByte();
  return true;
}

void RunLengthRows::DecodeRow(const PixelRow* row) {
  // Every step reads at least two bytes and writes at most the pixels left in
  // the row, so the work is bounded by the data plus the picture whatever the
  // counts and deltas say.
  // Whether the data ran out before an end-of-bitmap mark or the top row.
  bool ranOut = false;
  for (;;) {
    const int a = source_.ReadByte();
    const int b = a < 0 ? -1 : source_.ReadByte();
    if (b < 0) {
      ranOut = true;
      break;
    }
    if (a > 0) {
      EncodedRun(a, static_cast<unsigned>(b), row);
      continue;
    }
    if (b == 0) {  // end of line
      x_ = 0;
      if (++row_ >= layout_.height) break;
      return;
    }
    if (b == 1) break;  // end of bitmap
    if (b == 2) {       // delta: right and up
      const int dx = source_.ReadByte();
      const int dy = dx < 0 ? -1 : source_.ReadByte();
      if (dy < 0) {
        ranOut = true;
        break;
      }
      x_ += dx;
      if (dy == 0) continue;
      row_ += dy;
      if (row_ >= layout_.height) break;
      return;
    }
    if (!AbsoluteRun(b, row)) {
      ranOut = true;
      break;
    }
  }
  stopped_ = true;
  if (ranOut && !SourceFailed()) NoteDataEnd(row_);
}
