// SPDX-License-Identifier: MIT
// Writing a BMP file in two stages, so a caller can stream it row by row:
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
//
// Paletted depths write the full table of 2^depth entries; 16 bits are always
// written as BI_BITFIELDS in kRgb565Masks; 24 and 32 bits as direct colour. A
// resolution of 0 is written as 3780.
#pragma once

#include <cstdint>
#include <memory>

#include "bmpfile/bmp_headers.h"
#include "bmpfile/byte_sink.h"
#include "image/palette.h"
#include "image/resolution.h"
#include "result/status.h"

namespace bmpresize {

struct BmpLayout {
  std::int32_t width = 1;
  std::int32_t height = 1;
  std::int32_t depth = 24;
  Resolution resolution;
  // The table for depth 1, 4 and 8; null there means the standard table.
  const Palette* palette = nullptr;
};

// The two header records a layout is written with, and whether its sizes fit
// the 32-bit fields (and one row a signed 32-bit count of bytes).
struct BmpHeaders {
  BmpFileHeader file;
  BmpInfoHeader info;
  bool fits = false;
};
BmpHeaders HeadersFor(const BmpLayout& layout);
// The two records as the file holds them, byte by byte.
void EncodeHeaders(const BmpHeaders& headers, std::uint8_t (&out)[kHeadersSize]);
// The bytes from the file's start to its pixel data, in one write: the two
// records, then for 1, 4 and 8 bits the table's 2^depth entries (table, which
// holds them), for 16 bits the mask block. WRITE_FAILED with the system's
// error number when the sink took less.
Status WriteFileHead(ByteSink& sink, const BmpHeaders& headers, const Palette& table);

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
