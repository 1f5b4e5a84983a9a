// SPDX-License-Identifier: MIT
// Resized rows into a file's pixel data at the depth the destination is
// written at, where that is not the resized bytes as they are (24 bits from 3
// bytes a pixel, 32 from 4). A resized row holds 3 bytes a pixel (blue, green,
// red) or 4 (and alpha):
//
//   32 bits   blue, green, red, then 255 from 3 bytes a pixel
//   16 bits   2 bytes a pixel, little-endian, in kRgb565Masks
//   8, 4, 1   the index of the nearest table entry, 8 bits a pixel, 2 pixels
//             a byte (the leftmost in the high nibble) or 8 (the leftmost in
//             bit 7); the unused low bits of a row's last byte are 0. With
//             greys, the grey table's entry nearest the pixel's luminance
//             (image/grey_level.h), worked out on the spot: at 8 bits the
//             luminance itself
//
// An encoder is read only: the bands of one resize share it.
#pragma once

#include <cstdint>

#include "image/nearest_colour.h"

namespace bmpresize {

// Whether resized rows of channels bytes a pixel need encoding for depth.
bool NeedsEncoding(std::int32_t depth, int channels);

// The 16-bit value of one pixel: each channel's top bits on its field.
inline std::uint16_t Rgb565(std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
  return static_cast<std::uint16_t>((red >> 3) << 11 | (green >> 2) << 5 | blue >> 3);
}

class DepthEncoder {
 public:
  // nearest serves depths 1, 4 and 8 written with the standard table, and
  // outlives the encoder; with grey it is not read (null will do).
  DepthEncoder(std::int32_t depth, int channels, const NearestColour* nearest, bool grey = false)
      : depth_(depth), channels_(channels), nearest_(nearest), grey_(grey) {}
  // The row data of width pixels into out (RowDataSize bytes).
  void Encode(const std::uint8_t* pixels, std::int32_t width, std::uint8_t* out) const;

 private:
  void Index8(const std::uint8_t* pixels, std::int32_t width, std::uint8_t* out) const;
  void PackIndices(const std::uint8_t* pixels, std::int32_t width, std::uint8_t* out) const;
  std::uint8_t IndexOf(const std::uint8_t* pixel) const;

  std::int32_t depth_;
  int channels_;
  const NearestColour* nearest_;
  bool grey_;
};

}  // namespace bmpresize
