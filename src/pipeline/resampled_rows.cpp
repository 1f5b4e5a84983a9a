// SPDX-License-Identifier: MIT
#include "pipeline/resampled_rows.h"

#include <algorithm>
#include <new>

#include "pipeline/band.h"

namespace bmpresize {

namespace {

// The reader as the resampler's source of rows, starting at the region's
// bottom row: the picture's rows below it are passed over first. A row past
// the data's end comes back white; the reader's shortfall says so.
class ReaderRows final : public RowSource {
 public:
  ReaderRows(BmpReader& reader, std::int64_t rowsBelow) : reader_(reader), rowsBelow_(rowsBelow) {}
  void ReadRow(PixelRow row) override {
    SkipRows(0);
    (void)reader_.ReadRow(row);
  }
  void SkipRows(std::int64_t n) override {
    n += rowsBelow_;
    rowsBelow_ = 0;
    if (n > 0) reader_.SkipRows(n);
  }

 private:
  BmpReader& reader_;
  std::int64_t rowsBelow_;
};

}  // namespace

bool ResampledRows::Run(Band& band, std::int32_t first, std::int32_t end) {
  ReaderRows rows(reader_, region_.RowsBelow());
  return resampler_.Run(rows, band, first, end);
}

const Cause& ResampledRows::ReadFailure() const {
  static const Cause kNone;
  return reader_.Failed() ? reader_.Failure() : kNone;
}

bool ResampledBands::OpenReading(const SourceEnd& source, const BmpReader& model, std::unique_ptr<Reading>& reading) {
  reading.reset(new (std::nothrow) Reading);
  return reading && (reading->bytes = source.Another()) && reading->reader.OpenRows(*reading->bytes, model);
}

unsigned ResampledBands::Open(unsigned bands, const SourceEnd& source, BmpReader& reader, Resampler& resampler,
                              const ChosenFilter& filter, const SourceRegion& region) {
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
    rows_[b].emplace(count > 1 ? readings_[b]->reader : reader, b == 0 ? resampler : *readings_[b]->resampler, region);
  return count;
}

}  // namespace bmpresize
