// SPDX-License-Identifier: MIT
// A resize as a stream of rows, whatever the filter: source rows come in from
// the bottom of the picture up, destination rows go out in the same order,
// and only a few rows are held at a time.
//
//   RowSource   hands over the source's rows
//   RowSink     takes the destination's rows
//   Resampler   makes the destination's rows, a band of them or all
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

#include "image/pixel_row.h"

namespace bmpresize {

// A resampler's row of n values, or null where memory is short: a resampler
// that lacks one is not Ready().
template <typename T>
std::unique_ptr<T[]> NewRowArray(std::size_t n) {
  return std::unique_ptr<T[]>(new (std::nothrow) T[n]);
}

// Hands over source rows from the bottom up.
class RowSource {
 public:
  virtual ~RowSource() = default;
  // Fills row with the next row up.
  virtual void ReadRow(PixelRow row) = 0;
  // The next row up as the file stores it where its pixels are plain 3-byte
  // ones (blue, green, red): row.width pixels' bytes, kept until the next
  // call. Null otherwise, with row filled as ReadRow fills it.
  virtual const std::uint8_t* ReadPackedRow(PixelRow row) {
    ReadRow(row);
    return nullptr;
  }
  // Passes over the next n rows.
  virtual void SkipRows(std::int64_t n) = 0;
  // How many of the rows after the one read last are known to be that row
  // again, to be passed over and taken as copies of it: rows wholly past the
  // end of a file's data. 0 where none are known.
  virtual std::int64_t SameRowsAhead() const { return 0; }
};

// Takes destination rows from the bottom up, as packed bytes: 3 a pixel
// (blue, green, red) or 4 (with alpha). False stops the resize.
class RowSink {
 public:
  virtual ~RowSink() = default;
  virtual bool WriteRow(const std::uint8_t* data) = 0;
  // Where the next row may be blended straight into, saving a copy: room for
  // the row and kRowBlendSlack bytes after it, which the sink may find
  // overwritten. Null: the resampler blends into a row of its own.
  virtual std::uint8_t* NextRow() { return nullptr; }
  // Whether to go on reading source rows that finish no destination row (a
  // large reduction reads many for each): false stops the resize, as a row
  // refused does, without waiting for the next row to go out.
  virtual bool GoesOn() { return true; }
};

struct ResampleSize {
  std::int32_t sourceWidth;
  std::int32_t sourceHeight;
  std::int32_t width;   // destination
  std::int32_t height;  // destination
  int channels;         // 3 or 4 bytes a destination pixel
};

class Resampler {
 public:
  explicit Resampler(const ResampleSize& size) : size_(size) {}
  virtual ~Resampler() = default;
  Resampler(const Resampler&) = delete;
  Resampler& operator=(const Resampler&) = delete;

  // Whether every block it took was had.
  virtual bool Ready() const = 0;
  // Runs destination rows first to end - 1 alone, from the bottom up: a band
  // of the picture, with the bytes the whole resize gives them. The source
  // starts at its bottom row, and is asked to pass over the rows below the
  // band's. False when the sink refused a row.
  virtual bool Run(RowSource& source, RowSink& sink, std::int32_t first, std::int32_t end) = 0;
  // Runs the whole resize.
  bool Run(RowSource& source, RowSink& sink) { return Run(source, sink, 0, size_.height); }
  const ResampleSize& Size() const { return size_; }

 protected:
  ResampleSize size_;
};

}  // namespace bmpresize
