// SPDX-License-Identifier: MIT
#include "resample/area_resampler.h"

#include <algorithm>
#include <new>

#include "resample/row_blend.h"

namespace bmpresize {

AreaResampler::AreaResampler(const ResampleSize& size, const AreaColumns& columns, const AreaKernels& kernels)
    : Resampler(size),
      columns_(columns),
      kernels_(kernels),
      acrossDivider_(size.sourceWidth),
      downDivider_(size.sourceHeight),
      rowBytes_(static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.channels)) {
  if (!columns_.Ready()) return;
  sourceRow_ = NewRowArray<PixelBGRA>(static_cast<std::size_t>(size.sourceWidth));
  averaged_ = NewRowArray<std::uint8_t>(rowBytes_ + kRowBlendSlack);
  if (downDivider_.Narrow()) {
    narrowSums_ = NewRowArray<std::uint32_t>(rowBytes_);
  } else {
    sums_ = NewRowArray<std::uint64_t>(rowBytes_);
  }
  output_ = NewRowArray<std::uint8_t>(rowBytes_ + kRowBlendSlack);
  ready_ = sourceRow_ && averaged_ && (sums_ || narrowSums_) && output_;
}

std::uint64_t AreaResampler::BytesFor(const ResampleSize& size) {
  const std::uint64_t row = static_cast<std::uint64_t>(size.width) * static_cast<std::uint64_t>(size.channels);
  return sizeof(PixelBGRA) * static_cast<std::uint64_t>(size.sourceWidth) + 2 * (row + kRowBlendSlack) +
         sizeof(std::uint64_t) * row;
}

// Rows of 3-byte pixels are averaged from the source's own bytes where the
// kernels can, without spreading them to 4 bytes first.
const std::uint8_t* AreaResampler::AverageNextRow(RowSource& source) {
  const PixelRow row{sourceRow_.get(), 1, size_.sourceWidth};
  const auto middleWeight = static_cast<std::uint32_t>(size_.width);
  const std::uint8_t* packed = nullptr;
  if (kernels_.averagePackedColumns != nullptr && PackedRowsPay(size_.sourceWidth, size_.width)) {
    packed = source.ReadPackedRow(row);
  } else {
    source.ReadRow(row);
  }
  if (packed != nullptr) {
    kernels_.averagePackedColumns(packed, columns_.Data(), size_.width, size_.channels, middleWeight, acrossDivider_,
                                  averaged_.get());
  } else {
    kernels_.averageColumns(sourceRow_.get(), columns_.Data(), size_.width, size_.channels, middleWeight,
                            acrossDivider_, averaged_.get());
  }
  return averaged_.get();
}

bool AreaResampler::FinishRow(RowSink& sink) {
  std::uint8_t* out = sink.NextRow();
  if (out == nullptr) out = output_.get();
  if (narrowSums_) {
    kernels_.finishRowNarrow(narrowSums_.get(), rowBytes_, downDivider_, out);
  } else {
    kernels_.finishRow(sums_.get(), rowBytes_, downDivider_, out);
  }
  return sink.WriteRow(out);
}

void AreaResampler::AddRow(const std::uint8_t* averaged, std::uint32_t weight) {
  if (narrowSums_) {
    kernels_.addRowNarrow(averaged, weight, rowBytes_, narrowSums_.get());
  } else {
    kernels_.addRow(averaged, weight, rowBytes_, sums_.get());
  }
}

void AreaResampler::ClearSums() {
  if (narrowSums_) std::fill(narrowSums_.get(), narrowSums_.get() + rowBytes_, std::uint32_t{0});
  if (sums_) std::fill(sums_.get(), sums_.get() + rowBytes_, std::uint64_t{0});
}

// Rows past the end of a file's data all come back alike: a file of a few
// bytes that claims a tall picture is then averaged in as many steps as its
// rows out, not its rows in. Only the rows the band's last row covers count.
std::int64_t AreaResampler::RowsAlike(const RowSource& source, std::int64_t j, std::int64_t stop) const {
  const std::int64_t lastCovered = (stop * size_.sourceHeight - 1) / size_.height;
  return std::max<std::int64_t>(0, std::min(source.SameRowsAhead(), lastCovered - j));
}

// Shares the averaged source rows spanning [at, rowEnd) out to destination
// rows y on, before stop: the rows finished go out and y moves past them.
// False when the sink refused one.
bool AreaResampler::ShareOut(const std::uint8_t* averaged, std::int64_t at, std::int64_t rowEnd, std::int64_t stop,
                             std::int64_t& y, RowSink& sink) {
  const std::int64_t sourceHeight = size_.sourceHeight;
  while (y < stop && at < rowEnd) {
    const std::int64_t yStart = y * sourceHeight;
    const std::int64_t yEnd = yStart + sourceHeight;
    if (at == yStart && rowEnd >= yEnd) {
      // A destination row wholly inside these source rows, with no sums
      // begun: its average is the row itself.
      if (!sink.WriteRow(averaged)) return false;
      at = yEnd;
      ++y;
      continue;
    }
    const std::int64_t piece = std::min(rowEnd, yEnd) - at;
    AddRow(averaged, static_cast<std::uint32_t>(piece));
    at += piece;
    if (at == yEnd) {
      if (!FinishRow(sink)) return false;
      ++y;
    }
  }
  return true;
}

// Rows are counted here from the bottom of the picture, as they come: the
// weights are the same from either end. In units of 1 / (H x dH) of the
// picture's height, source row j spans [j x dH, (j + 1) x dH) and destination
// row y spans [y x H, (y + 1) x H); every product is under 2^62.
bool AreaResampler::Run(RowSource& source, RowSink& sink, std::int32_t first, std::int32_t end) {
  if (!ready_) return false;
  const std::int64_t sourceHeight = size_.sourceHeight;
  const std::int64_t height = size_.height;
  std::int64_t y = height - end;  // the destination row being built
  const std::int64_t stop = height - first;
  // The band's sums start at the source row its first destination row starts in.
  std::int64_t j = y * sourceHeight / height;
  source.SkipRows(j);
  ClearSums();
  for (; y < stop; ++j) {
    if (!sink.GoesOn()) return false;
    const std::uint8_t* averaged = AverageNextRow(source);
    // Rows after it that are known to be the same go out with it, as one
    // taller row, and are passed over.
    const std::int64_t alike = RowsAlike(source, j, stop);
    // A band's first row may start inside the source row.
    const std::int64_t at = std::max(j * height, y * sourceHeight);
    if (!ShareOut(averaged, at, (j + 1 + alike) * height, stop, y, sink)) return false;
    source.SkipRows(alike);
    j += alike;
  }
  return true;
}

}  // namespace bmpresize
