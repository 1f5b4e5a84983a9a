// SPDX-License-Identifier: MIT
#include "reference/asked_size.h"

#include <algorithm>
#include <cmath>

#include "pipeline/scaled_size.h"

using namespace bmpresize;

namespace {

bool NoEnlarge(const Ask& ask) { return (ask.flags & BMPRESIZE_NO_ENLARGE) != 0; }

std::int32_t Nearest(long double v) { return static_cast<std::int32_t>(std::max(1.0L, std::floor(v + 0.5L))); }

bool PercentSize(const Ask& ask, std::int32_t w, std::int32_t h, std::int32_t& width, std::int32_t& height) {
  if (!ScaledSize(ask.percent, w, width) || !ScaledSize(ask.percent, h, height)) return false;
  if (width < 1 || height < 1) width = height = 1;
  return true;
}

}  // namespace

bool ReferenceSize(const Ask& ask, std::int32_t w, std::int32_t h, std::int32_t& width, std::int32_t& height) {
  if (ask.width == 0 && ask.height == 0) {
    if (NoEnlarge(ask) && ask.percent >= 100) {
      width = w;
      height = h;
      return true;
    }
    return PercentSize(ask, w, h, width, height);
  }
  width = ask.width;
  height = ask.height;
  if ((ask.flags & BMPRESIZE_FIT) != 0) {
    // With no enlarging, the box is first cut down to the source.
    if (NoEnlarge(ask)) {
      width = std::min(width, w);
      height = std::min(height, h);
    }
    (static_cast<long double>(width) / w <= static_cast<long double>(height) / h ? height : width) = 0;
  }
  if (height == 0) height = Nearest(static_cast<long double>(h) * width / w);
  if (width == 0) width = Nearest(static_cast<long double>(w) * height / h);
  if (NoEnlarge(ask) && (width > w || height > h)) {
    width = w;
    height = h;
  }
  return true;
}
