// SPDX-License-Identifier: MIT
#include "resample/chosen_filter.h"

#include <new>

#include "bmpresize.h"
#include "resample/area_resampler.h"
#include "resample/row_resampler.h"

namespace bmpresize {

namespace {

bool IsArea(int filter) { return filter == BMPRESIZE_FILTER_AREA; }

}  // namespace

ChosenFilter::ChosenFilter(const ResampleSize& size, int filter) : size_(size) {
  if (IsArea(filter)) {
    areas_.emplace(size.sourceWidth, size.width);
  } else {
    taps_.emplace(size.sourceWidth, size.width);
  }
}

bool ChosenFilter::Ready() const { return areas_ ? areas_->Ready() : taps_->Ready(); }

std::unique_ptr<Resampler> ChosenFilter::MakeResampler() const {
  std::unique_ptr<Resampler> made;
  if (areas_) {
    made.reset(new (std::nothrow) AreaResampler(size_, *areas_));
  } else {
    made.reset(new (std::nothrow) RowResampler(size_, *taps_));
  }
  if (made && !made->Ready()) made.reset();
  return made;
}

std::uint64_t ChosenFilter::SharedBytes(const ResampleSize& size, int filter) {
  return IsArea(filter) ? AreaColumns::BytesFor(size.width) : ColumnTaps::BytesFor(size.width);
}

std::uint64_t ChosenFilter::ResamplerBytes(const ResampleSize& size, int filter) {
  return IsArea(filter) ? AreaResampler::BytesFor(size) : RowResampler::BytesFor(size);
}

}  // namespace bmpresize
