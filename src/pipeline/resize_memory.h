// SPDX-License-Identifier: MIT
// The memory a resize takes, worked out from its plan before any of it is
// had, and the memory limit it must stay within (RunRules::memoryLimit).
//
// Every band of a resize reads the one set of column taps (or spans); each band adds
// its resampler's rows, its buffer of rows and a reader of its own. The limit
// decides how many bands a resize runs in, and refuses one that does not fit
// even on one (BMPRESIZE_CAUSE_MEMORY_LIMIT), before a destination exists.
#pragma once

#include <cstdint>

#include "bmpfile/bmp_reader.h"
#include "bmpfile/bmp_writer.h"
#include "bmpfile/file_layout.h"
#include "bmpresize.h"
#include "pipeline/resize_plan.h"

namespace bmpresize {

// Small blocks besides the rows: the streams' buffers, colour tables, the
// bands' records.
inline constexpr std::uint64_t kFixedResizeBytes = std::uint64_t{64} << 10;

struct ResizeMemory {
  std::uint64_t shared = 0;      // the column taps or spans, the writer's row, a copy's block, a colour lookup,
                                 // the fixed part
  std::uint64_t resampler = 0;   // a band's rows: the source row, the blended or summed rows, the row made
  std::uint64_t bandBuffer = 0;  // a band's rows held before they are written
  std::uint64_t reader = 0;      // a reader's row buffers

  // The bytes of a resize in bands bands, 0 meaning rows in order on one
  // thread; several bands read with a reader each besides the first one.
  std::uint64_t For(unsigned bands) const;
};

// The memory of the resize of reader's picture (headers read) by plan, its
// sizes and rows planned.
ResizeMemory MemoryFor(const BmpReader& reader, const ResizePlan& plan);

// a + b, or the most there is where that passes it.
std::uint64_t Plus(std::uint64_t a, std::uint64_t b);

// MEMORY_LIMIT, with the bytes needed and the limit, where needed passes
// limit; nothing otherwise.
Status WithinLimit(std::uint64_t needed, std::uint64_t limit);

// The most bands, up to wanted, that stay within limit; at least 1.
unsigned BandsWithin(const ResizeMemory& memory, unsigned wanted, std::uint64_t limit);

}  // namespace bmpresize
