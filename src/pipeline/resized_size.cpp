// SPDX-License-Identifier: MIT
#include "pipeline/resized_size.h"

#include <algorithm>
#include <limits>

#include "pipeline/geometry_size.h"
#include "pipeline/scaled_size.h"

namespace bmpresize {

namespace {

struct WideSize {
  std::int64_t width;
  std::int64_t height;
};

bool NoEnlarge(const bmpresize_options& options) { return (options.flags & BMPRESIZE_NO_ENLARGE) != 0; }

// The largest size of the source's aspect within box: the side that limits
// takes the box's length, the other keeps the aspect (a fit is thus the
// width or the height alone of the side that limits).
WideSize Fit(WideSize source, WideSize box) {
  if (box.width * source.height <= box.height * source.width)
    return {box.width, AspectSide(source.width, source.height, box.width)};
  return {AspectSide(source.height, source.width, box.height), box.height};
}

WideSize Asked(WideSize source, const bmpresize_options& options) {
  const WideSize asked{options.width, options.height};
  if ((options.flags & BMPRESIZE_FIT) != 0) {
    if (!NoEnlarge(options)) return Fit(source, asked);
    return Fit(source, {std::min(asked.width, source.width), std::min(asked.height, source.height)});
  }
  if (asked.height == 0) return {asked.width, AspectSide(source.width, source.height, asked.width)};
  if (asked.width == 0) return {AspectSide(source.height, source.width, asked.height), asked.height};
  return asked;
}

Status FromPercent(WideSize source, const bmpresize_options& options, PictureSize& size) {
  if (NoEnlarge(options) && options.percent >= 100) {
    size = {static_cast<std::int32_t>(source.width), static_cast<std::int32_t>(source.height)};
    return {};
  }
  if (!ScaledSize(options.percent, static_cast<std::int32_t>(source.width), size.width) ||
      !ScaledSize(options.percent, static_cast<std::int32_t>(source.height), size.height))
    return Because(BMPRESIZE_CAUSE_SIDE_TOO_LARGE, options.percent);
  if (size.width < 1 || size.height < 1) size = {1, 1};
  return {};
}

}  // namespace

std::int64_t AspectSide(std::int64_t side, std::int64_t other, std::int64_t target) {
  // Below 2^31 each, 2 x other x target + side stays below 2^63.
  return std::max<std::int64_t>(1, (2 * other * target + side) / (2 * side));
}

Status ResizedSize(std::int32_t width, std::int32_t height, const bmpresize_options& options, PictureSize& size) {
  const WideSize source{width, height};
  WideSize wanted = source;
  if (options.geometry != 0) {
    const GeometrySides sides = GeometrySize(width, height, options);
    wanted = {sides.width, sides.height};
  } else if (options.width <= 0 && options.height <= 0) {
    return FromPercent(source, options, size);
  } else {
    wanted = Asked(source, options);
  }
  if (NoEnlarge(options) && (wanted.width > source.width || wanted.height > source.height)) wanted = source;
  constexpr std::int64_t kMost = std::numeric_limits<std::int32_t>::max();
  if (wanted.width > kMost || wanted.height > kMost)
    return Because(BMPRESIZE_CAUSE_FILE_TOO_LARGE, wanted.width, wanted.height);
  size = {static_cast<std::int32_t>(wanted.width), static_cast<std::int32_t>(wanted.height)};
  return {};
}

}  // namespace bmpresize
