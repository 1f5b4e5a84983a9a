// SPDX-License-Identifier: MIT
#include "bmpfile/depth_encoder.h"

#include "bmpfile/little_endian.h"
#include "image/grey_level.h"

namespace bmpresize {

bool NeedsEncoding(std::int32_t depth, int channels) {
  return !(depth == 24 && channels == 3) && !(depth == 32 && channels == 4);
}

void DepthEncoder::Encode(const std::uint8_t* pixels, std::int32_t width, std::uint8_t* out) const {
  const auto step = static_cast<std::size_t>(channels_);
  if (depth_ == 32) {
    for (std::int32_t x = 0; x < width; ++x, pixels += step, out += 4) {
      out[0] = pixels[0];
      out[1] = pixels[1];
      out[2] = pixels[2];
      out[3] = 255;  // a source without alpha is opaque
    }
  } else if (depth_ == 24) {
    for (std::int32_t x = 0; x < width; ++x, pixels += step, out += 3) {
      out[0] = pixels[0];
      out[1] = pixels[1];
      out[2] = pixels[2];
    }
  } else if (depth_ == 16) {
    for (std::int32_t x = 0; x < width; ++x, pixels += step, out += 2)
      StoreU16LE(out, Rgb565(pixels[0], pixels[1], pixels[2]));
  } else if (depth_ == 8) {
    Index8(pixels, width, out);
  } else {
    PackIndices(pixels, width, out);
  }
}

// 8 bits a pixel: with greys the luminance is the index.
void DepthEncoder::Index8(const std::uint8_t* pixels, std::int32_t width, std::uint8_t* out) const {
  const auto step = static_cast<std::size_t>(channels_);
  if (grey_) {
    for (std::int32_t x = 0; x < width; ++x, pixels += step) out[x] = Luminance(pixels[0], pixels[1], pixels[2]);
  } else {
    for (std::int32_t x = 0; x < width; ++x, pixels += step)
      out[x] = nearest_->IndexOf(pixels[0], pixels[1], pixels[2]);
  }
}

std::uint8_t DepthEncoder::IndexOf(const std::uint8_t* pixel) const {
  if (grey_) return NearestGreyIndex(depth_, Luminance(pixel[0], pixel[1], pixel[2]));
  return nearest_->IndexOf(pixel[0], pixel[1], pixel[2]);
}

// 4 or 1 bits a pixel: each byte from 0, the pixels' indices added from its
// top bits down.
void DepthEncoder::PackIndices(const std::uint8_t* pixels, std::int32_t width, std::uint8_t* out) const {
  const auto step = static_cast<std::size_t>(channels_);
  const int perByte = 8 / depth_;
  for (std::int32_t x = 0; x < width; ++out) {
    unsigned byte = 0;
    for (int slot = 0; slot < perByte && x < width; ++slot, ++x, pixels += step) {
      const unsigned index = IndexOf(pixels);
      byte |= index << (8 - depth_ * (slot + 1));
    }
    *out = static_cast<std::uint8_t>(byte);
  }
}

}  // namespace bmpresize
