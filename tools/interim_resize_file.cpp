// A stand-in for ResizeFile while the streaming one is not in this branch: the
// whole source in memory, then the resized rows to the writer. Same codes and
// causes as the export's checks; drop this file once the real one is merged.
#include <new>

#include "bmpfile/bmp_reader.h"
#include "bmpfile/bmp_writer.h"
#include "module/resize_file.h"
#include "module/scaled_size.h"
#include "resample/resize_image.h"

namespace {

ResizeOutcome Destination(std::int32_t code, DestinationProblemKind kind, std::int64_t value = 0,
                          std::int64_t limit = 0) {
  ResizeOutcome outcome;
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
      ends.sourceStream ? reader.ReadHeaders(ends.sourceStream) : reader.ReadHeaders(ends.sourcePath);
  if (verdict != HeaderVerdict::kAccepted) {
    outcome.source = reader.Problem();
    outcome.code = verdict == HeaderVerdict::kOpenFailed || verdict == HeaderVerdict::kNotBmp ? 0 : -1;
    return outcome;
  }
  const std::int64_t pixels = std::int64_t{reader.Width()} * reader.Height();
  if (pixels > kMaxImagePixels) {
    outcome.code = -1;
    outcome.source.kind = ReadProblemKind::kTooManyPixels;
    outcome.source.value = pixels;
    outcome.source.limit = kMaxImagePixels;
    return outcome;
  }
  BmpImage source;
  if (!source.SetDepth(reader.Depth()) || !source.SetSize(reader.Width(), reader.Height())) {
    outcome.code = -1;
    outcome.source.kind = ReadProblemKind::kNoMemory;
    return outcome;
  }
  if (source.HasPalette()) {
    for (std::int32_t i = 0; i < source.PaletteSize(); ++i) (void)source.SetPaletteEntry(i, reader.Palette()[i]);
  }
  for (std::int32_t y = source.Height() - 1; y >= 0; --y) reader.ReadRow(source.Row(y));

  std::int32_t width = 0, height = 0;
  if (!ScaledSize(percent, source.Width(), width) || !ScaledSize(percent, source.Height(), height))
    return Destination(-3, DestinationProblemKind::kSideTooLarge, percent);
  if (width < 1 || height < 1) width = height = 1;
  const std::int32_t depth = source.Depth() == 32 ? 32 : 24;
  BmpLayout layout;
  layout.width = width;
  layout.height = height;
  layout.depth = depth;
  if (!HeadersFor(layout).fits) return Destination(-3, DestinationProblemKind::kFileTooLarge, width, height);
  BmpImage resized;
  if (!resized.SetSize(width, height) || !resized.SetDepth(depth) || !ResizeImage(source, resized))
    return Destination(-3, DestinationProblemKind::kNoMemory);
  if (!ends.destinationStream && !ends.destinationPath) return Destination(-2, DestinationProblemKind::kNoPath);

  BmpWriter writer;
  const int begun =
      ends.destinationStream ? writer.Begin(ends.destinationStream, layout) : writer.Begin(ends.destinationPath, layout);
  int ok = begun;
  for (std::int32_t y = height - 1; ok && y >= 0; --y) ok = writer.WriteRow(static_cast<const BmpImage&>(resized).Row(y));
  ok = writer.Finish() && ok;
  if (!ok) {
    ResizeOutcome failed =
        Destination(-2, begun ? DestinationProblemKind::kWriteFailed : DestinationProblemKind::kOpenFailed);
    failed.systemError = writer.SystemError();
    return failed;
  }
  outcome.code = 999;
  outcome.width = width;
  outcome.height = height;
  return outcome;
}

}  // namespace

ResizeOutcome ResizeFile(const ResizeEnds& ends, std::int32_t percent) noexcept {
  try {
    return Resize(ends, percent);
  } catch (...) {
    return Destination(-3, DestinationProblemKind::kNoMemory);
  }
}
