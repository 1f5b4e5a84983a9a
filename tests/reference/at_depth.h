// SPDX-License-Identifier: MIT
// A resized picture made ready to be written at another depth, as the resize
// writes it: for 1, 4 and 8 bits the standard table or, with grey, 2^depth
// evenly spaced greys (each pixel then written as its nearest entry by the
// full search); for 32 bits from a source without alpha, alpha 255.
#pragma once

#include <cstdint>

#include "image/bmp_image.h"

// Sets image (resized from a source of sourceDepth bits) to depth; false for
// a depth a picture cannot have.
[[nodiscard]] bool SetWrittenDepth(bmpresize::BmpImage& image, std::int32_t sourceDepth, std::int32_t depth, bool grey);
