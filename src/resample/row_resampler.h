// SPDX-License-Identifier: MIT
// The resize as a stream of rows: source rows come in from the bottom of the
// picture up, destination rows go out in the same order, and only a few rows
// are held at a time.
//
// Each needed source row is blended across into destination columns once;
// each destination row is then blended from the two such rows around it. The
// bytes are those of SampleBilinear at every pixel.
#pragma once

#include <cstdint>
#include <memory>

#include "image/pixel_row.h"
#include "resample/axis_tap.h"
#include "resample/column_taps.h"
#include "resample/row_blend.h"

namespace bmpresize {

// Hands over source rows from the bottom up.
class RowSource {
 public:
  virtual ~RowSource() = default;
  // Fills row with the next row up.
  virtual void ReadRow(PixelRow row) = 0;
  // Passes over the next n rows.
  virtual void SkipRows(std::int64_t n) = 0;
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
};

struct ResampleSize {
  std::int32_t sourceWidth;
  std::int32_t sourceHeight;
  std::int32_t width;   // destination
  std::int32_t height;  // destination
  int channels;         // 3 or 4 bytes a destination pixel
};

class RowResampler {
 public:
  // Takes every block the resize needs, the column taps among them; Ready()
  // says whether all were had.
  explicit RowResampler(const ResampleSize& size, const RowBlendKernels& kernels = BestRowBlend());
  // Reads columns, which several resamplers may share and which outlives them.
  RowResampler(const ResampleSize& size, const ColumnTaps& columns, const RowBlendKernels& kernels = BestRowBlend());
  bool Ready() const { return ready_; }
  // The destination's width, in pixels.
  std::int32_t Width() const { return size_.width; }

  // The bytes one resampler of size takes besides the column taps: the
  // source row, two blended rows and the row it makes.
  static std::uint64_t BytesFor(const ResampleSize& size);
  // Runs the whole resize. False when the sink refused a row.
  bool Run(RowSource& source, RowSink& sink) { return Run(source, sink, 0, size_.height); }
  // Runs destination rows first to end - 1 alone, from the bottom up: a band
  // of the picture, with the bytes the whole resize gives them. The source
  // starts at its bottom row, and is asked to pass over the rows below the
  // band's.
  bool Run(RowSource& source, RowSink& sink, std::int32_t first, std::int32_t end);

 private:
  const std::uint8_t* BlendedRow(std::int32_t sourceRow, std::int32_t keep, RowSource& source);

  void TakeRows();

  ResampleSize size_;
  const RowBlendKernels& kernels_;
  std::size_t rowBytes_ = 0;  // bytes of one destination row
  bool ready_ = false;
  std::unique_ptr<ColumnTaps> ownColumns_;  // when it was given none
  const ColumnTaps* columns_ = nullptr;
  std::unique_ptr<PixelBGRA[]> sourceRow_;
  std::unique_ptr<std::uint8_t[]> blended_[2];
  std::int32_t blendedRow_[2] = {-1, -1};
  std::unique_ptr<std::uint8_t[]> output_;
  std::int32_t nextSourceRow_ = 0;  // the row the source hands over next
};

}  // namespace bmpresize
