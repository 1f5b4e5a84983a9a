// SPDX-License-Identifier: MIT
#include "pipeline/resize.h"

#include <optional>

#include "bmpfile/bmp_reader.h"
#include "bmpfile/depth_encoder.h"
#include "image/depth.h"
#include "files/quiet_broken_pipes.h"
#include "image/shared_lookups.h"
#include "pipeline/band_run.h"
#include "pipeline/cancel_flag.h"
#include "pipeline/resampled_rows.h"
#include "pipeline/resize_plan.h"
#include "pipeline/stored_rows.h"
#include "resample/chosen_filter.h"

namespace bmpresize {

namespace {

// What the result tells of the plan, once the destination's size is known.
void Describe(const ResizePlan& plan, const BmpReader& reader, bmpresize_result& result) {
  if (plan.fileSize == 0) return;
  result.width = plan.destination.width;
  result.height = plan.destination.height;
  result.size = static_cast<std::int64_t>(plan.fileSize);
  if (reader.Layout().noColourTable) result.notes |= BMPRESIZE_NOTE_NO_COLOUR_TABLE;
}

// The rows out: at offsets where the plan hands stored rows through or runs
// bands and the destination takes bytes so, else in order.
RowsOut& ChooseRowsOut(const ResizePlan& plan, DestinationEnd& destination, std::optional<OffsetRowsOut>& atOffsets,
                       std::optional<OrderedRowsOut>& inOrder) {
  OffsetSink* sink = plan.copies || plan.bands > 0 ? destination.StartOffsets() : nullptr;
  if (sink != nullptr) return atOffsets.emplace(*sink, plan.pixels);
  return inOrder.emplace(destination.Bytes(), plan.pixels);
}

// The filter's shared tables and the encoder of the destination's depth,
// read by every band, and the first band's resampler: had only where rows
// are resampled, since stored rows handed through need none (and the plan's
// memory counts them only then).
struct Resampling {
  std::optional<ChosenFilter> filter;
  std::unique_ptr<Resampler> first;
  std::optional<DepthEncoder> encoder;

  // NO_MEMORY where the shared tables, the resampler or the lookup could not
  // be had: each is an allocation and nothing else.
  Status Prepare(const ResizePlan& plan) {
    if (plan.copies) return {};
    filter.emplace(plan.size, plan.filter, plan.colour);
    if (filter->Ready()) first = filter->MakeResampler();
    if (first == nullptr) return Because(BMPRESIZE_CAUSE_NO_MEMORY);
    if (!plan.encodes) return {};
    const std::int32_t depth = plan.destination.depth;
    // Greys are worked out from each pixel on the spot, with no lookup.
    const bool looksUp = IsPalettedDepth(depth) && !plan.grey;
    const NearestColour* nearest = looksUp ? SharedLookup(depth) : nullptr;
    if (looksUp && nearest == nullptr) return Because(BMPRESIZE_CAUSE_NO_MEMORY);
    encoder.emplace(depth, plan.size.channels, nearest, plan.grey);
    return {};
  }
  const DepthEncoder* Encoder() const { return encoder ? &*encoder : nullptr; }
};

// The stream: the plan's row sources, run in bands into the rows out.
StreamOutcome Stream(const ResizePlan& plan, SourceEnd& source, BmpReader& reader, Resampling& resampling, RowsOut& out,
                     const RunRules& run) {
  if (plan.copies) {
    StoredRows stored(source.Bytes(), reader, plan.pixels, plan.destination.depth / 8);
    const Status prepared = stored.Prepare();
    if (!prepared.Ok()) return StreamOutcome{false, {}, {}, prepared.Why()};
    RowsIn* rows[] = {&stored};
    return RunBands(rows, 1, out, run);
  }
  ResampledBands bands;
  const unsigned wanted = out.AtOffsets() ? plan.bands : 1;
  const unsigned count =
      bands.Open(wanted, source, reader, *resampling.first, *resampling.filter, plan.region, resampling.Encoder());
  RowsIn* rows[kMostBands];
  for (unsigned b = 0; b < count; ++b) rows[b] = bands.Band(b);
  return RunBands(rows, count, out, run);
}

// From an open destination on: the headers, the rows, the source closed, and
// the destination made whole or given up.
bmpresize_result WriteAndFinish(const ResizePlan& plan, SourceEnd& source, DestinationEnd& destination,
                                BmpReader& reader, Resampling& resampling, const ResizeRequest& request,
                                bmpresize_result result) {
  Status status = WriteFileHead(destination.Bytes(), plan.headers, plan.table);
  StreamOutcome outcome;
  if (status.Ok()) {
    std::optional<OffsetRowsOut> atOffsets;
    std::optional<OrderedRowsOut> inOrder;
    RowsOut& out = ChooseRowsOut(plan, destination, atOffsets, inOrder);
    outcome = Stream(plan, source, reader, resampling, out, request.run);
    CopyShortfall(outcome.shortfall, result.shortfall);
    status = WhyNotFinished(outcome, request.run);
  }
  // The source is closed before the new file takes its place: Windows
  // renames over no file that is open, and the source may be that file.
  reader.Close();
  source.Close();
  if (status.Ok()) status = destination.Commit(request.sync);
  if (!status.Ok()) {
    destination.Abandon();
    result.partial_left = destination.LeftPartial();
    return Failed(result, status.Why());
  }
  result.code = BMPRESIZE_OK;
  return result;
}

}  // namespace

bmpresize_result Measure(SourceEnd& source, const ResizeRequest& request) {
  bmpresize_result result{};
  BmpReader reader;
  ResizePlan plan;
  const Status planned = PlanResize(source, reader, request, plan);
  Describe(plan, reader, result);
  source.Close();
  if (!planned.Ok()) return Failed(result, planned.Why());
  result.code = BMPRESIZE_OK;
  return result;
}

bmpresize_result Resize(SourceEnd& source, DestinationEnd& destination, const ResizeRequest& request) {
  const QuietBrokenPipes quiet;
  bmpresize_result result{};
  BmpReader reader;
  ResizePlan plan;
  Status status = PlanResize(source, reader, request, plan);
  Describe(plan, reader, result);
  if (status.Ok()) status = destination.Accepts(plan.fileSize);
  if (!status.Ok()) return Failed(result, status.Why());
  Resampling resampling;
  status = resampling.Prepare(plan);
  if (!status.Ok()) return Failed(result, status.Why());
  if (Cancelled(request.run)) return Failed(result, Because(BMPRESIZE_CAUSE_CANCELLED));
  status = destination.Open(source, plan.fileSize);
  if (!status.Ok()) return Failed(result, status.Why());
  return WriteAndFinish(plan, source, destination, reader, resampling, request, result);
}

}  // namespace bmpresize
