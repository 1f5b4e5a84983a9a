// Row decoders: one file row of pixel data in, one row of pixels out.
//
//   DecodeRow32   4 bytes a pixel: blue, green, red, alpha
//   DecodeRow24   3 bytes a pixel: blue, green, red; alpha 0
//   DecodeRow8    1 byte a pixel: palette index
//   DecodeRow4    2 pixels a byte: leftmost in the high nibble
//   DecodeRow1    8 pixels a byte: leftmost in bit 7
//
// Each answers 1 after filling the row, or 0 without touching it when count
// bytes are too few for row.width pixels. Spare low bits of a row's last byte
// and the row padding are ignored. Paletted decoders take the colour, alpha
// included, from palette, which holds 2^depth entries.
#pragma once

#include <cstdint>

#include "image/pixel_row.h"

int DecodeRow32(const std::uint8_t* bytes, std::int32_t count, PixelRow row);
int DecodeRow24(const std::uint8_t* bytes, std::int32_t count, PixelRow row);
int DecodeRow8(const std::uint8_t* bytes, std::int32_t count, const PixelBGRA* palette, PixelRow row);
int DecodeRow4(const std::uint8_t* bytes, std::int32_t count, const PixelBGRA* palette, PixelRow row);
int DecodeRow1(const std::uint8_t* bytes, std::int32_t count, const PixelBGRA* palette, PixelRow row);

// 16-bit pixels: each channel's masked bits brought down to at most five bits
// and multiplied by 8, so every channel is a multiple of 8 from 0 to 248.
struct ChannelMasks {
  std::uint16_t red = 0x7C00;
  std::uint16_t green = 0x03E0;
  std::uint16_t blue = 0x001F;
};

struct ChannelShifts {
  unsigned red, green, blue;
};

// The right shift after which the mask is 31 or less.
unsigned MaskShift(std::uint16_t mask);
ChannelShifts ShiftsFor(const ChannelMasks& masks);
PixelBGRA Decode16(std::uint16_t value, const ChannelMasks& masks, const ChannelShifts& shifts);
