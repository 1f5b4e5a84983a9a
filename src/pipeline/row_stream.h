// SPDX-License-Identifier: MIT
// The stream of a resize: source rows from the reader through the resampler
// into the writer, from the bottom of the picture up. Between rows it stops
// when the caller cancels, when a read of the source failed, or, when strict,
// once the source shows itself cut short.
#pragma once

#include "bmpfile/bmp_reader.h"
#include "bmpfile/bmp_writer.h"
#include "bmpresize.h"
#include "resample/row_resampler.h"

// The reader as the resampler's source of rows. A row past the data's end
// comes back white; the reader's shortfall says so.
class ReaderRows final : public RowSource {
 public:
  explicit ReaderRows(BmpReader& reader) : reader_(reader) {}
  void ReadRow(PixelRow row) override { (void)reader_.ReadRow(row); }
  void SkipRows(std::int64_t n) override { reader_.SkipRows(n); }

 private:
  BmpReader& reader_;
};

// Whether the caller's cancel flag is set.
bool Cancelled(const bmpresize_options& options);
// Whether the stream stops before the next row: the caller cancelled, a read
// of the source failed, or, when strict, the source showed itself cut short.
bool StopsBeforeRow(const BmpReader& reader, const bmpresize_options& options);

// False when it stopped before the last row, or a write failed.
[[nodiscard]] bool StreamRows(BmpReader& reader, RowResampler& resampler, BmpWriter& writer,
                              const bmpresize_options& options);
