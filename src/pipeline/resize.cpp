// SPDX-License-Identifier: MIT
#include "pipeline/resize.h"

#include "bmpfile/bmp_reader.h"
#include "bmpfile/bmp_writer.h"
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
Cause WhyNotFinished(const BmpReader& reader, const BmpWriter& writer, bool streamed,
                     const bmpresize_options& options) {
  const DataShortfall& shortfall = reader.Shortfall();
  if (Cancelled(options)) return Because(BMPRESIZE_CAUSE_CANCELLED);
  if (reader.Failed()) return reader.Failure();
  if (options.strict && shortfall.cutShort)
    return Because(BMPRESIZE_CAUSE_CUT_SHORT, shortfall.rowsRead, shortfall.height);
  if (!streamed || !writer.Finish()) {
    const Cause& failure = writer.Failure();
    return failure ? failure : Because(BMPRESIZE_CAUSE_WRITE_FAILED);
  }
  return Cause();
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
  RowResampler resampler({reader.Width(), reader.Height(), layout.width, layout.height, layout.depth / 8});
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
  const bool streamed = StreamRows(reader, resampler, writer, options);
  CopyShortfall(reader.Shortfall(), result.shortfall);
  // The source is closed before the new file takes its place: Windows
  // renames over no file that is open, and the source may be that file.
  reader.Close();
  source.Close();
  cause = WhyNotFinished(reader, writer, streamed, options);
  if (cause) return giveUp(cause);
  if (!destination.Commit(options.sync != 0, cause)) {
    result.partial_left = destination.LeftPartial();
    return Failed(result, cause);
  }
  result.code = BMPRESIZE_OK;
  return result;
}
