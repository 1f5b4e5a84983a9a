// SPDX-License-Identifier: MIT
#pragma once

#include "image/bmp_image.h"

// Fills every pixel of destination with source resized by filter: the point
// sampler (ResizeImage), the area filter's formula (AreaResizeImage), or,
// for a convolution filter, the product's own resampler run over the whole
// picture at once (held within 1 of FilterResizeImage by the resample
// tests): the bytes the streaming pipeline must give it however the picture
// comes, is cut, banded and written. Answers 0 when memory cannot be had.
[[nodiscard]] bool FilteredImage(const bmpresize::BmpImage& source, bmpresize::BmpImage& destination, int filter);
