// SPDX-License-Identifier: MIT
#include "support/bmp_bytes.h"

using namespace bmpresize;

BmpBytes& BmpBytes::U8(std::uint32_t v) {
  data_.push_back(static_cast<std::uint8_t>(v));
  return *this;
}
BmpBytes& BmpBytes::U16(std::uint32_t v) { return U8(v).U8(v >> 8); }
BmpBytes& BmpBytes::U32(std::uint32_t v) { return U16(v).U16(v >> 16); }
BmpBytes& BmpBytes::Bytes(const std::vector<std::uint8_t>& v) {
  data_.insert(data_.end(), v.begin(), v.end());
  return *this;
}
BmpBytes& BmpBytes::Zeros(std::size_t n) {
  data_.insert(data_.end(), n, 0);
  return *this;
}

BmpBytes& BmpBytes::Headers(std::int32_t width, std::int32_t height, std::uint16_t bitCount, std::uint32_t offBits,
                            std::uint32_t compression, std::int32_t xPpm, std::int32_t yPpm) {
  U16(0x4D42).U32(0).U16(0).U16(0).U32(offBits);
  U32(40).U32(static_cast<std::uint32_t>(width)).U32(static_cast<std::uint32_t>(height)).U16(1).U16(bitCount);
  U32(compression).U32(0).U32(static_cast<std::uint32_t>(xPpm)).U32(static_cast<std::uint32_t>(yPpm)).U32(0).U32(0);
  return *this;
}

BmpBytes& BmpBytes::PaletteEntry(PixelBGRA e) { return U8(e.blue).U8(e.green).U8(e.red).U8(e.alpha); }

std::uint32_t LE16(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint32_t>(b.at(at)) | static_cast<std::uint32_t>(b.at(at + 1)) << 8;
}
std::uint32_t LE32(const std::vector<std::uint8_t>& b, std::size_t at) { return LE16(b, at) | LE16(b, at + 2) << 16; }
