// SPDX-License-Identifier: MIT
#include "pipeline/banded_stream.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <new>

#include "pipeline/row_stream.h"
#include "pipeline/worker_thread.h"

namespace {

// The most bytes of rows a band holds before it writes them out.
constexpr std::size_t kBandBufferBytes = std::size_t{256} << 10;

// The rows of stride bytes a band of rows rows holds before it writes them.
std::size_t BufferRows(std::size_t rows, std::size_t stride) {
  return std::max<std::size_t>(1, std::min(rows, kBandBufferBytes / stride));
}

struct BandsShared {
  OffsetSink& sink;
  const BandedRows& rows;
  const bmpresize_options& options;
  std::atomic<bool> stop{false};
};

// One band: destination rows first to end - 1, written bottom-up, so at
// rising offsets, gathered into a buffer of whole rows.
class Band final : public RowSink {
 public:
  Band(BandsShared& shared, BmpReader& reader, RowResampler& resampler, std::int32_t height, std::int32_t first,
       std::int32_t end)
      : shared_(shared), reader_(reader), resampler_(resampler), first_(first), end_(end), fileRow_(height - end) {}

  // The buffer; false when memory for it is short.
  bool Prepare() {
    const std::size_t stride = shared_.rows.stride;
    capacity_ = BufferRows(static_cast<std::size_t>(end_ - first_), stride);
    // Each row's padding is zeroed as the row comes in. Rows blended
    // straight in may spill into the slack after the last.
    buffer_.reset(new (std::nothrow) std::uint8_t[capacity_ * stride + kRowBlendSlack]);
    return buffer_ != nullptr;
  }

  void Run() {
    ReaderRows rows(reader_);
    done_ = resampler_.Run(rows, *this, first_, end_) && Flush();
    if (!done_) shared_.stop.store(true, std::memory_order_relaxed);
  }

  std::uint8_t* NextRow() override { return buffer_.get() + held_ * shared_.rows.stride; }

  bool WriteRow(const std::uint8_t* data) override {
    if (shared_.stop.load(std::memory_order_relaxed) || StopsBeforeRow(reader_, shared_.options)) return false;
    std::uint8_t* row = NextRow();
    const BandedRows& rows = shared_.rows;
    if (data != row) std::memcpy(row, data, rows.rowBytes);
    // A row blended in place may have spilled into its padding.
    if (rows.stride > rows.rowBytes) std::memset(row + rows.rowBytes, 0, rows.stride - rows.rowBytes);
    return ++held_ < capacity_ || Flush();
  }

  bool Done() const { return done_; }
  int WriteError() const { return writeError_; }
  const BmpReader& Reader() const { return reader_; }

 private:
  bool Flush() {
    if (held_ == 0) return true;
    const std::size_t stride = shared_.rows.stride;
    const std::int64_t offset = shared_.rows.dataOffset + fileRow_ * static_cast<std::int64_t>(stride);
    writeError_ = shared_.sink.WriteAt(offset, buffer_.get(), held_ * stride);
    fileRow_ += static_cast<std::int64_t>(held_);
    held_ = 0;
    return writeError_ == 0;
  }

