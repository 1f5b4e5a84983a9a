// SPDX-License-Identifier: MIT
// A view of one row of pixels that may be strided: a row of the column-major
// image (step = height) or a plain buffer (step = 1). Row codecs work on these,
// so the same decoder fills an image in place or a streaming row buffer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/pixel_bgra.h"

namespace bmpresize {

template <typename Pixel>
struct BasicPixelRow {
  Pixel* first = nullptr;
  std::ptrdiff_t step = 1;
  std::int32_t width = 0;

  Pixel& operator[](std::int32_t x) const { return first[static_cast<std::ptrdiff_t>(x) * step]; }
};

using PixelRow = BasicPixelRow<PixelBGRA>;
using ConstPixelRow = BasicPixelRow<const PixelBGRA>;

}  // namespace bmpresize
