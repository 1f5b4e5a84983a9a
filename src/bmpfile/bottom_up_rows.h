// SPDX-License-Identifier: MIT
// Rows stored bottom-up, whole, one after the other: read in the order they
// come. Rows passed over are seeked past where the source can seek; 16-bit
// rows are always read, since the last pixel of the data counts (LastPixel16).
#pragma once

#include <cstdint>
#include <memory>

#include "bmpfile/last_pixel16.h"
#include "bmpfile/row_reader.h"

namespace bmpresize {

class BottomUpRows final : public RowReader {
 public:
  BottomUpRows(ByteSource& source, const FileLayout& layout);
  bool Prepare() override;
  bool ReadRow(PixelRow row) override;
  const std::uint8_t* ReadPackedRow(PixelRow row) override;
  void SkipRows(std::int64_t n) override;

 private:
  bool ReadRow16(PixelRow row);
  // The 16-bit data ended in the row at index: the pixels after it repeat the
  // last one read, if any was.
  void NoteDataEnd16(std::int64_t index);
  // Reads the next row into the buffer; false once the data has ended there.
  bool FetchRow(std::int64_t index);
  // Whole rows from the bottom that came from the file, the row at index being
  // the first that did not: rows passed over by seeking count as far as the
  // file holds them.
  std::int64_t RowsReadBefore(std::int64_t index) const;

  std::unique_ptr<std::uint8_t[]> row_;
  LastPixel16 last16_;
  std::int64_t pixelStart_ = -1;  // where a seekable source's pixel data starts
  std::int64_t nextRow_ = 0;      // rows handed out or skipped so far
  std::int64_t rowsDecoded_ = 0;  // rows up to the last one read whole
  bool ended_ = false;
};

}  // namespace bmpresize
