// SPDX-License-Identifier: MIT
#include "pipeline/row_stream.h"

namespace {

class WriterRows final : public RowSink {
 public:
  WriterRows(BmpWriter& writer, const BmpReader& reader, const bmpresize_options& options)
      : writer_(writer), reader_(reader), options_(options) {}
  bool WriteRow(const std::uint8_t* data) override {
    if (StopsBeforeRow(reader_, options_)) return false;
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

bool StopsBeforeRow(const BmpReader& reader, const bmpresize_options& options) {
  return Cancelled(options) || reader.Failed() || (options.strict && reader.Shortfall().cutShort);
}

bool StreamRows(BmpReader& reader, RowResampler& resampler, BmpWriter& writer, const bmpresize_options& options) {
  ReaderRows rows(reader);
  WriterRows sink(writer, reader, options);
  return resampler.Run(rows, sink);
}
