// SPDX-License-Identifier: MIT
#include "resample/chosen_filter.h"

#include <new>

#include "bmpresize.h"
#include "resample/area_resampler.h"
#include "resample/filter_resampler.h"
#include "resample/row_resampler.h"
#include "resample/wide_resampler.h"

namespace bmpresize {

namespace {

bool IsArea(int filter) { return filter == BMPRESIZE_FILTER_AREA; }

std::uint64_t TapBytes(std::int32_t sourceSize, std::int32_t size, const FilterKernel& kernel) {
  return sourceSize == size ? 0 : FilterTaps::BytesFor(sourceSize, size, kernel);
}

// Whether the resize takes the 16-bit passes: colour filtered otherwise than
// as its bytes are, by the area filter or a convolution filter.
bool IsWide(int filter, ColourMode colour) {
  return colour.Wide() && (IsArea(filter) || FilterKernelFor(filter) != nullptr);
}

}  // namespace

ChosenFilter::ChosenFilter(const ResampleSize& size, int filter, ColourMode colour)
    : size_(size), kernel_(FilterKernelFor(filter)), colour_(colour) {
  if (IsWide(filter, colour)) {
    wideAcross_.emplace(size.sourceWidth, size.width, kernel_);
    wideDown_.emplace(size.sourceHeight, size.height, kernel_);
  } else if (kernel_ != nullptr) {
    if (size.sourceWidth != size.width) across_.emplace(size.sourceWidth, size.width, *kernel_);
    if (size.sourceHeight != size.height) down_.emplace(size.sourceHeight, size.height, *kernel_);
  } else if (IsArea(filter)) {
    areas_.emplace(size.sourceWidth, size.width);
  } else {
    taps_.emplace(size.sourceWidth, size.width);
  }
}

bool ChosenFilter::Ready() const {
  if (wideAcross_) return wideAcross_->Ready() && wideDown_->Ready();
  if (kernel_ != nullptr) return (!across_ || across_->Ready()) && (!down_ || down_->Ready());
  return areas_ ? areas_->Ready() : taps_->Ready();
}

std::unique_ptr<Resampler> ChosenFilter::MakeResampler() const {
  std::unique_ptr<Resampler> made;
  if (wideAcross_) {
    made.reset(new (std::nothrow) WideResampler(size_, *wideAcross_, *wideDown_, colour_));
  } else if (kernel_ != nullptr) {
    made.reset(new (std::nothrow) FilterResampler(size_, across_ ? &*across_ : nullptr, down_ ? &*down_ : nullptr));
  } else if (areas_) {
    made.reset(new (std::nothrow) AreaResampler(size_, *areas_));
  } else {
    made.reset(new (std::nothrow) RowResampler(size_, *taps_));
  }
  if (made && !made->Ready()) made.reset();
  return made;
}

std::uint64_t ChosenFilter::SharedBytes(const ResampleSize& size, int filter, ColourMode colour) {
  if (IsWide(filter, colour)) {
    const FilterKernel* kernel = FilterKernelFor(filter);
    return WideTaps::BytesFor(size.sourceWidth, size.width, kernel) +
           WideTaps::BytesFor(size.sourceHeight, size.height, kernel);
  }
  if (const FilterKernel* kernel = FilterKernelFor(filter))
    return TapBytes(size.sourceWidth, size.width, *kernel) + TapBytes(size.sourceHeight, size.height, *kernel);
  return IsArea(filter) ? AreaColumns::BytesFor(size.width) : ColumnTaps::BytesFor(size.width);
}

std::uint64_t ChosenFilter::ResamplerBytes(const ResampleSize& size, int filter, ColourMode colour) {
  if (IsWide(filter, colour))
    return WideResampler::BytesFor(size, WideTaps::StrideFor(size.sourceHeight, size.height, FilterKernelFor(filter)));
  if (const FilterKernel* kernel = FilterKernelFor(filter)) {
    const bool kept = size.sourceHeight == size.height;
    return FilterResampler::BytesFor(size, kept ? 1 : FilterTaps::StrideFor(size.sourceHeight, size.height, *kernel));
  }
  return IsArea(filter) ? AreaResampler::BytesFor(size) : RowResampler::BytesFor(size);
}

}  // namespace bmpresize
