// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "image/bmp_image.h"

// Makes destination the width x height rectangle of source whose top-left
// pixel is (x, y), pixel for pixel, with source's depth. The rectangle must
// lie inside source. Answers 0, with destination untouched, when its storage
// cannot be had.
[[nodiscard]] bool CropImage(const bmpresize::BmpImage& source, std::int32_t x, std::int32_t y, std::int32_t width,
                             std::int32_t height, bmpresize::BmpImage& destination);
