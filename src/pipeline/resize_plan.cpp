// SPDX-License-Identifier: MIT
#include "pipeline/resize_plan.h"

#include <algorithm>
#include <limits>

#include "bmpfile/depth_encoder.h"
#include "image/colour_tables.h"
#include "image/depth.h"
#include "image/shared_lookups.h"
#include "pipeline/checked_options.h"
#include "pipeline/resampled_rows.h"
#include "pipeline/resize_memory.h"
#include "pipeline/resized_size.h"
#include "pipeline/stored_rows.h"
#include "pipeline/worker_thread.h"

namespace bmpresize {

namespace {

// The bands the options allow (0: one per core), or 0 where the rows must be
// read in order: rows at known offsets, each decoded on its own, that a
// second reader can start anywhere. Run-length rows are not. 16-bit files
// stay on one thread too, though a band's reader finds the pixel that their
// missing pixels repeat where the data ends, as the first does (the bands'
// tests hold such files to the bytes of one thread either way).
unsigned BandsWanted(const bmpresize_options& options, const BmpReader& reader, std::int32_t height) {
  const FileLayout& layout = reader.Layout();
  const bool wholeRows = layout.storage == RowStorage::kBottomUp || layout.storage == RowStorage::kTopDown;
  if (!wholeRows || layout.depth == 16 || reader.DataStart() < 0) return 0;
  const unsigned threads = options.threads > 0 ? static_cast<unsigned>(options.threads) : CoreCount();
  return static_cast<unsigned>(std::min<std::int64_t>({threads, kMostBands, height}));
}

Status ReadHeaders(SourceEnd& source, BmpReader& reader) {
  const Status opened = source.Open();
  if (!opened.Ok()) return opened;
  if (reader.ReadHeaders(source.Bytes())) return {};
  return reader.Failure();
}

// The resize fits within the memory limit on one thread, with the data its
// reader holds where the headers and the source tell how much, or not: then
// MEMORY_LIMIT, with all it needs. The reader's rows start within what is
// left, and the bands are as many as fit besides.
Status FitMemory(BmpReader& reader, const bmpresize_options& options, ResizePlan& plan) {
  const ResizeMemory memory = MemoryFor(reader, plan);
  const std::uint64_t limit = MemoryLimit(options);
  const unsigned wanted = BandsWanted(options, reader, plan.destination.height);
  const std::uint64_t needed = memory.For(wanted > 0 ? 1 : 0);
  const Status within = WithinLimit(Plus(needed, reader.HeldAtOnce()), limit);
  if (!within.Ok()) return reader.HoldsAsItComes() ? AtLeast(within.Why()) : within;
  if (!reader.StartRows(MemoryBudget{limit, needed})) return reader.Failure();
  const std::uint64_t held = reader.HeldBytes();
  plan.bands = wanted == 0 ? 0 : BandsWithin(memory, wanted, limit > held ? limit - held : 0);
  return {};
}

// The depth written: the options', else 8 bits for greys, else 24, or 32
// for a 32-bit source.
std::int32_t DestinationDepth(const FileLayout& source, const bmpresize_options& options) {
  if (options.depth != 0) return options.depth;
  if ((options.flags & BMPRESIZE_GREY) != 0) return 8;
  return source.depth == 32 ? 32 : 24;
}

// Rows are resized with alpha only where a 32-bit source is written at 32
// bits; every other depth takes blue, green and red.
int ResampledChannels(std::int32_t sourceDepth, std::int32_t depth) { return sourceDepth == 32 && depth == 32 ? 4 : 3; }

// The colour table, and the bytes of its nearest-entry lookup where rows are
// encoded into it (counted even where an earlier resize made it).
void PlanTable(const bmpresize_options& options, ResizePlan& plan) {
  const std::int32_t depth = plan.destination.depth;
  if (!IsPalettedDepth(depth)) return;
  plan.grey = (options.flags & BMPRESIZE_GREY) != 0;
  if (plan.grey) {
    FillGreyTable(depth, plan.table);
  } else {
    FillStandardTable(depth, plan.table);
  }
  if (plan.encodes) plan.lookupBytes = SharedLookupBytes(depth, plan.grey);
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

// The resolution the options ask for, or the source's with
// KEEP_RESOLUTION. 0 (a source or an option without one) is written as 3780.
Resolution WrittenResolution(const FileLayout& source, const bmpresize_options& options) {
  if ((options.flags & BMPRESIZE_KEEP_RESOLUTION) != 0) return source.FileResolution();
  return {options.x_ppm, options.y_ppm};
}

}  // namespace

Status PlanSize(const FileLayout& source, const SourceRegion& region, const bmpresize_options& options,
                ResizePlan& plan) {
  PictureSize size;
  const Status sized = ResizedSize(region.width, region.height, options, size);
  if (!sized.Ok()) return sized;
  const std::int32_t width = size.width;
  const std::int32_t height = size.height;
  BmpLayout& layout = plan.destination;
  layout.width = width;
  layout.height = height;
  layout.depth = DestinationDepth(source, options);
  layout.resolution = WrittenResolution(source, options);
  plan.headers = HeadersFor(layout);
  if (!plan.headers.fits) return Because(BMPRESIZE_CAUSE_FILE_TOO_LARGE, width, height);
  if (width > kMaxDestinationRowPixels) return Because(BMPRESIZE_CAUSE_ROW_TOO_WIDE, width, kMaxDestinationRowPixels);
  plan.fileSize = plan.headers.file.bfSize;
  return {};
}

Status PlanResize(SourceEnd& source, BmpReader& reader, const bmpresize_options& options, ResizePlan& plan) {
  Status status = CheckOptions(options);
  plan.filter = options.filter;
  if (status.Ok()) status = ReadHeaders(source, reader);
  if (status.Ok()) status = RegionFor(options, reader.Width(), reader.Height(), plan.region);
  if (status.Ok()) status = PlanSize(reader.Layout(), plan.region, options, plan);
  if (!status.Ok()) return status;
  PlanRows(reader, plan);
  PlanTable(options, plan);
  return FitMemory(reader, options, plan);
}

}  // namespace bmpresize
