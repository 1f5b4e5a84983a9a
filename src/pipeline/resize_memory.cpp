// SPDX-License-Identifier: MIT
#include "pipeline/resize_memory.h"

#include <algorithm>
#include <limits>

#include "bmpfile/bmp_headers.h"
#include "pipeline/band.h"
#include "pipeline/stored_rows.h"
#include "resample/chosen_filter.h"

namespace bmpresize {

std::uint64_t ResizeMemory::For(unsigned bands) const {
  if (bands <= 1) return shared + resampler + reader + (bands == 1 ? bandBuffer : 0);
  return shared + bands * (resampler + bandBuffer + reader) + reader;
}

ResizeMemory MemoryFor(const BmpReader& reader, const ResizePlan& plan) {
  const BmpLayout& destination = plan.destination;
  const std::uint64_t stride = RowStride(destination.width, destination.depth);
  ResizeMemory memory;
  memory.shared = stride + kFixedResizeBytes;
  // Stored rows handed through take a block of their own, and neither the
  // column taps nor a resampler.
  if (plan.copies) {
    memory.shared += CopyBlockBytes(destination);
  } else {
    memory.shared += ChosenFilter::SharedBytes(plan.size, plan.filter, plan.colour);
    memory.resampler = ChosenFilter::ResamplerBytes(plan.size, plan.filter, plan.colour);
    memory.shared += plan.lookupBytes;
  }
  memory.bandBuffer = BandBufferBytes(destination.height, static_cast<std::size_t>(stride));
  memory.reader = BmpReader::BuffersFor(reader.Layout(), plan.region.IsWhole() ? -1 : plan.region.width);
  return memory;
}

std::uint64_t Plus(std::uint64_t a, std::uint64_t b) {
  return b > std::numeric_limits<std::uint64_t>::max() - a ? std::numeric_limits<std::uint64_t>::max() : a + b;
}

Status WithinLimit(std::uint64_t needed, std::uint64_t limit) {
  if (needed <= limit) return {};
  const auto count = [](std::uint64_t bytes) {
    return static_cast<std::int64_t>(std::min<std::uint64_t>(bytes, std::numeric_limits<std::int64_t>::max()));
  };
  return Because(BMPRESIZE_CAUSE_MEMORY_LIMIT, count(needed), count(limit));
}

unsigned BandsWithin(const ResizeMemory& memory, unsigned wanted, std::uint64_t limit) {
  unsigned bands = 1;
  while (bands < wanted && memory.For(bands + 1) <= limit) ++bands;
  return bands;
}

}  // namespace bmpresize