  BandsShared& shared_;
  BmpReader& reader_;
  RowResampler& resampler_;
  std::int32_t first_;
  std::int32_t end_;
  std::int64_t fileRow_;  // where the next rows written go, counted from the bottom
  std::unique_ptr<std::uint8_t[]> buffer_;
  std::size_t capacity_ = 0;  // rows
  std::size_t held_ = 0;
  int writeError_ = 0;
  bool done_ = false;
};

// What a band beyond the first reads with: a way into the source of its own.
struct BandReading {
  std::unique_ptr<ByteSource> bytes;
  BmpReader reader;
  std::unique_ptr<RowResampler> resampler;
};

// A reading opened on a new way into the source; false when one cannot be had.
bool OpenReading(const SourceEnd& source, const BmpReader& model, std::unique_ptr<BandReading>& reading) {
  reading.reset(new (std::nothrow) BandReading);
  return reading && (reading->bytes = source.Another()) && reading->reader.OpenRows(*reading->bytes, model);
}

void RunBand(void* band) { static_cast<Band*>(band)->Run(); }

// The bands' ends merged as one thread would have ended.
void Merge(const std::unique_ptr<Band>* bands, unsigned count, StreamOutcome& outcome) {
  outcome.streamed = true;
  for (unsigned b = 0; b < count; ++b) {
    const Band& band = *bands[b];
    const BmpReader& reader = band.Reader();
    if (reader.Failed() && !outcome.readFailure) outcome.readFailure = reader.Failure();
    if (band.WriteError() != 0 && !outcome.writeFailure)
      outcome.writeFailure = BecauseOfError(BMPRESIZE_CAUSE_WRITE_FAILED, band.WriteError());
    outcome.streamed = outcome.streamed && band.Done();
    // Every band that meets the end of the data finds it at the same row.
    const DataShortfall& shortfall = reader.Shortfall();
    if (shortfall.cutShort && (!outcome.shortfall.cutShort || shortfall.rowsRead < outcome.shortfall.rowsRead))
      outcome.shortfall = shortfall;
    if (b == 0 && !outcome.shortfall.cutShort) outcome.shortfall = shortfall;
  }
  if (!outcome.writeFailure) outcome.writeFailure = Because(BMPRESIZE_CAUSE_WRITE_FAILED);
}

}  // namespace

std::uint64_t BandBufferBytes(std::int32_t height, std::size_t stride) {
  return BufferRows(static_cast<std::size_t>(height), stride) * stride + kRowBlendSlack;
}

unsigned BandsFor(const bmpresize_options& options, const BmpReader& reader, std::int32_t height) {
  const FileLayout& layout = reader.Layout();
  // Rows at known offsets, each decoded on its own; run-length rows are not.
  const bool wholeRows = layout.storage == RowStorage::kBottomUp || layout.storage == RowStorage::kTopDown;
  if (!wholeRows || layout.depth == 16 || reader.DataStart() < 0) return 0;
  const unsigned threads = options.threads > 0 ? static_cast<unsigned>(options.threads) : CoreCount();
  return static_cast<unsigned>(std::min<std::int64_t>({threads, kMostBands, height}));
}

bool StreamInBands(unsigned bands, const SourceEnd& source, BmpReader& reader, RowResampler& resampler,
                   const ColumnTaps& columns, const ResampleSize& size, OffsetSink& sink, const BandedRows& rows,
                   const bmpresize_options& options, StreamOutcome& outcome) {
  bands = std::min(bands, kMostBands);
  std::unique_ptr<BandReading> readings[kMostBands];
  // Each band beyond the first reads a way of its own; fewer bands when one cannot be had.
  unsigned count = 1;
  for (; count < bands; ++count) {
    auto& reading = readings[count];
    if (!OpenReading(source, reader, reading)) break;
    reading->resampler.reset(new (std::nothrow) RowResampler(size, columns));
    if (!reading->resampler || !reading->resampler->Ready()) break;
  }
  // With several bands at once the first reads a way of its own too: on
  // Windows a read at an offset moves the position that the source's own
  // stream reads from.
  if (count > 1 && !OpenReading(source, reader, readings[0])) count = 1;

  BandsShared shared{sink, rows, options};
  std::unique_ptr<Band> band[kMostBands];
  for (unsigned b = 0; b < count; ++b) {
    const auto first = static_cast<std::int32_t>(std::int64_t{size.height} * b / count);
    const auto end = static_cast<std::int32_t>(std::int64_t{size.height} * (b + 1) / count);
    BmpReader& bandReader = count > 1 ? readings[b]->reader : reader;
    RowResampler& bandResampler = b == 0 ? resampler : *readings[b]->resampler;
    band[b].reset(new (std::nothrow) Band(shared, bandReader, bandResampler, size.height, first, end));
    if (!band[b] || !band[b]->Prepare()) return false;
  }

  WorkerThread threads[kMostBands];
  bool started[kMostBands] = {};
  for (unsigned b = 1; b < count; ++b) started[b] = threads[b].Start(&RunBand, band[b].get());
  band[0]->Run();
  // A band no thread could be had for runs here.
  for (unsigned b = 1; b < count; ++b) {
    if (started[b]) {
      threads[b].Join();
    } else {
      band[b]->Run();
    }
  }
  Merge(band, count, outcome);
  return true;
}
