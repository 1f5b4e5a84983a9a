#include "module/resize_file.h"

#include <new>

#include "bmpfile/bmp_reader.h"
#include "bmpfile/bmp_writer.h"
#include "bmpfile/file_identity.h"
#include "bmpfile/replacing_file.h"
#include "module/scaled_size.h"
#include "resample/row_resampler.h"

namespace {

class ReaderRows : public RowSource {
 public:
  explicit ReaderRows(BmpReader& reader) : reader_(reader) {}
  void ReadRow(PixelRow row) override { (void)reader_.ReadRow(row); }
  void SkipRows(std::int64_t n) override { reader_.SkipRows(n); }

 private:
  BmpReader& reader_;
};

bool Cancelled(const ResizeOptions& options) {
  return options.cancel != nullptr && options.cancel->load(std::memory_order_relaxed);
}

// Takes the resized rows into the writer. Between rows it stops the resize
// when the caller cancels, when a read of the source failed, or, when strict,
// once the source shows itself cut short.
class WriterRows : public RowSink {
 public:
  WriterRows(BmpWriter& writer, const BmpReader& reader, const ResizeOptions& options)
      : writer_(writer), reader_(reader), options_(options) {}
  bool WriteRow(const std::uint8_t* data) override {
    if (Cancelled(options_) || reader_.ReadFailed() || (options_.strict && reader_.Shortfall().cutShort)) return false;
    return writer_.WriteEncodedRow(data) != 0;
  }

