// SPDX-License-Identifier: MIT
#pragma once

#include "image/bmp_image.h"

// Fills every pixel of destination with source resized by the area filter or
// a convolution filter with colour filtered otherwise than as bytes, written
// plainly in double precision: each colour byte v taken as L(v) =
// round(65535 f(v / 255)) (f the sRGB curve, by std::pow) where linear, else
// as v; where premultiplied, times its pixel's alpha; filtered across and
// then down with the taps of ReferenceAxisTaps (an axis that keeps its size
// copied), each pass clipped to the range of the 16-bit values (0 to 65535
// v x 257, v x a or L(v) x a / 255; no rounding between); a colour is then the weighted
// sum over the alpha sum (0 where that is 0) and, as light, the byte whose L
// is nearest (ties to the smaller). Alpha is filtered as it is and rounded.
[[nodiscard]] bool ColourResizeImage(const bmpresize::BmpImage& source, bmpresize::BmpImage& destination, int filter,
                                     bool premultiplied, bool linear);

// L(v), computed by the formula.
int ReferenceLight(int v);
