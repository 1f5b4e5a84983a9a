// Row encoders: one row of pixels in, one file row of pixel data out.
//
//   EncodeRow32   4 bytes a pixel: blue, green, red, alpha
//   EncodeRow24   3 bytes a pixel: blue, green, red (alpha dropped)
//   EncodeRow16   2 bytes a pixel, little-endian, in kRgb565Masks (alpha dropped)
//   EncodeRow8    1 byte a pixel: nearest palette index
//   EncodeRow4    2 pixels a byte, leftmost in the high nibble
//   EncodeRow1    8 pixels a byte, leftmost in bit 7
//
// Each writes the row's data bytes from the start of buffer and answers 1, or
// answers 0 and writes nothing when length bytes are too few. Bytes after the
// row data are never touched, so a buffer zeroed once keeps zero padding, and
// the unused low bits of a row's last 1-bit or 4-bit byte are 0. Paletted
// encoders search palette, of 2^depth entries, for each pixel's nearest entry.
#pragma once

#include <cstdint>

#include "image/pixel_row.h"

int EncodeRow32(ConstPixelRow row, std::uint8_t* buffer, std::int32_t length);
int EncodeRow24(ConstPixelRow row, std::uint8_t* buffer, std::int32_t length);
int EncodeRow16(ConstPixelRow row, std::uint8_t* buffer, std::int32_t length);
int EncodeRow8(ConstPixelRow row, const PixelBGRA* palette, std::uint8_t* buffer, std::int32_t length);
int EncodeRow4(ConstPixelRow row, const PixelBGRA* palette, std::uint8_t* buffer, std::int32_t length);
int EncodeRow1(ConstPixelRow row, const PixelBGRA* palette, std::uint8_t* buffer, std::int32_t length);

// The 16-bit value of one pixel in kRgb565Masks.
std::uint16_t Encode16(PixelBGRA pixel);
