// SPDX-License-Identifier: MIT
#pragma once

#include "image/bmp_image.h"

// Fills every pixel of destination with SampleBilinear of source for the
// destination's size. Each axis's source positions are worked out once rather
// than once per pixel, through the same mapping SampleBilinear uses, so the
// pixels are the same. Answers 0, with destination untouched, when memory for
// those positions cannot be had.
[[nodiscard]] bool ResizeImage(const bmpresize::BmpImage& source, bmpresize::BmpImage& destination);
