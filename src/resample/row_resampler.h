// SPDX-License-Identifier: MIT
// The bilinear resize as a stream of rows (resampler.h).
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
#include "resample/resampler.h"
#include "resample/row_blend.h"

namespace bmpresize {

class RowResampler final : public Resampler {
 public:
  // Takes every block the resize needs, the column taps among them; Ready()
  // says whether all were had.
  explicit RowResampler(const ResampleSize& size, const RowBlendKernels& kernels = BestRowBlend());
  // Reads columns, which several resamplers may share and which outlives them.
  RowResampler(const ResampleSize& size, const ColumnTaps& columns, const RowBlendKernels& kernels = BestRowBlend());
  bool Ready() const override { return ready_; }

  // The bytes one resampler of size takes besides the column taps: the
  // source row, two blended rows and the row it makes.
  static std::uint64_t BytesFor(const ResampleSize& size);
  using Resampler::Run;
  bool Run(RowSource& source, RowSink& sink, std::int32_t first, std::int32_t end) override;

 private:
  const std::uint8_t* BlendedRow(std::int32_t sourceRow, std::int32_t keep, RowSource& source);

  void TakeRows();

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
