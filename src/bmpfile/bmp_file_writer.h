// SPDX-License-Identifier: MIT
// Writing a whole BMP file in two stages, row by row, for the model library
// (the reference pipeline and the tests): the resize itself writes the head
// with WriteFileHead and its rows through RowsOut.
//
//   Begin(sink, layout)   header stage: checks that the file's sizes fit its
//                         32-bit fields, then writes both headers and the
//                         colour table or the 16-bit mask block
//   WriteEncodedRow(d)    row stage: the next row of the picture from the
//                         bottom up, already in the file's form
//   Finish()              true only when every byte was taken
//
// The writer only writes: what makes the bytes the destination (a flush, the
// rename of a new file over the old one) is the sink's owner's.
#pragma once

#include <cstdint>
#include <memory>

#include "bmpfile/bmp_writer.h"

namespace bmpresize {

class BmpWriter {
 public:
  BmpWriter() = default;
  BmpWriter(const BmpWriter&) = delete;
  BmpWriter& operator=(const BmpWriter&) = delete;

  // False, with Failure(), when the sizes do not fit (FILE_TOO_LARGE, before
  // any byte is written), memory for the row is short, or a write failed.
  [[nodiscard]] bool Begin(ByteSink& sink, const BmpLayout& layout);
  // Writes one row already in the file's form: RowDataSize bytes of pixel data
  // (the padding is added here).
  [[nodiscard]] bool WriteEncodedRow(const std::uint8_t* data);
  [[nodiscard]] bool Finish() const { return sink_ != nullptr && !failure_; }
  const Cause& Failure() const { return failure_; }

 private:
  bool Prepare(const BmpLayout& layout);
  void WriteHeaders();
  void Put(const void* bytes, std::size_t n);

  ByteSink* sink_ = nullptr;
  BmpLayout layout_;
  BmpHeaders headers_;
  Palette palette_{};
  std::int32_t stride_ = 0;
  std::unique_ptr<std::uint8_t[]> rowBuffer_;
  Cause failure_;
};

}  // namespace bmpresize
