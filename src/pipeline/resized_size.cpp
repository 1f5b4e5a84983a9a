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

// The largest size of the source's aspect within box: the side that limits
// takes the box's length, the other keeps the aspect (a fit is thus the
// width or the height alone of the side that limits).
WideSize Fit(WideSize source, WideSize box) {
  if (box.width * source.height <= box.height * source.width)
    return {box.width, AspectSide(source.width, source.height, box.width)};
  return {AspectSide(source.height, source.width, box.height), box.height};
}

WideSize Asked(WideSize source, const SizeAsked& ask) {
  const WideSize asked{ask.width, ask.height};
  if (ask.fit) {
    if (!ask.noEnlarge) return Fit(source, asked);
    return Fit(source, {std::min(asked.width, source.width), std::min(asked.height, source.height)});
  }
  if (asked.height == 0) return {asked.width, AspectSide(source.width, source.height, asked.width)};
  if (asked.width == 0) return {AspectSide(source.height, source.width, asked.height), asked.height};
  return asked;
}

Status FromPercent(WideSize source, const SizeAsked& ask, PictureSize& size) {
  if (ask.noEnlarge && ask.percent >= 100) {
    size = {static_cast<std::int32_t>(source.width), static_cast<std::int32_t>(source.height)};
    return {};
  }
  if (!ScaledSize(ask.percent, static_cast<std::int32_t>(source.width), size.width) ||
      !ScaledSize(ask.percent, static_cast<std::int32_t>(source.height), size.height))
    return Because(BMPRESIZE_CAUSE_SIDE_TOO_LARGE, ask.percent);
  if (size.width < 1 || size.height < 1) size = {1, 1};
  return {};
}

}  // namespace

std::int64_t AspectSide(std::int64_t side, std::int64_t other, std::int64_t target) {
  // Below 2^31 each, 2 x other x target + side stays below 2^63.
  return std::max<std::int64_t>(1, (2 * other * target + side) / (2 * side));
}

Status ResizedSize(std::int32_t width, std::int32_t height, const SizeAsked& ask, PictureSize& size) {
  const WideSize source{width, height};
  WideSize wanted = source;
  if (ask.geometry.bits != 0) {
    const GeometrySides sides = GeometrySize(width, height, ask.geometry);
    wanted = {sides.width, sides.height};
  } else if (ask.width <= 0 && ask.height <= 0) {
    return FromPercent(source, ask, size);
  } else {
    wanted = Asked(source, ask);
  }
  if (ask.noEnlarge && (wanted.width > source.width || wanted.height > source.height)) wanted = source;
  constexpr std::int64_t kMost = std::numeric_limits<std::int32_t>::max();
  if (wanted.width > kMost || wanted.height > kMost)
    return Because(BMPRESIZE_CAUSE_FILE_TOO_LARGE, wanted.width, wanted.height);
  size = {static_cast<std::int32_t>(wanted.width), static_cast<std::int32_t>(wanted.height)};
  return {};
}

}  // namespace bmpresize
