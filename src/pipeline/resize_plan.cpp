// SPDX-License-Identifier: MIT
#include "pipeline/resize_plan.h"

#include <algorithm>
#include <limits>

#include "bmpfile/depth_encoder.h"
#include "image/colour_tables.h"
#include "image/depth.h"
#include "image/shared_lookups.h"
#include "pipeline/resampled_rows.h"
#include "pipeline/resize_memory.h"
#include "pipeline/resized_size.h"
#include "pipeline/stored_rows.h"
#include "pipeline/worker_thread.h"

namespace bmpresize {

namespace {

// The bands the request allows (0: one per core), or 0 where the rows must be
// read in order: rows at known offsets, each decoded on its own, that a
// second reader can start anywhere. Run-length rows are not. 16-bit files
// stay on one thread too, though a band's reader finds the pixel that their
// missing pixels repeat where the data ends, as the first does (the bands'
// tests hold such files to the bytes of one thread either way).
unsigned BandsWanted(const ResizeRequest& request, const BmpReader& reader, std::int32_t height) {
  const FileLayout& layout = reader.Layout();
  const bool wholeRows = layout.storage == RowStorage::kBottomUp || layout.storage == RowStorage::kTopDown;
  if (!wholeRows || layout.depth == 16 || reader.DataStart() < 0) return 0;
  const unsigned threads = request.threads > 0 ? request.threads : CoreCount();
  return static_cast<unsigned>(std::min<std::int64_t>({threads, kMostBands, height}));
}

Status ReadHeaders(SourceEnd& source, BmpReader& reader) {
  const Status opened = source.Open();
  if (!opened.Ok()) return opened;
  return reader.ReadHeaders(source.Bytes());
}

// The resize fits within the memory limit on one thread, with the data its
// reader holds where the headers and the source tell how much, or not: then
// MEMORY_LIMIT, with all it needs. The reader's rows start within what is
// left, and the bands are as many as fit besides.
Status FitMemory(BmpReader& reader, const ResizeRequest& request, ResizePlan& plan) {
  const ResizeMemory memory = MemoryFor(reader, plan);
  const std::uint64_t limit = request.run.memoryLimit;
  const unsigned wanted = BandsWanted(request, reader, plan.destination.height);
  const std::uint64_t needed = memory.For(wanted > 0 ? 1 : 0);
  const Status within = WithinLimit(Plus(needed, reader.HeldAtOnce()), limit);
  if (!within.Ok()) return reader.HoldsAsItComes() ? AtLeast(within.Why()) : within;
  const Status started = reader.StartRows(MemoryBudget{limit, needed});
  if (!started.Ok()) return started;
  const std::uint64_t held = reader.HeldBytes();
  plan.bands = wanted == 0 ? 0 : BandsWithin(memory, wanted, limit > held ? limit - held : 0);
  return {};
}

// The depth written: the one asked for, else 8 bits for greys, else 24, or
// 32 for a 32-bit source.
std::int32_t DestinationDepth(const FileLayout& source, const ResizeRequest& request) {
  if (request.depth != 0) return request.depth;
  if (request.grey) return 8;
  return source.depth == 32 ? 32 : 24;
}

// Rows are resized with alpha only where a 32-bit source is written at 32
// bits; every other depth takes blue, green and red.
int ResampledChannels(std::int32_t sourceDepth, std::int32_t depth) { return sourceDepth == 32 && depth == 32 ? 4 : 3; }

// The colour table, and the bytes of its nearest-entry lookup where rows are
// encoded into it (counted even where an earlier resize made it). Greys
// need none.
void PlanTable(const ResizeRequest& request, ResizePlan& plan) {
  const std::int32_t depth = plan.destination.depth;
  if (!IsPalettedDepth(depth)) return;
  plan.grey = request.grey;
  plan.table = TableFor(depth, plan.grey);
  if (plan.encodes && !plan.grey) plan.lookupBytes = SharedLookupBytes(depth);
}

void PlanRows(BmpReader& reader, ResizePlan& plan) {
  const BmpLayout& layout = plan.destination;
  plan.pixels.dataOffset = plan.headers.file.bfOffBits;
  plan.pixels.stride = static_cast<std::size_t>(RowStride(layout.width, layout.depth));
  plan.pixels.rowBytes = static_cast<std::size_t>(RowDataSize(layout.width, layout.depth));
  plan.pixels.height = layout.height;
  plan.size = {plan.region.width, plan.region.height, layout.width, layout.height,
               ResampledChannels(reader.Layout().depth, layout.depth)};
  // A part of the picture is read a part of each row at a time, through the
  // resampler: stored rows are handed through whole or not at all.
  plan.copies = plan.region.IsWhole() && CopiesPixels(reader, layout);
  if (!plan.region.IsWhole()) reader.SetColumns(plan.region.x, plan.region.width);
  plan.encodes = !plan.copies && NeedsEncoding(layout.depth, plan.size.channels);
}

// The resolution asked for, or the source's where it is kept. 0 (a source or
// a request without one) is written as 3780.
Resolution WrittenResolution(const FileLayout& source, const ResizeRequest& request) {
  if (request.keepResolution) return source.FileResolution();
  return request.resolution;
}

// A source that declares alpha has its colour weighted by it, except by the
// point sampler, and is written with an alpha mask at 32 bits.
ColourMode ColourFor(const FileLayout& source, const ResizeRequest& request) {
  ColourMode mode;
  mode.premultiplied = source.HasAlpha() && request.filter != BMPRESIZE_FILTER_POINT;
  mode.linear = request.linear;
  return mode;
}

}  // namespace

Status PlanSize(const FileLayout& source, const SourceRegion& region, const ResizeRequest& request, ResizePlan& plan) {
  PictureSize size;
  const Status sized = ResizedSize(region.width, region.height, request.size, size);
  if (!sized.Ok()) return sized;
  const std::int32_t width = size.width;
  const std::int32_t height = size.height;
  BmpLayout& layout = plan.destination;
  layout.width = width;
  layout.height = height;
  layout.depth = DestinationDepth(source, request);
  layout.resolution = WrittenResolution(source, request);
  layout.alpha = layout.depth == 32 && ColourFor(source, request).premultiplied;
  plan.headers = HeadersFor(layout);
  if (!plan.headers.fits) return Because(BMPRESIZE_CAUSE_FILE_TOO_LARGE, width, height);
  if (width > kMaxDestinationRowPixels) return Because(BMPRESIZE_CAUSE_ROW_TOO_WIDE, width, kMaxDestinationRowPixels);
  plan.fileSize = plan.headers.file.bfSize;
  return {};
}

Status PlanResize(SourceEnd& source, BmpReader& reader, const ResizeRequest& request, ResizePlan& plan) {
  plan.filter = request.filter;
  Status status = ReadHeaders(source, reader);
  if (status.Ok()) status = RegionFor(request.region, reader.Width(), reader.Height(), plan.region);
  if (status.Ok()) status = PlanSize(reader.Layout(), plan.region, request, plan);
  if (!status.Ok()) return status;
  plan.colour = ColourFor(reader.Layout(), request);
  PlanRows(reader, plan);
  PlanTable(request, plan);
  return FitMemory(reader, request, plan);
}

}  // namespace bmpresize
