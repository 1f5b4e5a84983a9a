// SPDX-License-Identifier: MIT
// The plan of a resize, made once from the source's headers before any pixel
// is read, and passed on as it is: the destination's size and depth, its
// headers and where its rows lie, whether the stored rows are handed through
// or resized, and the bands within the memory limit. Every size that cannot
// be written is refused here, before a destination exists.
#pragma once

#include <cstdint>

#include "bmpfile/bmp_reader.h"
#include "bmpfile/bmp_writer.h"
#include "bmpfile/file_layout.h"
#include "bmpresize.h"
#include "pipeline/resize_request.h"
#include "pipeline/rows_out.h"
#include "pipeline/source_end.h"
#include "pipeline/source_region.h"
#include "resample/light.h"
#include "resample/row_resampler.h"
#include "result/status.h"

namespace bmpresize {

// The widest row the resize writes, in pixels. Rows are held a few at a
// time, up to 4 bytes a pixel, so this bounds what one row can make the
// resize allocate.
inline constexpr std::int64_t kMaxDestinationRowPixels = std::int64_t{1} << 24;

struct ResizePlan {
  BmpLayout destination;                // the depth asked for; by default 24 bits, or 32 for a 32-bit source
  BmpHeaders headers;                   // the destination's, written as they are
  std::uint64_t fileSize = 0;           // bytes of the destination file; 0 before its size is known
  PixelArray pixels;                    // where the destination's rows lie
  SourceRegion region;                  // the part of the source resized
  ResampleSize size{};                  // from the region's size
  int filter = BMPRESIZE_FILTER_POINT;  // the request's
  ColourMode colour;                    // how the filter takes colour: weighted by alpha, as light
  bool copies = false;                  // the stored rows handed through (StoredRows)
  // The resized rows turned into the destination's depth (DepthEncoder):
  // where they are not its bytes as they are.
  bool encodes = false;
  Palette table{};                // the colour table at 1, 4 and 8 bits
  bool grey = false;              // table is the grey one (each pixel its luminance's entry), else the standard one
  std::uint64_t lookupBytes = 0;  // the nearest-entry lookup's of the standard table, where rows are encoded into it
  unsigned bands = 0;             // bands at offsets the request and the memory allow; 0: rows in order
};

// The sizes of region of source (ResizedSize), the depth and the resolution
// the request asks for: SIDE_TOO_LARGE or FILE_TOO_LARGE beyond 32 bits,
// FILE_TOO_LARGE beyond 4 GiB, ROW_TOO_WIDE beyond the widest row.
Status PlanSize(const FileLayout& source, const SourceRegion& region, const ResizeRequest& request, ResizePlan& plan);

// The whole plan of a checked request: the source opened and its headers
// read (their causes), the region inside the picture (REGION), the
// sizes, the memory (MEMORY_LIMIT where the resize does not fit on one
// thread) and the reader's rows started within it.
Status PlanResize(SourceEnd& source, BmpReader& reader, const ResizeRequest& request, ResizePlan& plan);

}  // namespace bmpresize
