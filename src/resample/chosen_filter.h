// SPDX-License-Identifier: MIT
// The filter of a resize (bmpresize_options.filter): what every band of it
// shares, built once (the point sampler's column taps, or the area filter's
// column spans), and each band's own resampler reading those. Values other
// than BMPRESIZE_FILTER_AREA take the point sampler; the options are checked
// before.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "resample/area_weights.h"
#include "resample/column_taps.h"
#include "resample/resampler.h"

namespace bmpresize {

class ChosenFilter {
 public:
  // Takes the shared block; Ready() says whether it was had.
  ChosenFilter(const ResampleSize& size, int filter);
  bool Ready() const;
  // A band's resampler, ready, or null where memory was short.
  std::unique_ptr<Resampler> MakeResampler() const;

  // The bytes of the shared block, and of one band's resampler.
  static std::uint64_t SharedBytes(const ResampleSize& size, int filter);
  static std::uint64_t ResamplerBytes(const ResampleSize& size, int filter);

 private:
  ResampleSize size_;
  std::optional<ColumnTaps> taps_;
  std::optional<AreaColumns> areas_;
};

}  // namespace bmpresize