 private:
  BmpWriter& writer_;
  const BmpReader& reader_;
  const ResizeOptions& options_;
};

ResizeOutcome Fail(ResizeOutcome outcome, std::int32_t code, DestinationProblemKind kind, std::int64_t value = 0,
                   std::int64_t limit = 0) {
  outcome.code = code;
  outcome.destination = kind;
  outcome.value = value;
  outcome.limit = limit;
  return outcome;
}

// Why the destination could not be opened, as an outcome.
ResizeOutcome Refused(ResizeOutcome outcome, const ReplacingFile& file) {
  outcome.systemError = file.SystemError();
  switch (file.problem()) {
    case ReplacingFile::Problem::kNoMemory:
      return Fail(outcome, -3, DestinationProblemKind::kNoMemory);
    case ReplacingFile::Problem::kNotWritable:
      return Fail(outcome, -2, DestinationProblemKind::kNotWritable);
    case ReplacingFile::Problem::kWouldRewriteSource:
      return Fail(outcome, -2, DestinationProblemKind::kSameAsSource);
    default:
      return Fail(outcome, -2, DestinationProblemKind::kOpenFailed);
  }
}

ResizeOutcome Resize(const ResizeEnds& ends, const ResizeOptions& options) {
  ResizeOutcome outcome;
  BmpReader reader;
  const HeaderVerdict verdict =
      ends.sourceStream != nullptr ? reader.ReadHeaders(ends.sourceStream) : reader.ReadHeaders(ends.sourcePath);
  outcome.source = reader.Problem();
  switch (verdict) {
    case HeaderVerdict::kOpenFailed:
    case HeaderVerdict::kNotBmp:
      outcome.code = 0;
      return outcome;
    case HeaderVerdict::kShortHeader:
    case HeaderVerdict::kRefused:
    case HeaderVerdict::kReadFailed:
      outcome.code = -1;
      return outcome;
    case HeaderVerdict::kNoMemory:
      outcome.code = -3;
      return outcome;
    case HeaderVerdict::kAccepted:
      break;
  }

  const std::int32_t percent = options.percent;
  std::int32_t width = 0;
  std::int32_t height = 0;
  if (!ScaledSize(percent, reader.Width(), width) || !ScaledSize(percent, reader.Height(), height))
    return Fail(outcome, -3, DestinationProblemKind::kSideTooLarge, percent);
  // A side below 1 makes the picture 1 x 1.
  if (width < 1 || height < 1) width = height = 1;
  outcome.width = width;
  outcome.height = height;

  BmpLayout layout;
  layout.width = width;
  layout.height = height;
  layout.depth = reader.Depth() == 32 ? 32 : 24;
  if (!HeadersFor(layout).fits) return Fail(outcome, -3, DestinationProblemKind::kFileTooLarge, width, height);
  if (width > kMaxRowPixels) return Fail(outcome, -3, DestinationProblemKind::kRowTooWide, width, kMaxRowPixels);
  if (ends.destinationPath == nullptr && ends.destinationStream == nullptr)
    return Fail(outcome, -2, DestinationProblemKind::kNoPath);

  RowResampler resampler({reader.Width(), reader.Height(), width, height, layout.depth / 8});
  if (!resampler.Ready()) return Fail(outcome, -3, DestinationProblemKind::kNoMemory);
  if (Cancelled(options)) return Fail(outcome, -2, DestinationProblemKind::kCancelled);

  // A stream is written as it is, unless it is the source itself; a path
  // through a new file that replaces the old one at the end, so the source
  // may be that file too.
  ReplacingFile file;
  std::FILE* out = ends.destinationStream;
  if (out != nullptr) {
    if (IsSameRegularFile(reader.Stream(), out)) return Fail(outcome, -2, DestinationProblemKind::kSameAsSource);
  } else {
    if (!file.Open(ends.destinationPath, reader.Stream())) return Refused(outcome, file);
    out = file.Stream();
  }
  const auto giveUp = [&](std::int32_t code, DestinationProblemKind kind, int error) {
    file.Abandon();
    outcome.partialLeft = file.LeftPartial();
    outcome.systemError = error;
    return Fail(outcome, code, kind);
  };

  BmpWriter writer;
  if (!writer.Begin(out, layout)) {
    if (writer.OutOfMemory()) return giveUp(-3, DestinationProblemKind::kNoMemory, 0);
    return giveUp(-2, DestinationProblemKind::kWriteFailed, writer.SystemError());
  }
  ReaderRows rows(reader);
  WriterRows sink(writer, reader, options);
  const bool written = resampler.Run(rows, sink);
  // A file is synced as it replaces the old one; a stream here.
  const bool flushed = writer.Finish(options.sync && ends.destinationStream != nullptr) != 0;
  outcome.shortfall = reader.Shortfall();
  // The source is closed before the new file takes its place: Windows
  // renames over no file that is open, and the source may be that file.
  reader.Close();

  if (Cancelled(options)) return giveUp(-2, DestinationProblemKind::kCancelled, 0);
  if (reader.ReadFailed()) {
    outcome.source = reader.Problem();
    return giveUp(-1, DestinationProblemKind::kNone, 0);
  }
  if (options.strict && outcome.shortfall.cutShort) {
    outcome.source.kind = ReadProblemKind::kCutShort;
    outcome.source.value = outcome.shortfall.rowsRead;
    outcome.source.limit = outcome.shortfall.height;
    return giveUp(-1, DestinationProblemKind::kNone, 0);
  }
  if (!written || !flushed) return giveUp(-2, DestinationProblemKind::kWriteFailed, writer.SystemError());
  if (ends.destinationStream == nullptr && !file.Commit(options.sync)) {
    outcome.partialLeft = file.LeftPartial();
    outcome.systemError = file.SystemError();
    return Fail(outcome, -2, DestinationProblemKind::kWriteFailed);
  }
  outcome.code = 999;
  return outcome;
}

}  // namespace

ResizeOutcome ResizeFile(const ResizeEnds& ends, const ResizeOptions& options) noexcept {
  try {
    return Resize(ends, options);
  } catch (...) {
    // Nothing above allocates with a throwing new; this is a last guard.
    ResizeOutcome outcome;
    outcome.code = -3;
    outcome.destination = DestinationProblemKind::kNoMemory;
    return outcome;
  }
}
