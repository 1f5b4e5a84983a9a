// SPDX-License-Identifier: MIT
#include "pipeline/resampled_rows.h"

#include <algorithm>
#include <new>

#include "pipeline/band.h"

namespace bmpresize {

namespace {

// Of the rows after row (counted from the bottom of a picture height rows
// high), how many lie wholly past the end of the data, as row does: they all
// come back alike (white, or the last pixel read). The data ended in the row
// above the bottom rowsRead of a bottom-up file, and in the row below the
// top rowsRead of a top-down one.
std::int64_t SameRowsAfter(const DataShortfall& shortfall, std::int64_t height, std::int64_t row) {
  if (!shortfall.cutShort) return 0;
  const std::int64_t first = shortfall.topDown ? 0 : shortfall.rowsRead + 1;
  const std::int64_t last = shortfall.topDown ? height - shortfall.rowsRead - 2 : height - 1;
  return row >= first && row < last ? last - row : 0;
}

// The reader as the resampler's source of rows, starting at the region's
// bottom row: the picture's rows below it are passed over first. A row past
// the data's end comes back white; the reader's shortfall says so.
class ReaderRows final : public RowSource {
 public:
  ReaderRows(BmpReader& reader, std::int64_t rowsBelow) : reader_(reader), rowsBelow_(rowsBelow) {}
  void ReadRow(PixelRow row) override {
    SkipRows(0);
    (void)reader_.ReadRow(row);
    ++next_;
  }
  const std::uint8_t* ReadPackedRow(PixelRow row) override {
    SkipRows(0);
    const std::uint8_t* packed = reader_.ReadPackedRow(row);
    ++next_;
    return packed;
  }
  void SkipRows(std::int64_t n) override {
    n += rowsBelow_;
    rowsBelow_ = 0;
    if (n > 0) reader_.SkipRows(n);
    next_ += n;
  }
  std::int64_t SameRowsAhead() const override {
    return SameRowsAfter(reader_.Shortfall(), reader_.Height(), next_ - 1);
  }

 private:
  BmpReader& reader_;
  std::int64_t rowsBelow_;
  std::int64_t next_ = 0;  // the picture's row read next, from the bottom
};

// The band's rows encoded at the destination's depth: each resized row is
// encoded straight into the band's next row, which the band then takes as it
// stands.
class EncodedRows final : public RowSink {
 public:
  EncodedRows(Band& band, const DepthEncoder& encoder, std::int32_t width)
      : band_(band), encoder_(encoder), width_(width) {}
  bool WriteRow(const std::uint8_t* data) override {
    std::uint8_t* row = band_.NextRow();
    encoder_.Encode(data, width_, row);
    return band_.WriteRow(row);
  }
  bool GoesOn() override { return band_.GoesOn(); }

 private:
  Band& band_;
  const DepthEncoder& encoder_;
  std::int32_t width_;
};

}  // namespace

bool ResampledRows::Run(Band& band, std::int32_t first, std::int32_t end) {
  ReaderRows rows(reader_, region_.RowsBelow());
  if (encoder_ == nullptr) return resampler_.Run(rows, band, first, end);
  EncodedRows encoded(band, *encoder_, resampler_.Size().width);
  return resampler_.Run(rows, encoded, first, end);
}

const Cause& ResampledRows::ReadFailure() const {
  static const Cause kNone;
  return reader_.Failed() ? reader_.Failure() : kNone;
}

bool ResampledBands::OpenReading(const SourceEnd& source, const BmpReader& model, std::unique_ptr<Reading>& reading) {
  reading.reset(new (std::nothrow) Reading);
  return reading && (reading->bytes = source.IndependentBytes()) &&
         reading->reader.OpenRows(*reading->bytes, model).Ok();
}

unsigned ResampledBands::Open(unsigned bands, const SourceEnd& source, BmpReader& reader, Resampler& resampler,
                              const ChosenFilter& filter, const SourceRegion& region, const DepthEncoder* encoder) {
  bands = std::min(bands, kMostBands);
  unsigned count = 1;
  for (; count < bands; ++count) {
    auto& reading = readings_[count];
    if (!OpenReading(source, reader, reading)) break;
    reading->resampler = filter.MakeResampler();
    if (!reading->resampler) break;
  }
  // With several bands at once the first reads a way of its own too: on
  // Windows a read at an offset moves the position that the source's own
  // stream reads from.
  if (count > 1 && !OpenReading(source, reader, readings_[0])) count = 1;
  for (unsigned b = 0; b < count; ++b)
    rows_[b].emplace(count > 1 ? readings_[b]->reader : reader, b == 0 ? resampler : *readings_[b]->resampler, region,
                     encoder);
  return count;
}

}  // namespace bmpresize
