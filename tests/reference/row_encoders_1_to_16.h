// SPDX-License-Identifier: MIT
// Row encoders of the depths the resize never writes, for writing test
// pictures at every depth: one row of pixels in, one file row of pixel data out.
//
//   EncodeRow16   2 bytes a pixel, little-endian, in kRgb565Masks (alpha dropped)
//   EncodeRow8    1 byte a pixel: nearest palette index
//   EncodeRow4    2 pixels a byte, leftmost in the high nibble
//   EncodeRow1    8 pixels a byte, leftmost in bit 7
//
// They answer as EncodeRow24 and EncodeRow32 do; the unused low bits of a
// row's last 1-bit or 4-bit byte are 0. Paletted encoders search palette, of
// 2^depth entries, for each pixel's nearest entry.
#pragma once

#include <cstdint>

#include "image/pixel_row.h"

[[nodiscard]] bool EncodeRow16(bmpresize::ConstPixelRow row, std::uint8_t* buffer, std::int32_t length);
[[nodiscard]] bool EncodeRow8(bmpresize::ConstPixelRow row, const bmpresize::PixelBGRA* palette, std::uint8_t* buffer,
                              std::int32_t length);
[[nodiscard]] bool EncodeRow4(bmpresize::ConstPixelRow row, const bmpresize::PixelBGRA* palette, std::uint8_t* buffer,
                              std::int32_t length);
[[nodiscard]] bool EncodeRow1(bmpresize::ConstPixelRow row, const bmpresize::PixelBGRA* palette, std::uint8_t* buffer,
                              std::int32_t length);

// Encodes row at depth (1, 4, 8, 16, 24 or 32) with the encoder of that depth;
// false for any other depth. palette is used at 1, 4 and 8 bits.
[[nodiscard]] bool EncodeRowAtDepth(int depth, bmpresize::ConstPixelRow row, const bmpresize::PixelBGRA* palette,
                                    std::uint8_t* buffer, std::int32_t length);

// The 16-bit value of one pixel in kRgb565Masks.
std::uint16_t Encode16(bmpresize::PixelBGRA pixel);
