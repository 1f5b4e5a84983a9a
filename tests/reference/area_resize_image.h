// SPDX-License-Identifier: MIT
#pragma once

#include "image/bmp_image.h"

// Fills every pixel of destination with the area filter's average of source,
// written plainly: for each channel c, x, y counted from the picture's
// top-left corner, W x H the source and dW x dH the destination,
//
//   ox(i) = |[i dW, (i + 1) dW) and [x W, (x + 1) W)|, likewise oy(j)
//   h(x, j) = floor((2 sum_i c(i, j) ox(i) + W) / (2 W))
//   p(x, y) = floor((2 sum_j h(x, j) oy(j) + H) / (2 H))
//
// over every source pixel, in 64-bit integers. Answers 0 when memory for the
// horizontal averages cannot be had.
[[nodiscard]] bool AreaResizeImage(const bmpresize::BmpImage& source, bmpresize::BmpImage& destination);
