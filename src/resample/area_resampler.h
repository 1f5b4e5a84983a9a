// SPDX-License-Identifier: MIT
// The area filter as a stream of rows (resampler.h): every destination pixel
// the average of the source area it covers (area_weights.h), first across
// each source row, the averages rounded to whole numbers, then down the
// columns of those rows:
//
//   h(x, j) = floor((2 x sum over i of c(i, j) x ox(i) + W) / (2 x W))
//   p(x, y) = floor((2 x sum over j of h(x, j) x oy(j) + H) / (2 x H))
//
// Each source row is read once and averaged across as it comes (rows the
// source knows to be alike, once for all of them), and its
// share added to a row of sums for the destination row being built (of 32
// bits where the source's height bounds every sum below 2^32); a destination
// row goes out as soon as the last source row it covers is in.
#pragma once

#include <cstdint>
#include <memory>

#include "resample/area_divider.h"
#include "resample/area_kernels.h"
#include "resample/area_weights.h"
#include "resample/resampler.h"

namespace bmpresize {

class AreaResampler final : public Resampler {
 public:
  // Reads columns, which several resamplers may share and which outlives
  // them; takes its rows, and Ready() says whether they were had.
  AreaResampler(const ResampleSize& size, const AreaColumns& columns, const AreaKernels& kernels = BestAreaKernels());
  bool Ready() const override { return ready_; }

  // The bytes one resampler of size takes besides the columns' spans: the
  // source row, the row averaged across, the sums and the row it makes; the
  // sums counted at 64 bits even where they are kept in 32.
  static std::uint64_t BytesFor(const ResampleSize& size);
  using Resampler::Run;
  bool Run(RowSource& source, RowSink& sink, std::int32_t first, std::int32_t end) override;

 private:
  const std::uint8_t* AverageNextRow(RowSource& source);
  std::int64_t RowsAlike(const RowSource& source, std::int64_t j, std::int64_t stop) const;
  bool ShareOut(const std::uint8_t* averaged, std::int64_t at, std::int64_t rowEnd, std::int64_t stop, std::int64_t& y,
                RowSink& sink);
  bool FinishRow(RowSink& sink);
  void AddRow(const std::uint8_t* averaged, std::uint32_t weight);
  void ClearSums();

  const AreaColumns& columns_;
  const AreaKernels& kernels_;
  AreaDivider acrossDivider_;  // by the source's width
  AreaDivider downDivider_;    // by the source's height
  std::size_t rowBytes_ = 0;   // bytes of one destination row
  bool ready_ = false;
  std::unique_ptr<PixelBGRA[]> sourceRow_;
  std::unique_ptr<std::uint8_t[]> averaged_;
  std::unique_ptr<std::uint64_t[]> sums_;        // 64-bit sums, or
  std::unique_ptr<std::uint32_t[]> narrowSums_;  // 32-bit ones where the source's height allows
  std::unique_ptr<std::uint8_t[]> output_;
};

}  // namespace bmpresize
