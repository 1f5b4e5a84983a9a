// SPDX-License-Identifier: MIT
// The filter of a resize (bmpresize_options.filter): what every band of it
// shares, built once (the point sampler's column taps, the area filter's
// column spans, or a convolution filter's taps along each axis that changes
// size), and each band's own resampler reading those. Values that are
// neither the area filter nor a convolution filter take the point sampler;
// the options are checked before. Colour filtered otherwise than as its bytes
// are (ColourMode: weighted by alpha, as light) takes the 16-bit passes of
// the area and convolution filters (WideResampler); the point sampler never
// does.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "resample/area_weights.h"
#include "resample/column_taps.h"
#include "resample/filter_taps.h"
#include "resample/light.h"
#include "resample/resampler.h"
#include "resample/wide_taps.h"

namespace bmpresize {

class ChosenFilter {
 public:
  // Takes the shared block; Ready() says whether it was had.
  ChosenFilter(const ResampleSize& size, int filter, ColourMode colour = {});
  bool Ready() const;
  // A band's resampler, ready, or null where memory was short.
  std::unique_ptr<Resampler> MakeResampler() const;

  // The bytes of the shared block, and of one band's resampler.
  static std::uint64_t SharedBytes(const ResampleSize& size, int filter, ColourMode colour = {});
  static std::uint64_t ResamplerBytes(const ResampleSize& size, int filter, ColourMode colour = {});

 private:
  ResampleSize size_;
  std::optional<ColumnTaps> taps_;
  std::optional<AreaColumns> areas_;
  const FilterKernel* kernel_ = nullptr;
  std::optional<FilterTaps> across_;  // where the width changes
  std::optional<FilterTaps> down_;    // where the height changes
  ColourMode colour_;
  std::optional<WideTaps> wideAcross_;  // for the 16-bit passes, both axes
  std::optional<WideTaps> wideDown_;
};

}  // namespace bmpresize
