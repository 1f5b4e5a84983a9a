// SPDX-License-Identifier: MIT
#include "bmpfile/run_length_decoder.h"

#include <algorithm>

namespace bmpresize {

void RunLengthDecoder::Put(const PixelRow* row, std::int64_t x, unsigned index) const {
  if (row != nullptr) (*row)[static_cast<std::int32_t>(x)] = layout_.palette[index];
}

void RunLengthDecoder::Stop(bool ranOut) {
  stopped_ = true;
  ranOut_ = ranOut;
}

void RunLengthDecoder::EncodedRun(int count, unsigned value, const PixelRow* row) {
  // RLE4 alternates the two nibbles of value, high first.
  const bool four = layout_.depth == 4;
  const std::int64_t n = std::min<std::int64_t>(count, std::max<std::int64_t>(0, layout_.width - x_));
  for (std::int64_t j = 0; j < n; ++j) Put(row, x_ + j, four ? ((j % 2 == 0) ? value >> 4 : value & 0x0F) : value);
  x_ += count;
}

bool RunLengthDecoder::AbsoluteRun(ByteSource& source, int count, const PixelRow* row) {
  // Padded to an even number of bytes. If the data ends inside the run, the
  // pixels whose bytes arrived still count.
  const bool four = layout_.depth == 4;
  std::uint8_t bytes[255];
  const std::size_t want = four ? (static_cast<std::size_t>(count) + 1) / 2 : static_cast<std::size_t>(count);
  const std::size_t got = source.Read(bytes, want);
  const std::int64_t pixels =
      four ? std::min<std::int64_t>(count, 2 * static_cast<std::int64_t>(got)) : static_cast<std::int64_t>(got);
  const std::int64_t n = std::min<std::int64_t>(pixels, std::max<std::int64_t>(0, layout_.width - x_));
  for (std::int64_t j = 0; j < n; ++j) {
    const std::uint8_t byte = bytes[four ? j / 2 : j];
    Put(row, x_ + j, four ? ((j % 2 == 0) ? byte >> 4 : byte & 0x0F) : byte);
  }
  x_ += pixels;
  if (got < want) return false;
  if (want % 2 != 0) (void)source.ReadByte();
  return true;
}

void RunLengthDecoder::DecodeRow(ByteSource& source, const PixelRow* row) {
  while (!stopped_) {
    const int a = source.ReadByte();
    const int b = a < 0 ? -1 : source.ReadByte();
    if (b < 0) return Stop(true);
    if (a > 0) {
      EncodedRun(a, static_cast<unsigned>(b), row);
      continue;
    }
    if (b == 0) {  // end of line
      x_ = 0;
      if (++row_ >= layout_.height) return Stop(false);
      return;
    }
    if (b == 1) return Stop(false);  // end of bitmap
    if (b == 2) {                    // delta: right, and on by dy rows
      const int dx = source.ReadByte();
      const int dy = dx < 0 ? -1 : source.ReadByte();
      if (dy < 0) return Stop(true);
      x_ += dx;
      if (dy == 0) continue;
      row_ += dy;
      if (row_ >= layout_.height) return Stop(false);
      return;
    }
    if (!AbsoluteRun(source, b, row)) return Stop(true);
  }
}

}  // namespace bmpresize
