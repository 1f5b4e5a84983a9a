// SPDX-License-Identifier: MIT
#include "bmpfile/bmp_writer.h"

#include <cstring>
#include <limits>

#include "bmpfile/little_endian.h"
#include "image/colour_tables.h"
#include "image/depth.h"

namespace bmpresize {

namespace {

// The bytes after the 40-byte header's fields: the rest of a 108-byte header,
// or a colour table, or the 16-bit mask block.
std::uint32_t ColourTableSize(std::int32_t depth, bool alpha) {
  if (alpha) return kV4HeaderSize - kInfoHeaderSize;
  if (IsPalettedDepth(depth)) return 4 * static_cast<std::uint32_t>(PaletteSizeForDepth(depth));
  if (depth == 16) return kMaskBlockSize;
  return 0;
}

}  // namespace

BmpHeaders HeadersFor(const BmpLayout& layout) {
  BmpHeaders h;
  const std::uint64_t imageSize = RowStride(layout.width, layout.depth) * static_cast<std::uint64_t>(layout.height);
  const bool alpha = layout.alpha && layout.depth == 32;
  const std::uint32_t tableSize = ColourTableSize(layout.depth, alpha);
  const std::uint64_t fileSize = kHeadersSize + tableSize + imageSize;
  // The file's sizes must fit its 32-bit fields, and one row the writer's buffer.
  h.fits =
      layout.width > 0 && layout.height > 0 && IsSupportedDepth(layout.depth) &&
      fileSize <= std::numeric_limits<std::uint32_t>::max() &&
      RowStride(layout.width, layout.depth) <= static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());

  h.file.bfType = kBmpSignature;
  h.file.bfSize = static_cast<std::uint32_t>(fileSize);
  h.file.bfReserved1 = 0;
  h.file.bfReserved2 = 0;
  h.file.bfOffBits = kHeadersSize + tableSize;

  h.info.biSize = alpha ? kV4HeaderSize : kInfoHeaderSize;
  h.info.biWidth = layout.width;
  h.info.biHeight = layout.height;  // positive: rows bottom-up
  h.info.biPlanes = 1;
  h.info.biBitCount = static_cast<std::uint16_t>(layout.depth);
  h.info.biCompression = layout.depth == 16 || alpha ? kBiBitfields : kBiRgb;
  h.info.biSizeImage = static_cast<std::uint32_t>(imageSize);
  const Resolution r = layout.resolution;
  h.info.biXPelsPerMeter = r.xPixelsPerMetre != 0 ? r.xPixelsPerMetre : kDefaultPixelsPerMetre;
  h.info.biYPelsPerMeter = r.yPixelsPerMetre != 0 ? r.yPixelsPerMetre : kDefaultPixelsPerMetre;
  h.info.biClrUsed = 0;
  h.info.biClrImportant = 0;
  return h;
}

void EncodeHeaders(const BmpHeaders& h, std::uint8_t (&out)[kHeadersSize]) {
  std::uint8_t* p = out;
  const auto u16 = [&p](std::uint16_t v) {
    StoreU16LE(p, v);
    p += 2;
  };
  const auto u32 = [&p](std::uint32_t v) {
    StoreU32LE(p, v);
    p += 4;
  };
  u16(h.file.bfType);
  u32(h.file.bfSize);
  u16(h.file.bfReserved1);
  u16(h.file.bfReserved2);
  u32(h.file.bfOffBits);
  u32(h.info.biSize);
  u32(static_cast<std::uint32_t>(h.info.biWidth));
  u32(static_cast<std::uint32_t>(h.info.biHeight));
  u16(h.info.biPlanes);
  u16(h.info.biBitCount);
  u32(h.info.biCompression);
  u32(h.info.biSizeImage);
  u32(static_cast<std::uint32_t>(h.info.biXPelsPerMeter));
  u32(static_cast<std::uint32_t>(h.info.biYPelsPerMeter));
  u32(h.info.biClrUsed);
  u32(h.info.biClrImportant);
}

namespace {

// The colour table or the mask block that follows the headers of depth, into
// out: its bytes.
std::size_t EncodeTable(const BmpInfoHeader& info, const Palette& table, std::uint8_t* out) {
  const std::int32_t depth = info.biBitCount;
  if (info.biSize == kV4HeaderSize) {
    const std::uint32_t fields[] = {kAlphaMasks.red, kAlphaMasks.green, kAlphaMasks.blue, kAlphaMasks.alpha,
                                    kSrgbColourSpace};
    for (std::size_t i = 0; i < 5; ++i) StoreU32LE(out + 4 * i, fields[i]);
    std::memset(out + 20, 0, kV4HeaderSize - kInfoHeaderSize - 20);
    return kV4HeaderSize - kInfoHeaderSize;
  }
  if (depth == 16) {
    StoreU32LE(out, kRgb565Masks.red);
    StoreU32LE(out + 4, kRgb565Masks.green);
    StoreU32LE(out + 8, kRgb565Masks.blue);
    return kMaskBlockSize;
  }
  if (!IsPalettedDepth(depth)) return 0;
  const std::int32_t n = PaletteSizeForDepth(depth);
  for (std::int32_t i = 0; i < n; ++i, out += 4) {
    const PixelBGRA e = table[static_cast<std::size_t>(i)];
    out[0] = e.blue;
    out[1] = e.green;
    out[2] = e.red;
    out[3] = e.alpha;
  }
  return 4 * static_cast<std::size_t>(n);
}

}  // namespace

Status WriteFileHead(ByteSink& sink, const BmpHeaders& headers, const Palette& table) {
  std::uint8_t records[kHeadersSize];
  EncodeHeaders(headers, records);
  std::uint8_t bytes[kHeadersSize + 4 * kMaxPaletteEntries];
  std::memcpy(bytes, records, kHeadersSize);
  const std::size_t tableSize = EncodeTable(headers.info, table, bytes + kHeadersSize);
  return sink.Write(bytes, kHeadersSize + tableSize);
}

}  // namespace bmpresize
