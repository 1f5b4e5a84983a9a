// SPDX-License-Identifier: MIT
// A resized picture made ready to be written at another depth, as the resize
// writes it: for 1, 4 and 8 bits the standard table (each pixel then written
// as its nearest entry by the full search) or, with grey, 2^depth evenly
// spaced greys, each pixel first made the grey of its luminance
// (19595 red + 38470 green + 7471 blue + 32768) / 2^16, then written as the
// nearest entry to that; for 32 bits from a source without alpha, alpha 255.
#pragma once

#include <cstdint>

#include "image/bmp_image.h"

// Sets image (resized from a source of sourceDepth bits) to depth; false for
// a depth a picture cannot have.
[[nodiscard]] bool SetWrittenDepth(bmpresize::BmpImage& image, std::int32_t sourceDepth, std::int32_t depth, bool grey);
