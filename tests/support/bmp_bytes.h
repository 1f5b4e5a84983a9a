// SPDX-License-Identifier: MIT
// Builds BMP files byte by byte for tests, independently of the library's
// writer, so reader tests do not trust the code they test.
#pragma once

#include <cstdint>
#include <vector>

#include "image/pixel_bgra.h"

class BmpBytes {
 public:
  BmpBytes& U8(std::uint32_t v);
  BmpBytes& U16(std::uint32_t v);
  BmpBytes& U32(std::uint32_t v);
  BmpBytes& Bytes(const std::vector<std::uint8_t>& v);
  BmpBytes& Zeros(std::size_t n);

  // A 14-byte file header and a 40-byte info header with the given fields.
  BmpBytes& Headers(std::int32_t width, std::int32_t height, std::uint16_t bitCount, std::uint32_t offBits,
                    std::uint32_t compression = 0, std::int32_t xPpm = 2835, std::int32_t yPpm = 2835);
  BmpBytes& PaletteEntry(bmpresize::PixelBGRA e);

  const std::vector<std::uint8_t>& data() const { return data_; }
  std::size_t size() const { return data_.size(); }

 private:
  std::vector<std::uint8_t> data_;
};

// Little-endian fields of a byte array, for checking written files.
std::uint32_t LE16(const std::vector<std::uint8_t>& b, std::size_t at);
std::uint32_t LE32(const std::vector<std::uint8_t>& b, std::size_t at);
