// SPDX-License-Identifier: MIT
#include "resample/filter_resampler.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

#include "resample/row_blend.h"

namespace bmpresize {

namespace {

template <typename T>
std::unique_ptr<T[]> Allocate(std::size_t n) {
  return std::unique_ptr<T[]>(new (std::nothrow) T[n]);
}

// A row whose width is kept: each pixel's first channels bytes, packed.
void CopyColumns(const PixelBGRA* source, std::int32_t width, int channels, std::uint8_t* out) {
  for (std::int32_t x = 0; x < width; ++x, out += channels) std::memcpy(out, &source[x], 4);
}

}  // namespace

FilterResampler::FilterResampler(const ResampleSize& size, const FilterTaps* across, const FilterTaps* down,
                                 const FilterPasses& passes)
    : Resampler(size), across_(across), down_(down), passes_(passes) {
  if ((across_ != nullptr && !across_->Ready()) || (down_ != nullptr && !down_->Ready())) return;
  // The ring's bytes in 64 bits: on a 32-bit system they may not fit a size_t.
  const std::uint64_t ring = BytesFor(size, down_ != nullptr ? down_->Stride() : 1);
  if (ring > SIZE_MAX / 2) return;
  rowBytes_ = static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.channels);
  slotBytes_ = rowBytes_ + kRowBlendSlack;
  ringRows_ = down_ != nullptr ? down_->Stride() : 1;
  sourceRow_ = Allocate<PixelBGRA>(static_cast<std::size_t>(size.sourceWidth));
  ring_ = Allocate<std::uint8_t>(slotBytes_ * static_cast<std::size_t>(ringRows_));
  rows_ = Allocate<const std::uint8_t*>(static_cast<std::size_t>(ringRows_));
  output_ = Allocate<std::uint8_t>(slotBytes_);
  ready_ = sourceRow_ && ring_ && rows_ && output_;
}

std::uint64_t FilterResampler::BytesFor(const ResampleSize& size, std::int32_t ringRows) {
  const std::uint64_t slot =
      static_cast<std::uint64_t>(size.width) * static_cast<std::uint64_t>(size.channels) + kRowBlendSlack;
  const auto rows = static_cast<std::uint64_t>(ringRows);
  return sizeof(PixelBGRA) * static_cast<std::uint64_t>(size.sourceWidth) + (rows + 1) * slot +
         rows * sizeof(const std::uint8_t*);
}

// The next source row filtered across into out. Rows the source knows to be
// the one read last are copies of its filtered row.
void FilterResampler::FilterAcross(RowSource& source, std::uint8_t* out) {
  if (alike_ > 0) {
    --alike_;
    source.SkipRows(1);
    const std::uint8_t* last = Slot(nextSource_ - 1);
    if (last != out) std::memcpy(out, last, rowBytes_);
    return;
  }
  source.ReadRow(PixelRow{sourceRow_.get(), 1, size_.sourceWidth});
  alike_ = source.SameRowsAhead();
  if (across_ != nullptr) {
    passes_.across(sourceRow_.get(), *across_, size_.width, size_.channels, out);
  } else {
    CopyColumns(sourceRow_.get(), size_.width, size_.channels, out);
  }
}

// Source rows from the bottom up to to - 1 in the ring, those below from
// passed over. False when the sink wants no more.
bool FilterResampler::FillTo(RowSource& source, std::int64_t from, std::int64_t to, RowSink& sink) {
  if (nextSource_ < from) {
    source.SkipRows(from - nextSource_);
    nextSource_ = from;
    alike_ = 0;
  }
  for (; nextSource_ < to; ++nextSource_) {
    if (!sink.GoesOn()) return false;
    FilterAcross(source, Slot(nextSource_));
  }
  return true;
}

// Destination row y, counted from the top, from its taps in the ring.
bool FilterResampler::WriteRow(std::int32_t y, RowSink& sink) {
  const std::int64_t top = size_.sourceHeight - 1;
  if (down_ == nullptr) return sink.WriteRow(Slot(top - y));
  const std::int32_t first = down_->First(y);
  const std::int32_t count = down_->Count(y);
  for (std::int32_t t = 0; t < count; ++t) rows_[t] = Slot(top - (first + t));
  std::uint8_t* out = sink.NextRow();
  if (out == nullptr) out = output_.get();
  passes_.down(rows_.get(), down_->Weights(y), count, down_->Bits(), rowBytes_, out);
  return sink.WriteRow(out);
}

bool FilterResampler::Run(RowSource& source, RowSink& sink, std::int32_t first, std::int32_t end) {
  if (!ready_) return false;
  const std::int64_t height = size_.sourceHeight;
  nextSource_ = 0;
  alike_ = 0;
  for (std::int32_t y = end - 1; y >= first; --y) {
    // The taps of row y as rows from the bottom: [from, to).
    const std::int64_t low = down_ != nullptr ? down_->First(y) : y;
    const std::int64_t count = down_ != nullptr ? down_->Count(y) : 1;
    if (!FillTo(source, height - low - count, height - low, sink)) return false;
    if (!WriteRow(y, sink)) return false;
  }
  return true;
}

}  // namespace bmpresize
