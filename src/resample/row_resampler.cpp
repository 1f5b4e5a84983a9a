// SPDX-License-Identifier: MIT
#include "resample/row_resampler.h"

#include <cstring>
#include <new>

namespace bmpresize {

namespace {

// Blends where every column takes one source pixel whole: a copy is exactly
// the blend there.
void CopyColumns(const PixelBGRA* source, const AxisTap* taps, std::int32_t count, int channels, std::uint8_t* out) {
  for (std::int32_t i = 0; i < count; ++i, out += channels) std::memcpy(out, &source[taps[i].first], 4);
}

}  // namespace

RowResampler::RowResampler(const ResampleSize& size, const RowBlendKernels& kernels)
    : Resampler(size), kernels_(kernels), ownColumns_(new (std::nothrow) ColumnTaps(size.sourceWidth, size.width)) {
  columns_ = ownColumns_.get();
  TakeRows();
}

RowResampler::RowResampler(const ResampleSize& size, const ColumnTaps& columns, const RowBlendKernels& kernels)
    : Resampler(size), kernels_(kernels), columns_(&columns) {
  TakeRows();
}

std::uint64_t RowResampler::BytesFor(const ResampleSize& size) {
  const std::uint64_t row = static_cast<std::uint64_t>(size.width) * static_cast<std::uint64_t>(size.channels);
  return sizeof(PixelBGRA) * static_cast<std::uint64_t>(size.sourceWidth) + 3 * (row + kRowBlendSlack);
}

void RowResampler::TakeRows() {
  rowBytes_ = static_cast<std::size_t>(size_.width) * static_cast<std::size_t>(size_.channels);
  if (columns_ == nullptr || !columns_->Ready()) return;
  sourceRow_ = NewRowArray<PixelBGRA>(static_cast<std::size_t>(size_.sourceWidth));
  for (auto& row : blended_) row = NewRowArray<std::uint8_t>(rowBytes_ + kRowBlendSlack);
  output_ = NewRowArray<std::uint8_t>(rowBytes_ + kRowBlendSlack);
  ready_ = sourceRow_ && blended_[0] && blended_[1] && output_;
}

const std::uint8_t* RowResampler::BlendedRow(std::int32_t sourceRow, std::int32_t keep, RowSource& source) {
  for (int i = 0; i < 2; ++i) {
    if (blendedRow_[i] == sourceRow) return blended_[i].get();
  }
  // Rows are asked for from the bottom up, so the row is still ahead.
  source.SkipRows(static_cast<std::int64_t>(nextSourceRow_) - sourceRow);
  source.ReadRow(PixelRow{sourceRow_.get(), 1, size_.sourceWidth});
  nextSourceRow_ = sourceRow - 1;
  const int slot = blendedRow_[0] == keep ? 1 : 0;
  blendedRow_[slot] = sourceRow;
  std::uint8_t* out = blended_[slot].get();
  if (columns_->AreCopies()) {
    CopyColumns(sourceRow_.get(), columns_->Data(), size_.width, size_.channels, out);
  } else {
    kernels_.blendColumns(sourceRow_.get(), columns_->Data(), size_.width, size_.channels, out);
  }
  return out;
}

bool RowResampler::Run(RowSource& source, RowSink& sink, std::int32_t first, std::int32_t end) {
  if (!ready_) return false;
  nextSourceRow_ = size_.sourceHeight - 1;
  blendedRow_[0] = blendedRow_[1] = -1;
  for (std::int32_t y = end - 1; y >= first; --y) {
    const AxisTap row = TapFor(size_.sourceHeight, y, size_.height);
    // The lower row first: it comes earlier from the source.
    if (row.secondWeight == 0.0) {
      // A weight of 0 takes the upper row whole.
      if (!sink.WriteRow(BlendedRow(row.first, -1, source))) return false;
      continue;
    }
    const std::uint8_t* lower = BlendedRow(row.second, -1, source);
    const std::uint8_t* upper = BlendedRow(row.first, row.second, source);
    std::uint8_t* out = sink.NextRow();
    if (out == nullptr) out = output_.get();
    kernels_.blendRows(upper, lower, row.firstWeight, row.secondWeight, rowBytes_, out);
    if (!sink.WriteRow(out)) return false;
  }
  return true;
}

}  // namespace bmpresize
