// SPDX-License-Identifier: MIT
#include "reference/at_depth.h"

#include <cmath>

using namespace bmpresize;

namespace {

void MakeGrey(BmpImage& image) {
  for (std::int32_t y = 0; y < image.Height(); ++y) {
    const PixelRow row = image.Row(y);
    for (std::int32_t x = 0; x < row.width; ++x) {
      PixelBGRA& p = row[x];
      const std::uint32_t weighed = 19595u * p.red + 38470u * p.green + 7471u * p.blue + 32768u;
      const auto grey = static_cast<std::uint8_t>(weighed / 65536u);
      p = PixelBGRA{grey, grey, grey, p.alpha};
    }
  }
}

}  // namespace

bool SetWrittenDepth(BmpImage& image, std::int32_t sourceDepth, std::int32_t depth, bool grey) {
  if (!image.SetDepth(depth)) return false;
  if (grey && image.HasPalette()) {
    const std::int32_t last = image.PaletteSize() - 1;
    for (std::int32_t i = 0; i <= last; ++i) {
      const auto level = static_cast<std::uint8_t>(std::floor(255.0 * i / last + 0.5));
      (void)image.SetPaletteEntry(i, PixelBGRA{level, level, level, 0});
    }
    MakeGrey(image);
  }
  if (depth == 32 && sourceDepth != 32) {
    for (std::int32_t y = 0; y < image.Height(); ++y) {
      const PixelRow row = image.Row(y);
      for (std::int32_t x = 0; x < row.width; ++x) row[x].alpha = 255;
    }
  }
  return true;
}
