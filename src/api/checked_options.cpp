// SPDX-License-Identifier: MIT
#include "api/checked_options.h"

#include <initializer_list>

#include "image/depth.h"
#include "pipeline/geometry_size.h"

namespace bmpresize {

namespace {

Status Refuse(std::int64_t value) { return Because(BMPRESIZE_CAUSE_OPTION, value); }

// A region's corner and size are never negative, and its width and height
// are both 0 (the whole picture) or both above 0.
Status CheckRegion(const bmpresize_options& options) {
  for (const std::int32_t value : {options.region_x, options.region_y, options.region_width, options.region_height}) {
    if (value < 0) return Because(BMPRESIZE_CAUSE_OPTION, value);
  }
  if ((options.region_width == 0) != (options.region_height == 0)) return Because(BMPRESIZE_CAUSE_OPTION, 0);
  return {};
}

Status CheckFilter(const bmpresize_options& options) {
  if (options.filter < BMPRESIZE_FILTER_POINT || options.filter > BMPRESIZE_FILTER_LANCZOS3)
    return Because(BMPRESIZE_CAUSE_OPTION, options.filter);
  // Light is averaged by the filters that average; the point sampler blends bytes.
  if ((options.flags & BMPRESIZE_LINEAR) != 0 && options.filter == BMPRESIZE_FILTER_POINT)
    return Because(BMPRESIZE_CAUSE_OPTION, options.flags);
  return {};
}

// The depth written: 0 for the default, or one a BMP file can have; greys
// are written at 1, 4 and 8 bits only.
Status CheckDepth(const bmpresize_options& options) {
  if (options.depth != 0 && !IsSupportedDepth(options.depth)) return Because(BMPRESIZE_CAUSE_OPTION, options.depth);
  if ((options.flags & BMPRESIZE_GREY) != 0 && options.depth != 0 && !IsPalettedDepth(options.depth))
    return Because(BMPRESIZE_CAUSE_OPTION, options.depth);
  return {};
}

GeometryAsked GeometryOf(const bmpresize_options& options) {
  return {options.geometry, options.geometry_width, options.geometry_height, options.geometry_area};
}

// A geometry within its ranges, in place of a size; a cover box has both
// sides and is no box to fit in.
Status CheckSizeKind(const bmpresize_options& options) {
  const bool cover = (options.flags & BMPRESIZE_COVER) != 0;
  if (options.geometry != 0) {
    if (options.width != 0 || options.height != 0 || (options.flags & (BMPRESIZE_FIT | BMPRESIZE_COVER)) != 0)
      return Refuse(options.geometry);
    return CheckGeometry(GeometryOf(options));
  }
  if (cover && (options.flags & BMPRESIZE_FIT) != 0) return Refuse(options.flags);
  if (cover && options.width == 0) return Refuse(options.width);
  if (cover && options.height == 0) return Refuse(options.height);
  return {};
}

ResizeRequest RequestOf(const bmpresize_options& options) {
  ResizeRequest request;
  const bool cover = (options.flags & BMPRESIZE_COVER) != 0;
  request.size = {options.percent,
                  options.width,
                  options.height,
                  (options.flags & BMPRESIZE_FIT) != 0,
                  (options.flags & BMPRESIZE_NO_ENLARGE) != 0,
                  GeometryOf(options)};
  request.region = {options.region_x,      options.region_y,          options.region_width,
                    options.region_height, cover ? options.width : 0, cover ? options.height : 0};
  request.filter = options.filter;
  request.depth = options.depth;
  request.grey = (options.flags & BMPRESIZE_GREY) != 0;
  request.linear = (options.flags & BMPRESIZE_LINEAR) != 0;
  request.resolution = {options.x_ppm, options.y_ppm};
  request.keepResolution = (options.flags & BMPRESIZE_KEEP_RESOLUTION) != 0;
  request.threads = options.threads > 0 ? static_cast<unsigned>(options.threads) : 0;
  request.sync = options.sync != 0;
  request.run = RunRulesOf(options);
  return request;
}

}  // namespace

Status CheckOptions(const bmpresize_options& options, ResizeRequest& request) {
  Status status = CheckRegion(options);
  if (status.Ok()) status = CheckFilter(options);
  if (status.Ok()) status = CheckDepth(options);
  if (status.Ok()) status = CheckSizeKind(options);
  if (!status.Ok()) return status;
  // The size: no side below 0, and a box to fit in has both sides.
  if (options.width < 0) return Refuse(options.width);
  if (options.height < 0) return Refuse(options.height);
  if ((options.flags & BMPRESIZE_FIT) != 0 && options.width == 0) return Refuse(options.width);
  if ((options.flags & BMPRESIZE_FIT) != 0 && options.height == 0) return Refuse(options.height);
  // The resolution: pixels per metre, 0 for the default.
  if (options.x_ppm < 0) return Refuse(options.x_ppm);
  if (options.y_ppm < 0) return Refuse(options.y_ppm);
  request = RequestOf(options);
  return {};
}

RunRules RunRulesOf(const bmpresize_options& options) {
  RunRules run;
  run.cancel = options.cancel;
  run.strict = options.strict != 0;
  if (options.memory_limit > 0) run.memoryLimit = static_cast<std::uint64_t>(options.memory_limit);
  return run;
}

bmpresize_options DefaultOptions() {
  bmpresize_options options{};
  options.percent = 100;
  return options;
}

}  // namespace bmpresize
