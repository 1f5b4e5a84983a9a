// SPDX-License-Identifier: MIT
// Row decoders: one file row of pixel data in, one row of pixels out.
//
//   DecodeRow32   4 bytes a pixel: blue, green, red, alpha
//   DecodeRow24   3 bytes a pixel: blue, green, red; alpha 0
//   DecodeRow8    1 byte a pixel: palette index
//   DecodeRow4    2 pixels a byte: leftmost in the high nibble
//   DecodeRow2    4 pixels a byte: leftmost in the top two bits
//   DecodeRow1    8 pixels a byte: leftmost in bit 7
//
// Each answers 1 after filling the row, or 0 without touching it when count
// bytes are too few for row.width pixels. Spare low bits of a row's last byte
// and the row padding are ignored. Paletted decoders take the colour, alpha
// included, from palette, which holds 2^depth entries.
#pragma once

#include <cstdint>

#include "image/pixel_row.h"

namespace bmpresize {

[[nodiscard]] bool DecodeRow32(const std::uint8_t* bytes, std::int32_t count, PixelRow row);
[[nodiscard]] bool DecodeRow24(const std::uint8_t* bytes, std::int32_t count, PixelRow row);
[[nodiscard]] bool DecodeRow8(const std::uint8_t* bytes, std::int32_t count, const PixelBGRA* palette, PixelRow row);
[[nodiscard]] bool DecodeRow4(const std::uint8_t* bytes, std::int32_t count, const PixelBGRA* palette, PixelRow row);
[[nodiscard]] bool DecodeRow2(const std::uint8_t* bytes, std::int32_t count, const PixelBGRA* palette, PixelRow row);
[[nodiscard]] bool DecodeRow1(const std::uint8_t* bytes, std::int32_t count, const PixelBGRA* palette, PixelRow row);

// 16-bit pixels: each channel's masked bits aligned so that the mask's highest
// bit lands on bit 4, and multiplied by 8, so every channel is a multiple of 8
// from 0 to 248. A mask above bit 4 is shifted down (losing its low bits), one
// wholly below bit 4 is shifted up (a 4-bit field 15 gives 240).
struct ChannelMasks {
  std::uint16_t red = 0x7C00;
  std::uint16_t green = 0x03E0;
  std::uint16_t blue = 0x001F;
};

struct ChannelShifts {
  unsigned red, green, blue;        // right shifts
  unsigned redUp, greenUp, blueUp;  // left shifts, for masks below bit 4
};

// The right shift after which the mask is 31 or less.
unsigned MaskShift(std::uint16_t mask);
// The left shift that brings a nonzero mask's highest bit up to bit 4; 0 for a
// mask that reaches bit 4 or above, and for 0.
unsigned MaskLift(std::uint16_t mask);
ChannelShifts ShiftsFor(const ChannelMasks& masks);
PixelBGRA Decode16(std::uint16_t value, const ChannelMasks& masks, const ChannelShifts& shifts);

// 32-bit bit-field pixels: each channel is the pixel's bits under its mask,
// aligned so that the mask's highest bit lands on bit 7 (an 8-bit field as it
// is, a wider one keeps its top 8 bits, a narrower one is left-aligned). A zero
// mask gives 0, so a file without an alpha mask gives alpha 0.
struct FieldMasks32 {
  std::uint32_t red = 0, green = 0, blue = 0, alpha = 0;
};

// Where each mask's highest bit lies relative to bit 7: positive shifts down,
// negative shifts up.
struct FieldLayout32 {
  FieldMasks32 masks;
  int red = 0, green = 0, blue = 0, alpha = 0;
};

FieldLayout32 LayoutFor(const FieldMasks32& masks);
std::uint8_t Field8(std::uint32_t value, std::uint32_t mask, int shift);
// 4 bytes a pixel, little-endian, channels as the layout says; answers as the
// other decoders do.
[[nodiscard]] bool DecodeRow32Fields(const std::uint8_t* bytes, std::int32_t count, const FieldLayout32& layout,
                                     PixelRow row);

}  // namespace bmpresize
