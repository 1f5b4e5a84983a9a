#include "module/resize_file.h"

#include <new>

#include "bmpfile/bmp_reader.h"
#include "bmpfile/bmp_writer.h"
#include "bmpfile/file_identity.h"
#include "image/bmp_image.h"
#include "module/scaled_size.h"
#include "resample/image_row_source.h"
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

class WriterRows : public RowSink {
 public:
  explicit WriterRows(BmpWriter& writer) : writer_(writer) {}
  bool WriteRow(const std::uint8_t* data) override { return writer_.WriteEncodedRow(data) != 0; }

 private:
  BmpWriter& writer_;
};

// Reads every row of the reader's picture into image, for a destination that
// is the source file itself: it is truncated when the write begins.
bool ReadWhole(BmpReader& reader, BmpImage& image) {
  if (static_cast<std::int64_t>(reader.Width()) * reader.Height() > kMaxImagePixels) return false;
  if (!image.SetSize(reader.Width(), reader.Height())) return false;
  for (std::int32_t y = reader.Height() - 1; y >= 0; --y) (void)reader.ReadRow(image.Row(y));
  return true;
}

ResizeOutcome Fail(ResizeOutcome outcome, std::int32_t code, DestinationProblemKind kind, std::int64_t value = 0,
                   std::int64_t limit = 0) {
  outcome.code = code;
  outcome.destination = kind;
  outcome.value = value;
  outcome.limit = limit;
  return outcome;
}

ResizeOutcome Resize(const ResizeEnds& ends, std::int32_t percent) {
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
      outcome.code = -1;
      return outcome;
    case HeaderVerdict::kNoMemory:
      outcome.code = -3;
      return outcome;
    case HeaderVerdict::kAccepted:
      break;
  }

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

  // Writing onto the source itself truncates it: read it whole first.
  BmpImage whole;
  const bool sameFile = ends.destinationStream == nullptr && IsSameFile(reader.Stream(), ends.destinationPath);
  if (sameFile && !ReadWhole(reader, whole)) return Fail(outcome, -3, DestinationProblemKind::kNoMemory);

  BmpWriter writer;
  const int begun = ends.destinationStream != nullptr ? writer.Begin(ends.destinationStream, layout)
                                                      : writer.Begin(ends.destinationPath, layout);
  if (!begun) {
    outcome.systemError = writer.SystemError();
    return Fail(outcome, -2, DestinationProblemKind::kOpenFailed);
  }
  ReaderRows readerRows(reader);
  ImageRowSource imageRows(whole);
  WriterRows sink(writer);
  const bool written = resampler.Run(sameFile ? static_cast<RowSource&>(imageRows) : readerRows, sink);
  const bool finished = writer.Finish() != 0;
  if (!written || !finished) {
    outcome.systemError = writer.SystemError();
    return Fail(outcome, -2, DestinationProblemKind::kWriteFailed);
  }
  outcome.code = 999;
  return outcome;
}

}  // namespace

ResizeOutcome ResizeFile(const ResizeEnds& ends, std::int32_t percent) noexcept {
  try {
    return Resize(ends, percent);
  } catch (...) {
    // Nothing above allocates with a throwing new; this is a last guard.
    ResizeOutcome outcome;
    outcome.code = -3;
    outcome.destination = DestinationProblemKind::kNoMemory;
    return outcome;
  }
}
