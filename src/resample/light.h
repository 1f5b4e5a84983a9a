// SPDX-License-Identifier: MIT
// Light and colour as the colour-aware filters see them. A pixel's blue,
// green and red bytes v stand for the light L(v) = round(65535 x f(v / 255)),
// f(u) = u / 12.92 up to u = 0.04045 and ((u + 0.055) / 1.055)^2.4 above (the
// sRGB curve), and a light x comes back as the byte whose L is nearest, ties
// to the smaller byte. ColourMode says how a resize filters colour: as the
// bytes are, weighted by alpha (premultiplied), in light, or both.
#pragma once

#include <cstdint>

namespace bmpresize {

struct ColourMode {
  bool premultiplied = false;  // blue, green and red weighted by their pixel's alpha
  bool linear = false;         // blue, green and red filtered as light
  // Whether rows need the 16-bit passes (wide_resampler.h).
  bool Wide() const { return premultiplied || linear; }
};

// L(v) for every byte v.
extern const std::uint16_t kLightOfByte[256];

// The byte whose light is nearest x, ties to the smaller byte.
std::uint8_t ByteOfLight(std::uint16_t x);
// ByteOfLight of every x, 65536 bytes.
const std::uint8_t* BytesOfLight();

}  // namespace bmpresize
