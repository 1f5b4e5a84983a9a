// SPDX-License-Identifier: MIT
// The area filter's weights along one axis, exact in integers. Along an axis
// of S source pixels made into D destination pixels, measured in units of
// 1 / (S x D) of the picture's side, source pixel i spans [i x D, (i + 1) x D)
// and destination pixel x spans [x x S, (x + 1) x S). A destination pixel is
// the average of the source pixels it overlaps, each weighed by the length of
// the overlap: the weights of one destination pixel add up to S.
//
// The pixels a destination pixel covers are a run: a first one, partly
// covered, a middle of whole ones (weight D each) and a last one, partly
// covered. The same spans read from either end of the axis give the same
// weights, so it does not matter whether rows are counted from the top or
// the bottom of the picture.
//
//   AreaSpanFor(S, x, D)   the run of destination pixel x
//   AreaColumns            the runs of every destination column, shared by
//                          every band of a resize
#pragma once

#include <cstdint>
#include <memory>

namespace bmpresize {

struct AreaSpan {
  std::int32_t first;         // the first source pixel covered
  std::int32_t count;         // source pixels covered, the first and last among them
  std::uint32_t firstWeight;  // the first's overlap: S when it is the only one
  std::uint32_t lastWeight;   // the last's overlap when count > 1
};

AreaSpan AreaSpanFor(std::int32_t sourceSize, std::int32_t position, std::int32_t destinationSize);

// The overlap of source pixel i with destination pixel x: 0 where they miss.
std::uint64_t AreaOverlap(std::int64_t sourceSize, std::int64_t i, std::int64_t destinationSize, std::int64_t x);

class AreaColumns {
 public:
  // Takes its block; Ready() says whether it was had.
  AreaColumns(std::int32_t sourceWidth, std::int32_t width);
  bool Ready() const { return spans_ != nullptr; }
  const AreaSpan* Data() const { return spans_.get(); }

  // The bytes of the spans of width columns.
  static std::uint64_t BytesFor(std::int32_t width) { return sizeof(AreaSpan) * static_cast<std::uint64_t>(width); }

 private:
  std::unique_ptr<AreaSpan[]> spans_;
};

}  // namespace bmpresize
