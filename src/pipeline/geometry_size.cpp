// SPDX-License-Identifier: MIT
#include "pipeline/geometry_size.h"

#include <algorithm>
#include <cmath>

namespace bmpresize {

namespace {

constexpr std::int32_t kKnownBits = BMPRESIZE_GEOMETRY_WIDTH | BMPRESIZE_GEOMETRY_HEIGHT | BMPRESIZE_GEOMETRY_PERCENT |
                                    BMPRESIZE_GEOMETRY_AREA | BMPRESIZE_GEOMETRY_EXACT |
                                    BMPRESIZE_GEOMETRY_ONLY_SHRINK | BMPRESIZE_GEOMETRY_ONLY_ENLARGE |
                                    BMPRESIZE_GEOMETRY_FILL;
constexpr std::int32_t kSides = BMPRESIZE_GEOMETRY_WIDTH | BMPRESIZE_GEOMETRY_HEIGHT;
constexpr std::int32_t kOnly = BMPRESIZE_GEOMETRY_ONLY_SHRINK | BMPRESIZE_GEOMETRY_ONLY_ENLARGE;
constexpr std::int32_t kShape = BMPRESIZE_GEOMETRY_EXACT | BMPRESIZE_GEOMETRY_FILL;

bool Has(std::int32_t bits, std::int32_t bit) { return (bits & bit) != 0; }

// Which bits go together: a percent alone (with its width, and its height
// when it has two); an area with > or <; a box with one of ! and ^ and one
// of > and <.
bool BitsGoTogether(std::int32_t bits) {
  if ((bits & ~kKnownBits) != 0 || (bits & kOnly) == kOnly || (bits & kShape) == kShape) return false;
  if (Has(bits, BMPRESIZE_GEOMETRY_PERCENT))
    return Has(bits, BMPRESIZE_GEOMETRY_WIDTH) && (bits & ~(kSides | BMPRESIZE_GEOMETRY_PERCENT)) == 0;
  if (Has(bits, BMPRESIZE_GEOMETRY_AREA)) return (bits & ~(kOnly | BMPRESIZE_GEOMETRY_AREA)) == 0;
  return (bits & kSides) != 0;
}

// floor(percent x side / 100 + 1/2) in integers; below 2^62 for 32-bit
// percents and sides.
std::int64_t PercentSide(std::int64_t percent, std::int64_t side) {
  return std::max<std::int64_t>(1, (2 * percent * side + 100) / 200);
}

std::int64_t Rounded(double scale, std::int64_t side) {
  return std::max<std::int64_t>(1, static_cast<std::int64_t>(std::floor(scale * static_cast<double>(side) + 0.5)));
}

// The scale that keeps the aspect: the given side's, or with both the one
// that fits (or with ^ fills) the box; a single side with ^ fills a square.
double AspectScale(GeometrySides source, GeometrySides box, std::int32_t bits) {
  const bool fill = Has(bits, BMPRESIZE_GEOMETRY_FILL);
  const double w = static_cast<double>(source.width);
  const double h = static_cast<double>(source.height);
  if (Has(bits, BMPRESIZE_GEOMETRY_WIDTH) && Has(bits, BMPRESIZE_GEOMETRY_HEIGHT)) {
    const double across = static_cast<double>(box.width) / w;
    const double down = static_cast<double>(box.height) / h;
    return fill ? std::max(across, down) : std::min(across, down);
  }
  const double given = static_cast<double>(Has(bits, BMPRESIZE_GEOMETRY_WIDTH) ? box.width : box.height);
  const double scale = given / (Has(bits, BMPRESIZE_GEOMETRY_WIDTH) ? w : h);
  return fill ? std::max(scale, given / (Has(bits, BMPRESIZE_GEOMETRY_WIDTH) ? h : w)) : scale;
}

GeometrySides BoxSize(GeometrySides source, const GeometryAsked& geometry) {
  const std::int32_t bits = geometry.bits;
  const GeometrySides box{Has(bits, BMPRESIZE_GEOMETRY_WIDTH) ? geometry.width : source.width,
                          Has(bits, BMPRESIZE_GEOMETRY_HEIGHT) ? geometry.height : source.height};
  if (Has(bits, BMPRESIZE_GEOMETRY_EXACT)) return box;
  const double scale = AspectScale(source, box, bits);
  return {Rounded(scale, source.width), Rounded(scale, source.height)};
}

// At most area pixels: the sides times sqrt(area / pixels), truncated. The
// area is nudged up by a millionth of a pixel, so that an exact fit is not
// lost to rounding.
GeometrySides AreaSize(GeometrySides source, std::int64_t area) {
  const double w = static_cast<double>(source.width);
  const double h = static_cast<double>(source.height);
  const double scale = 1.0 / (std::sqrt(w * h) / std::sqrt(static_cast<double>(area) + 1e-6));
  return {std::max<std::int64_t>(1, static_cast<std::int64_t>(w * scale)),
          std::max<std::int64_t>(1, static_cast<std::int64_t>(h * scale))};
}

}  // namespace

Status CheckGeometry(const GeometryAsked& geometry) {
  const std::int32_t bits = geometry.bits;
  if (!BitsGoTogether(bits)) return Because(BMPRESIZE_CAUSE_OPTION, bits);
  if (Has(bits, BMPRESIZE_GEOMETRY_WIDTH) && geometry.width < 1) return Because(BMPRESIZE_CAUSE_OPTION, geometry.width);
  if (Has(bits, BMPRESIZE_GEOMETRY_HEIGHT) && geometry.height < 1)
    return Because(BMPRESIZE_CAUSE_OPTION, geometry.height);
  if (Has(bits, BMPRESIZE_GEOMETRY_AREA) && geometry.area < 1) return Because(BMPRESIZE_CAUSE_OPTION, geometry.area);
  return {};
}

GeometrySides GeometrySize(std::int64_t width, std::int64_t height, const GeometryAsked& geometry) {
  const std::int32_t bits = geometry.bits;
  const GeometrySides source{width, height};
  if (Has(bits, BMPRESIZE_GEOMETRY_PERCENT)) {
    const std::int64_t down = Has(bits, BMPRESIZE_GEOMETRY_HEIGHT) ? geometry.height : geometry.width;
    return {PercentSide(geometry.width, width), PercentSide(down, height)};
  }
  GeometrySides size = Has(bits, BMPRESIZE_GEOMETRY_AREA) ? AreaSize(source, geometry.area) : BoxSize(source, geometry);
  if (Has(bits, BMPRESIZE_GEOMETRY_ONLY_SHRINK)) size = {std::min(size.width, width), std::min(size.height, height)};
  // ImageMagick takes < after an area and leaves the area as it is.
  if (Has(bits, BMPRESIZE_GEOMETRY_ONLY_ENLARGE) && !Has(bits, BMPRESIZE_GEOMETRY_AREA))
    size = {std::max(size.width, width), std::max(size.height, height)};
  return size;
}

}  // namespace bmpresize
