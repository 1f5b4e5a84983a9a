// SPDX-License-Identifier: MIT
// The rows of a resize that keeps a picture's size, where the destination's
// pixel array would be the source's byte for byte: bottom-up rows of 24 bits
// without padding, or of 32 bits without bit fields. The source's rows are
// handed through as they are, as one band: copied file to file inside the
// system where it can, else read and handed on a block of rows at a time.
//
// A source cut short gives what resized rows give: the rows it holds whole,
// white rows above them, and the same shortfall.
#pragma once

#include <cstdint>
#include <memory>

#include "bmpfile/bmp_reader.h"
#include "bmpfile/bmp_writer.h"
#include "pipeline/rows_in.h"
#include "pipeline/rows_out.h"

namespace bmpresize {

// Whether the resize of reader's picture into destination hands its stored rows through.
bool CopiesPixels(const BmpReader& reader, const BmpLayout& destination);

// The bytes of the block the rows of a picture of layout are moved in.
std::uint64_t CopyBlockBytes(const BmpLayout& layout);

class StoredRows final : public RowsIn {
 public:
  // The rows that reader's headers describe, read from in (standing at the
  // pixel data), into array; channels bytes a pixel.
  StoredRows(ByteSource& in, const BmpReader& reader, const PixelArray& array, int channels);
  // The block; NO_MEMORY when it could not be had.
  Status Prepare();
  // The whole picture, whatever the band.
  bool Run(Band& band, std::int32_t first, std::int32_t end) override;
  bool HandsStoredRows() const override { return true; }
  const Cause& ReadFailure() const override { return failure_; }
  DataShortfall Shortfall() const override { return shortfall_; }

 private:
  bool ReadAndPut(Band& band, std::int64_t& row);
  bool PutWhite(Band& band, std::int64_t row);

  ByteSource& in_;
  std::int64_t dataStart_;
  const PixelArray& array_;
  int channels_;
  std::int64_t blockRows_;
  std::unique_ptr<std::uint8_t[]> block_;
  Cause failure_;
  DataShortfall shortfall_;
};

}  // namespace bmpresize
