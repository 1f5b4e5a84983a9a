// SPDX-License-Identifier: MIT
#include "reference/row_encoders_1_to_16.h"

#include "bmpfile/depth_encoder.h"
#include "bmpfile/little_endian.h"
#include "bmpfile/row_encoders.h"
#include "image/colour_tables.h"

using namespace bmpresize;

namespace {

// The nearest-entry search costs up to 256 distance computations, and pictures
// repeat their colours, so each row remembers the answers it has found. The
// answer depends only on blue, green and red (alpha takes no part), which is
// what the cache keys on, so its answers are exactly the search's.
class NearestIndexCache {
 public:
  NearestIndexCache(const PixelBGRA* palette, std::int32_t entries) : palette_(palette), entries_(entries) {}

  std::uint8_t Find(PixelBGRA colour) {
    const std::uint32_t rgb =
        static_cast<std::uint32_t>(colour.red) << 16 | static_cast<std::uint32_t>(colour.green) << 8 | colour.blue;
    const std::uint32_t key = rgb | kFilled;
    const std::uint32_t slot = (rgb * 2654435761u) >> 24;  // multiplicative hash onto 256 slots
    if (keys_[slot] != key) {
      keys_[slot] = key;
      indices_[slot] = NearestIndexIn(palette_, entries_, colour);
    }
    return indices_[slot];
  }

 private:
  static constexpr std::uint32_t kFilled = 1u << 24;
  const PixelBGRA* palette_;
  std::int32_t entries_;
  std::uint32_t keys_[256] = {};
  std::uint8_t indices_[256] = {};
};

// Packs indices of pixelsPerByte pixels a byte, leftmost pixel in the most
// significant position; a group cut short by the row's end keeps 0 below.
void PackIndices(ConstPixelRow row, const PixelBGRA* palette, std::int32_t entries, int bitsPerPixel,
                 std::uint8_t* buffer) {
  const int pixelsPerByte = 8 / bitsPerPixel;
  NearestIndexCache nearest(palette, entries);
  std::int32_t x = 0;
  while (x < row.width) {
    unsigned byte = 0;
    for (int slot = 0; slot < pixelsPerByte; ++slot, ++x) {
      const unsigned index = x < row.width ? nearest.Find(row[x]) : 0;
      byte += index << (8 - bitsPerPixel * (slot + 1));
    }
    *buffer++ = static_cast<std::uint8_t>(byte);
  }
}

}  // namespace

std::uint16_t Encode16(PixelBGRA p) { return Rgb565(p.blue, p.green, p.red); }

bool EncodeRow16(ConstPixelRow row, std::uint8_t* buffer, std::int32_t length) {
  if (2 * static_cast<std::int64_t>(row.width) > length) return false;
  for (std::int32_t x = 0; x < row.width; ++x, buffer += 2) StoreU16LE(buffer, Encode16(row[x]));
  return true;
}

bool EncodeRow8(ConstPixelRow row, const PixelBGRA* palette, std::uint8_t* buffer, std::int32_t length) {
  if (row.width > length) return false;
  NearestIndexCache nearest(palette, 256);
  for (std::int32_t x = 0; x < row.width; ++x) buffer[x] = nearest.Find(row[x]);
  return true;
}

bool EncodeRow4(ConstPixelRow row, const PixelBGRA* palette, std::uint8_t* buffer, std::int32_t length) {
  if (row.width > 2 * static_cast<std::int64_t>(length)) return false;
  PackIndices(row, palette, 16, 4, buffer);
  return true;
}

bool EncodeRow1(ConstPixelRow row, const PixelBGRA* palette, std::uint8_t* buffer, std::int32_t length) {
  if (row.width > 8 * static_cast<std::int64_t>(length)) return false;
  PackIndices(row, palette, 2, 1, buffer);
  return true;
}

bool EncodeRowAtDepth(int depth, ConstPixelRow row, const PixelBGRA* palette, std::uint8_t* buffer,
                      std::int32_t length) {
  switch (depth) {
    case 32:
      return EncodeRow32(row, buffer, length);
    case 24:
      return EncodeRow24(row, buffer, length);
    case 16:
      return EncodeRow16(row, buffer, length);
    case 8:
      return EncodeRow8(row, palette, buffer, length);
    case 4:
      return EncodeRow4(row, palette, buffer, length);
    case 1:
      return EncodeRow1(row, palette, buffer, length);
    default:
      return false;
  }
}
