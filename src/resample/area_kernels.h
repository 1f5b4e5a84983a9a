// SPDX-License-Identifier: MIT
// The passes of the area filter, on whole rows:
//
//   averageColumns   one source row of pixels (blue, green, red, alpha) into
//                    one row of destination columns, each the average of the
//                    run of source pixels its span covers; the first
//                    `channels` bytes of each pixel are kept, packed
//   addRow           sums[i] += row[i] x weight, for count bytes: a source
//                    row's share in the destination row being built
//   finishRow        out[i] = the average of sums[i]; the sums start again at 0
//   addRowNarrow,    the same on sums of 32 bits, for source heights whose
//   finishRowNarrow  divider is Narrow() (every sum below 2^32)
//   averagePacked-   averageColumns on a row as a file stores 3-byte pixels
//   Columns          (blue, green, red; alpha taken as 0), saving the step
//                    that spreads them to 4 bytes; null in versions without
//                    it, for rows up to kWidestPackedRow pixels, and taken
//                    where PackedRowsPay
//
// Every result is exact integer arithmetic, so every version gives the same
// bytes; the instruction-set versions are tested against the scalar one. A
// kernel may write up to kRowBlendSlack bytes past the end of its output.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/pixel_bgra.h"
#include "resample/area_divider.h"
#include "resample/area_weights.h"

namespace bmpresize {

struct AreaKernels {
  const char* name;
  // middleWeight: the weight of a wholly covered source pixel (the
  // destination's side); divider: of the source's side.
  void (*averageColumns)(const PixelBGRA* source, const AreaSpan* spans, std::int32_t count, int channels,
                         std::uint32_t middleWeight, const AreaDivider& divider, std::uint8_t* out);
  void (*addRow)(const std::uint8_t* row, std::uint32_t weight, std::size_t count, std::uint64_t* sums);
  void (*finishRow)(std::uint64_t* sums, std::size_t count, const AreaDivider& divider, std::uint8_t* out);
  void (*addRowNarrow)(const std::uint8_t* row, std::uint32_t weight, std::size_t count, std::uint32_t* sums);
  void (*finishRowNarrow)(std::uint32_t* sums, std::size_t count, const AreaDivider& divider, std::uint8_t* out);
  void (*averagePackedColumns)(const std::uint8_t* row, const AreaSpan* spans, std::int32_t count, int channels,
                               std::uint32_t middleWeight, const AreaDivider& divider, std::uint8_t* out);
};

inline constexpr std::int32_t kWidestPackedRow = std::int32_t{1} << 22;

// Where averagePackedColumns beats spreading the row first (measured in
// instructions): a source a whole number of times as wide as the
// destination, 2 to 512, every column that many whole pixels of one weight.
// Runs of uneven lengths are as quick or quicker spread.
inline bool PackedRowsPay(std::int32_t sourceWidth, std::int32_t width) {
  if (width <= 0 || sourceWidth > kWidestPackedRow) return false;
  const std::int32_t factor = sourceWidth / width;
  return factor * width == sourceWidth && factor >= 2 && factor <= 512;
}

// The plain C++ versions: the reference the others are tested against.
const AreaKernels& ScalarAreaKernels();
// The fastest versions this CPU runs.
const AreaKernels& BestAreaKernels();
// Every version built into this library that this CPU can run, scalar first.
std::size_t AvailableAreaKernels(const AreaKernels** out, std::size_t capacity);

}  // namespace bmpresize
