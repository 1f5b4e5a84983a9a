// SPDX-License-Identifier: MIT
#include "reference/resize_image.h"

#include <memory>
#include <new>

#include "resample/sample_bilinear.h"

using namespace bmpresize;

namespace {

std::unique_ptr<AxisPosition[]> MapWholeAxis(std::int32_t sourceSize, std::int32_t destinationSize) {
  std::unique_ptr<AxisPosition[]> positions(new (std::nothrow) AxisPosition[static_cast<std::size_t>(destinationSize)]);
  if (positions) {
    for (std::int32_t i = 0; i < destinationSize; ++i) positions[i] = MapAxis(sourceSize, i, destinationSize);
  }
  return positions;
}

}  // namespace

bool ResizeImage(const BmpImage& source, BmpImage& destination) {
  const std::int32_t width = destination.Width();
  const std::int32_t height = destination.Height();
  const auto columns = MapWholeAxis(source.Width(), width);
  const auto rows = MapWholeAxis(source.Height(), height);
  if (!columns || !rows) return false;
  // Column by column: both images keep a column contiguous in memory.
  for (std::int32_t x = 0; x < width; ++x) {
    for (std::int32_t y = 0; y < height; ++y) destination.PixelAt(x, y) = BlendAt(source, columns[x], rows[y]);
  }
  return true;
}
