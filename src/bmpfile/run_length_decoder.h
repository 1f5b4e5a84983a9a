// SPDX-License-Identifier: MIT
// The decoder of 8-bit and 4-bit run-length encoded pixel data, read forward
// from a source. It counts rows as they are stored, from the file's first,
// whichever way up the picture is: an end of line and a delta move on to a
// later row, and moving past the last row stops it. Pixels that no run writes
// are left as they are; pixels past the row's end are dropped.
#pragma once

#include <cstdint>

#include "bmpfile/byte_source.h"
#include "bmpfile/file_layout.h"
#include "image/pixel_row.h"

namespace bmpresize {

class RunLengthDecoder {
 public:
  // A decoder at the start of the data, or at column x of a row that an
  // earlier decoding of the same data entered there.
  explicit RunLengthDecoder(const FileLayout& layout, std::int64_t row = 0, std::int64_t x = 0)
      : layout_(layout), row_(row), x_(x) {}

  // Decodes from source through the rest of the current row, writing into
  // row unless it is null, until it moves to a later row or stops. Every step
  // reads at least two bytes and writes at most the pixels left in the row, so
  // the work is bounded by the data plus the picture whatever the counts and
  // deltas say.
  void DecodeRow(ByteSource& source, const PixelRow* row);

  // The row (in file order) and column the decoder stands at.
  std::int64_t Row() const { return row_; }
  std::int64_t X() const { return x_; }
  // Whether it has stopped: at an end-of-bitmap mark, past the last row, or
  // where the data ran out (RanOut()).
  bool Stopped() const { return stopped_; }
  bool RanOut() const { return ranOut_; }

 private:
  // An encoded run: count pixels of one value.
  void EncodedRun(int count, unsigned value, const PixelRow* row);
  // An absolute run of count pixels; false when the data ended inside it.
  bool AbsoluteRun(ByteSource& source, int count, const PixelRow* row);
  void Put(const PixelRow* row, std::int64_t x, unsigned index) const;
  void Stop(bool ranOut);

  const FileLayout& layout_;
  std::int64_t row_;
  std::int64_t x_;
  bool stopped_ = false;
  bool ranOut_ = false;
};

}  // namespace bmpresize
