// SPDX-License-Identifier: MIT
#include "support/random_bmp.h"

#include "bmpfile/bmp_headers.h"
#include "support/bmp_bytes.h"

using namespace bmpresize;

// A random file of every depth the reader takes, with short or long palettes,
// gaps, 16-bit masks, and now and then cut short or damaged in its headers.
std::vector<std::uint8_t> RandomBmp(Random& r) {
  static const std::uint16_t kDepths[] = {1, 4, 8, 16, 16, 24, 32};
  const std::uint16_t depth = kDepths[r.Below(7)];
  const bool bitfields = depth == 16 && r.Below(2) == 0;
  const std::int32_t width = r.Below(5) == 0 ? 1 : 1 + static_cast<std::int32_t>(r.Below(37));
  const std::int32_t height = r.Below(5) == 0 ? 1 : 1 + static_cast<std::int32_t>(r.Below(37));
  std::uint32_t entries = 0;
  if (depth <= 8) entries = r.Below((1u << depth) + 3);  // short, full or long tables
  const std::uint32_t gap = r.Below(3) == 0 ? r.Below(9) : 0;
  const std::uint32_t offBits = kHeadersSize + 4 * entries + (bitfields ? kMaskBlockSize : 0) + gap;

  BmpBytes b;
  b.Headers(width, height, depth, offBits, bitfields ? kBiBitfields : kBiRgb);
  for (std::uint32_t i = 0; i < entries; ++i) b.PaletteEntry({r.Byte(), r.Byte(), r.Byte(), r.Byte()});
  if (bitfields) {
    static const std::uint32_t kMasks[][3] = {
        {0xF800, 0x07E0, 0x001F}, {0x7C00, 0x03E0, 0x001F}, {0x0F00, 0x00F0, 0x000F}, {0, 0, 0}};
    const std::uint32_t* m = kMasks[r.Below(4)];
    const bool random = r.Below(3) == 0;
    for (int i = 0; i < 3; ++i) b.U32(random ? (r.rng() & 0xFFFF) : m[i]);
  }
  b.Zeros(gap);
  const std::uint64_t pixelBytes = RowStride(width, depth) * static_cast<std::uint64_t>(height);
  for (std::uint64_t i = 0; i < pixelBytes; ++i) b.U8(r.Byte());
  std::vector<std::uint8_t> bytes = b.data();
  switch (r.Below(8)) {
    case 0:
      bytes.resize(r.Below(static_cast<std::uint32_t>(bytes.size()) + 1));
      break;  // cut anywhere
    case 1:
      bytes.resize(offBits + r.Below(static_cast<std::uint32_t>(pixelBytes) + 1));
      break;  // in the pixels
    case 2: {
      // One header byte changed, but not the size: a large picture is what the
      // whole-picture pipeline refuses and the streaming one takes.
      const std::uint32_t at = r.Below(54 - 8);
      bytes[at < 18 ? at : at + 8] = r.Byte();
      break;
    }
    default:
      break;
  }
  return bytes;
}
