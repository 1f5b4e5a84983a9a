// SPDX-License-Identifier: MIT
#include "bmpfile/bottom_up_rows.h"

#include <algorithm>
#include <limits>

namespace bmpresize {

BottomUpRows::BottomUpRows(ByteSource& source, const FileLayout& layout)
    : RowReader(source, layout), last16_(layout.masks16, layout.shifts16) {}

bool BottomUpRows::Prepare() {
  if (!AllocateRow(row_)) return false;
  if (source_.CanSeek()) pixelStart_ = source_.Position();
  return true;
}

std::int64_t BottomUpRows::RowsReadBefore(std::int64_t index) const {
  // Rows passed over by seeking may lie beyond the end already; rows read
  // whole came from the file even if it has shrunk since.
  if (pixelStart_ < 0) return index;
  const std::int64_t end = source_.Length();
  if (end < 0) return index;
  return std::max(rowsDecoded_, std::min(index, std::max<std::int64_t>(0, end - pixelStart_) / layout_.stride));
}

bool BottomUpRows::FetchRow(std::int64_t index) {
  const auto want = static_cast<std::size_t>(layout_.stride);
  if (ended_ || source_.Read(row_.get(), want) == want) return !ended_;
  ended_ = true;
  if (!SourceFailed()) NoteDataEnd(RowsReadBefore(index));
  return false;
}

bool BottomUpRows::ReadRow(PixelRow row) {
  if (layout_.depth == 16) return ReadRow16(row);
  const std::int64_t index = nextRow_++;
  if (FetchRow(index)) {
    rowsDecoded_ = index + 1;
    if (DecodeRow(row_.get(), layout_.stride, row)) return true;
    ended_ = true;
  }
  FillWhite(row);
  return false;
}

// A row the file holds whole lies in the buffer as it is; every column asked
// for lies within the row's stride.
const std::uint8_t* BottomUpRows::ReadPackedRow(PixelRow row) {
  if (!Packed24()) return RowReader::ReadPackedRow(row);
  const std::int64_t index = nextRow_++;
  if (FetchRow(index)) {
    rowsDecoded_ = index + 1;
    return row_.get() + 3 * static_cast<std::ptrdiff_t>(FirstColumn());
  }
  FillWhite(row);
  return nullptr;
}

// The pixels of a 16-bit row are read as though each pixel and each padding
// byte were a guarded read of its own: a pixel whose two bytes are not both
// there, and every pixel after it, repeats the last whole pixel read. One read
// for the whole row gives exactly that, with the same end-of-data state.
bool BottomUpRows::ReadRow16(PixelRow row) {
  const std::int64_t index = nextRow_++;
  const std::size_t got = source_.Read(row_.get(), static_cast<std::size_t>(layout_.stride));
  if (SourceFailed()) {
    FillWhite(row);
    return false;
  }
  last16_.Pass(row_.get(), got, row.width);
  if (last16_.Decode(row_.get(), got, row) < row.width) NoteDataEnd16(index);
  return true;
}

void BottomUpRows::NoteDataEnd16(std::int64_t index) {
  NoteDataEnd(index);
  shortfall_.repeatsLastPixel = last16_.Found();
}

void BottomUpRows::SkipRows(std::int64_t n) {
  if (n <= 0) return;
  const std::int64_t first = nextRow_;
  nextRow_ = AddRows(nextRow_, n);
  if (layout_.depth == 16) {
    // Once the data has ended no row changes the repeated pixel; the first
    // row passed over at the end is where the data ended.
    for (std::int64_t i = 0; i < n && !Failed(); ++i) {
      if (source_.AtEnd()) return NoteDataEnd16(first + i);
      const std::size_t got = source_.Read(row_.get(), static_cast<std::size_t>(layout_.stride));
      if (SourceFailed()) return;
      last16_.Pass(row_.get(), got, layout_.width);
      if (got < 2 * static_cast<std::size_t>(layout_.width)) NoteDataEnd16(first + i);
    }
    return;
  }
  if (ended_) return;
  // Rows are only skipped, so a row that the file holds only in part needs no
  // notice here: the next row read finds the end instead.
  const std::int64_t position = source_.Position();
  if (pixelStart_ >= 0 && position >= 0 &&
      n <= (std::numeric_limits<std::int64_t>::max() - position) / layout_.stride &&
      source_.SeekTo(position + n * layout_.stride))
    return;
  for (std::int64_t i = 0; i < n; ++i) {
    if (!FetchRow(first + i)) return;
  }
}

}  // namespace bmpresize
