// SPDX-License-Identifier: MIT
#include "pipeline/resize_plan.h"

#include "pipeline/scaled_size.h"

bool PlanResize(const FileLayout& source, std::int32_t percent, ResizePlan& plan, Cause& cause) {
  std::int32_t width = 0;
  std::int32_t height = 0;
  if (!ScaledSize(percent, source.width, width) || !ScaledSize(percent, source.height, height)) {
    cause = Because(BMPRESIZE_CAUSE_SIDE_TOO_LARGE, percent);
    return false;
  }
  if (width < 1 || height < 1) width = height = 1;
  BmpLayout& layout = plan.destination;
  layout.width = width;
  layout.height = height;
  layout.depth = source.depth == 32 ? 32 : 24;
  const BmpHeaders headers = HeadersFor(layout);
  if (!headers.fits) {
    cause = Because(BMPRESIZE_CAUSE_FILE_TOO_LARGE, width, height);
    return false;
  }
  if (width > kMaxDestinationRowPixels) {
    cause = Because(BMPRESIZE_CAUSE_ROW_TOO_WIDE, width, kMaxDestinationRowPixels);
    return false;
  }
  plan.fileSize = headers.file.bfSize;
  return true;
}
