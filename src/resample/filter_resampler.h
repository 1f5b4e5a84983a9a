// SPDX-License-Identifier: MIT
// The convolution filters as a stream of rows (resampler.h). Each source row
// a destination row needs is filtered across once, as it comes, into a ring
// of filtered rows as tall as the most taps a destination row has; each
// destination row is then filtered down from the ring. The taps of both axes
// (filter_taps.h) are counted from the top of the picture and shared by
// every band; rows come from the bottom, so a destination row's taps are read
// in the ring upside down. A band starts reading at the first source row its
// bottom destination row needs, so every band split gives the same bytes.
// An axis whose size does not change has no taps: its rows (or columns) are
// copied as they are.
#pragma once

#include <cstdint>
#include <memory>

#include "resample/filter_passes.h"
#include "resample/filter_taps.h"
#include "resample/resampler.h"

namespace bmpresize {

class FilterResampler final : public Resampler {
 public:
  // Reads the taps (null for an axis that keeps its size), which several
  // resamplers may share and which outlive them; takes its rows, and Ready()
  // says whether they were had.
  FilterResampler(const ResampleSize& size, const FilterTaps* across, const FilterTaps* down,
                  const FilterPasses& passes = BestFilterPasses());
  bool Ready() const override { return ready_; }

  // The bytes one resampler takes besides the taps: the source row, the ring
  // of rows filtered across with a pointer for each, and the row it makes;
  // ringRows is the stride of the taps down (1 where the height is kept).
  static std::uint64_t BytesFor(const ResampleSize& size, std::int32_t ringRows);
  using Resampler::Run;
  bool Run(RowSource& source, RowSink& sink, std::int32_t first, std::int32_t end) override;

 private:
  std::uint8_t* Slot(std::int64_t row) { return ring_.get() + static_cast<std::size_t>(row % ringRows_) * slotBytes_; }
  bool FillTo(RowSource& source, std::int64_t from, std::int64_t to, RowSink& sink);
  void FilterAcross(RowSource& source, std::uint8_t* out);
  bool WriteRow(std::int32_t y, RowSink& sink);

  const FilterTaps* across_;
  const FilterTaps* down_;
  const FilterPasses& passes_;
  std::size_t rowBytes_ = 0;   // bytes of one destination row
  std::size_t slotBytes_ = 0;  // with the slack a pass may write past it
  std::int32_t ringRows_ = 1;
  bool ready_ = false;
  std::unique_ptr<PixelBGRA[]> sourceRow_;
  std::unique_ptr<std::uint8_t[]> ring_;
  std::unique_ptr<const std::uint8_t*[]> rows_;  // a destination row's taps in the ring
  std::unique_ptr<std::uint8_t[]> output_;
  std::int64_t nextSource_ = 0;  // the source row handed over next, from the bottom; those below are filtered
  std::int64_t alike_ = 0;       // rows ahead known to be the one read last
};

}  // namespace bmpresize
