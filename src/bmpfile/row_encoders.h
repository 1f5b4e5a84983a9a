// SPDX-License-Identifier: MIT
// Row encoders of direct colour: one row of pixels in, one file row of pixel
// data out.
//
//   EncodeRow32   4 bytes a pixel: blue, green, red, alpha
//   EncodeRow24   3 bytes a pixel: blue, green, red (alpha dropped)
//
// Each writes the row's data bytes from the start of buffer and answers 1, or
// answers 0 and writes nothing when length bytes are too few. Bytes after the
// row data are never touched, so a buffer zeroed once keeps zero padding.
#pragma once

#include <cstdint>

#include "image/pixel_row.h"

namespace bmpresize {

[[nodiscard]] bool EncodeRow32(ConstPixelRow row, std::uint8_t* buffer, std::int32_t length);
[[nodiscard]] bool EncodeRow24(ConstPixelRow row, std::uint8_t* buffer, std::int32_t length);

}  // namespace bmpresize
