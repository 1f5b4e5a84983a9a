// SPDX-License-Identifier: MIT
#include "pipeline/row_stream.h"

namespace {

class ReaderRows final : public RowSource {
 public:
  explicit ReaderRows(BmpReader& reader) : reader_(reader) {}
  // A row past the data's end comes back white; the reader's shortfall says so.
  void ReadRow(PixelRow row) override { (void)reader_.ReadRow(row); }
  void SkipRows(std::int64_t n) override { reader_.SkipRows(n); }

 private:
  BmpReader& reader_;
};

class WriterRows final : public RowSink {
 public:
  WriterRows(BmpWriter& writer, const BmpReader& reader, const bmpresize_options& options)
      : writer_(writer), reader_(reader), options_(options) {}
  bool WriteRow(const std::uint8_t* data) override {
    if (Cancelled(options_) || reader_.Failed() || (options_.strict && reader_.Shortfall().cutShort)) return false;
    return writer_.WriteEncodedRow(data);
  }

 private:
  BmpWriter& writer_;
  const BmpReader& reader_;
  const bmpresize_options& options_;
};

}  // namespace

bool Cancelled(const bmpresize_options& options) {
  return options.cancel != nullptr && __atomic_load_n(options.cancel, __ATOMIC_RELAXED) != 0;
}

bool StreamRows(BmpReader& reader, RowResampler& resampler, BmpWriter& writer, const bmpresize_options& options) {
  ReaderRows rows(reader);
  WriterRows sink(writer, reader, options);
  return resampler.Run(rows, sink);
}
