// SPDX-License-Identifier: MIT
// The source's rows resized, as the rows of bands: each band reads the source
// through a reader of its own, at its rows' offsets, and resizes them with a
// resampler of its own; every resampler reads the one set of column taps (or
// of the area filter's column spans). Only the region's rows are asked for,
// and only its columns.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "bmpfile/bmp_reader.h"
#include "pipeline/rows_in.h"
#include "pipeline/source_end.h"
#include "pipeline/source_region.h"
#include "resample/chosen_filter.h"
#include "resample/resampler.h"

namespace bmpresize {

// The most bands a picture is split into.
inline constexpr unsigned kMostBands = 64;

class ResampledRows final : public RowsIn {
 public:
  ResampledRows(BmpReader& reader, Resampler& resampler, const SourceRegion& region)
      : reader_(reader), resampler_(resampler), region_(region) {}
  bool Run(Band& band, std::int32_t first, std::int32_t end) override;
  const Cause& ReadFailure() const override;
  DataShortfall Shortfall() const override { return RegionShortfall(reader_.Shortfall(), region_); }

 private:
  BmpReader& reader_;
  Resampler& resampler_;
  const SourceRegion& region_;
};

// The row sources of the bands of one resize.
class ResampledBands {
 public:
  // Up to bands of them, fewer where a second way into the source cannot be
  // had or memory for its resampler is short: the answer. The first band
  // resizes with resampler, and reads with reader where it runs alone (both
  // stand fresh).
  unsigned Open(unsigned bands, const SourceEnd& source, BmpReader& reader, Resampler& resampler,
                const ChosenFilter& filter, const SourceRegion& region);
  RowsIn* Band(unsigned b) { return &*rows_[b]; }

 private:
  // What a band reads with besides the first: a way into the source of its own.
  struct Reading {
    std::unique_ptr<ByteSource> bytes;
    BmpReader reader;
    std::unique_ptr<Resampler> resampler;
  };
  static bool OpenReading(const SourceEnd& source, const BmpReader& model, std::unique_ptr<Reading>& reading);

  std::unique_ptr<Reading> readings_[kMostBands];
  std::optional<ResampledRows> rows_[kMostBands];
};

}  // namespace bmpresize
