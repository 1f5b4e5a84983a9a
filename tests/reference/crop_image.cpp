// SPDX-License-Identifier: MIT
#include "reference/crop_image.h"

using namespace bmpresize;

bool CropImage(const BmpImage& source, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
               BmpImage& destination) {
  if (!destination.SetSize(width, height) || !destination.SetDepth(source.Depth())) return false;
  for (std::int32_t column = 0; column < width; ++column) {
    for (std::int32_t row = 0; row < height; ++row)
      destination.PixelAt(column, row) = source.PixelAt(x + column, y + row);
  }
  return true;
}
