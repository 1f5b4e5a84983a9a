// SPDX-License-Identifier: MIT
#include "pipeline/resize.h"

#include "bmpfile/bmp_reader.h"
#include "bmpfile/bmp_writer.h"
#include "pipeline/banded_stream.h"
#include "pipeline/pixel_copy.h"
#include "pipeline/resize_plan.h"
#include "pipeline/row_stream.h"
#include "resample/row_resampler.h"

namespace {

bmpresize_result Failed(bmpresize_result result, const Cause& cause) {
  Record(result, cause);
  return result;
}

// The source opened and its headers read; false with the cause.
bool ReadHeaders(SourceEnd& source, BmpReader& reader, Cause& cause) {
  if (!source.Open(cause)) return false;
  if (reader.Open(source.Bytes())) return true;
  cause = reader.Failure();
  return false;
}

bool Plan(SourceEnd& source, BmpReader& reader, const bmpresize_options& options, ResizePlan& plan,
          bmpresize_result& result, Cause& cause) {
  if (!ReadHeaders(source, reader, cause) || !PlanResize(reader.Layout(), options.percent, plan, cause)) return false;
  result.width = plan.destination.width;
  result.height = plan.destination.height;
  result.size = static_cast<std::int64_t>(plan.fileSize);
  if (reader.Layout().noColourTable) result.notes |= BMPRESIZE_NOTE_NO_COLOUR_TABLE;
  return true;
}

void CopyShortfall(const DataShortfall& from, bmpresize_shortfall& to) {
  to.cut_short = from.cutShort;
  to.top_down = from.topDown;
  to.repeats_last_pixel = from.repeatsLastPixel;
  to.rows_read = from.rowsRead;
  to.rows = from.height;
}

// Why a finished stream is not a resize, if it is not: the caller cancelled,
// the source failed or (strict) was cut short, or a write failed.
Cause WhyNotFinished(const StreamOutcome& outcome, const bmpresize_options& options) {
  const DataShortfall& shortfall = outcome.shortfall;
  if (Cancelled(options)) return Because(BMPRESIZE_CAUSE_CANCELLED);
  if (outcome.readFailure) return outcome.readFailure;
  if (options.strict && shortfall.cutShort)
    return Because(BMPRESIZE_CAUSE_CUT_SHORT, shortfall.rowsRead, shortfall.height);
  if (!outcome.streamed) return outcome.writeFailure;
  return Cause();
}

StreamOutcome StreamInOrder(BmpReader& reader, RowResampler& resampler, BmpWriter& writer,
                            const bmpresize_options& options) {
  StreamOutcome outcome;
  outcome.streamed = StreamRows(reader, resampler, writer, options) && writer.Finish();
  if (reader.Failed()) outcome.readFailure = reader.Failure();
  outcome.shortfall = reader.Shortfall();
  const Cause& failure = writer.Failure();
  outcome.writeFailure = failure ? failure : Because(BMPRESIZE_CAUSE_WRITE_FAILED);
  return outcome;
}

// The rows copied as they are where the destination's pixel array is the
// source's, streamed in bands on several threads where the source, the
// destination and the options allow it, else streamed in order on this one.
StreamOutcome StreamAll(SourceEnd& source, DestinationEnd& destination, BmpReader& reader, RowResampler& resampler,
                        const ResampleSize& size, BmpWriter& writer, const BmpLayout& layout,
                        const bmpresize_options& options) {
  StreamOutcome outcome;
  if (CopiesPixels(reader, layout) && CopyPixels(source, reader, destination, layout, options, outcome)) return outcome;
  const unsigned bands = BandsFor(options, reader, layout.height);
  OffsetSink* sink = bands > 0 ? destination.AtOffsets() : nullptr;
  if (sink != nullptr) {
    BandedRows rows;
    rows.dataOffset = HeadersFor(layout).file.bfOffBits;
    rows.stride = static_cast<std::size_t>(RowStride(layout.width, layout.depth));
    rows.rowBytes = static_cast<std::size_t>(RowDataSize(layout.width, layout.depth));
    if (StreamInBands(bands, source, reader, resampler, size, *sink, rows, options, outcome)) return outcome;
  }
  return StreamInOrder(reader, resampler, writer, options);
}

}  // namespace

bmpresize_options DefaultOptions() {
  bmpresize_options options{};
  options.percent = 100;
  return options;
}

bmpresize_result Measure(SourceEnd& source, const bmpresize_options& options) {
  bmpresize_result result{};
  BmpReader reader;
  ResizePlan plan;
  Cause cause;
  const bool planned = Plan(source, reader, options, plan, result, cause);
  source.Close();
  if (!planned) return Failed(result, cause);
  result.code = BMPRESIZE_OK;
  return result;
}

bmpresize_result Resize(SourceEnd& source, DestinationEnd& destination, const bmpresize_options& options) {
  bmpresize_result result{};
  BmpReader reader;
  ResizePlan plan;
  Cause cause;
  if (!Plan(source, reader, options, plan, result, cause) || !destination.Accepts(plan.fileSize, cause))
    return Failed(result, cause);
  const BmpLayout& layout = plan.destination;
  const ResampleSize size{reader.Width(), reader.Height(), layout.width, layout.height, layout.depth / 8};
  RowResampler resampler(size);
  if (!resampler.Ready()) return Failed(result, Because(BMPRESIZE_CAUSE_NO_MEMORY));
  if (Cancelled(options)) return Failed(result, Because(BMPRESIZE_CAUSE_CANCELLED));
  if (!destination.Open(source, cause)) return Failed(result, cause);

  const auto giveUp = [&](const Cause& why) {
    destination.Abandon();
    result.partial_left = destination.LeftPartial();
    return Failed(result, why);
  };
  BmpWriter writer;
  if (!writer.Begin(destination.Bytes(), layout)) return giveUp(writer.Failure());
  const StreamOutcome outcome = StreamAll(source, destination, reader, resampler, size, writer, layout, options);
  CopyShortfall(outcome.shortfall, result.shortfall);
  // The source is closed before the new file takes its place: Windows
  // renames over no file that is open, and the source may be that file.
  reader.Close();
  source.Close();
  cause = WhyNotFinished(outcome, options);
  if (cause) return giveUp(cause);
  if (!destination.Commit(options.sync != 0, cause)) {
    result.partial_left = destination.LeftPartial();
    return Failed(result, cause);
  }
  result.code = BMPRESIZE_OK;
  return result;
}
