// SPDX-License-Identifier: MIT
// The BMP file as this library reads and writes it:
//
//   offset 0    file header, 14 bytes (BmpFileHeader)
//   offset 14   info header, 40 bytes (BmpInfoHeader) as this library writes it
//   offset 54   colour table, 4 bytes an entry (blue, green, red, alpha), for 1, 4, 8 bits
//               or the mask block, three 32-bit masks red, green, blue, for 16-bit BI_BITFIELDS
//   bfOffBits   pixel array: rows bottom-up, each padded with zeros to a multiple of 4 bytes
//
// Files written by other programs may carry another info header (see
// HeaderKind; the colour table then follows it, while bit-field masks still
// start at offset 54), run-length encoded 8-bit and 4-bit pixels, 32-bit bit
// fields, 2-bit pixels (four a byte, with a colour table of four entries), or
// rows top-down (a negative height). The reader takes those as well; the
// writer never writes them.
//
// Every field is little-endian and transferred one at a time at its own width.
// A record starts from the defaults below; a read that fails leaves the default.
#pragma once

#include <cstdint>

namespace bmpresize {

inline constexpr std::uint16_t kBmpSignature = 0x4D42;  // "BM" in file order
inline constexpr std::uint32_t kFileHeaderSize = 14;
inline constexpr std::uint32_t kInfoHeaderSize = 40;
inline constexpr std::uint32_t kHeadersSize = kFileHeaderSize + kInfoHeaderSize;  // 54
inline constexpr std::uint32_t kMaskBlockSize = 12;
inline constexpr std::uint32_t kBiRgb = 0;
inline constexpr std::uint32_t kBiRle8 = 1;
inline constexpr std::uint32_t kBiRle4 = 2;
inline constexpr std::uint32_t kBiBitfields = 3;
inline constexpr std::uint32_t kBiJpeg = 4;  // RLE24 in a 64-byte OS/2 2.x header
inline constexpr std::uint32_t kBiAlphaBitfields = 6;
// The 16-bit layout the writer always uses, 5-6-5: red in bits 15-11, green in
// 10-5, blue in 4-0.
struct Rgb565Masks {
  std::uint16_t red, green, blue;
};
inline constexpr Rgb565Masks kRgb565Masks{0xF800, 0x07E0, 0x001F};
// The 32-bit layout written for pixels with alpha, in a 108-byte header after
// the 40-byte one's fields: the masks red, green, blue and alpha (the fourth
// byte of each pixel), the colour space sRGB, then the endpoints (36 bytes)
// and gammas (12 bytes), all 0.
inline constexpr std::uint32_t kV4HeaderSize = 108;
struct AlphaMasks {
  std::uint32_t red, green, blue, alpha;
};
inline constexpr AlphaMasks kAlphaMasks{0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
inline constexpr std::uint32_t kSrgbColourSpace = 0x73524742;  // "sRGB" read as a little-endian number
// Written when an image has no resolution of its own (about 96 dots per inch).
inline constexpr std::int32_t kDefaultPixelsPerMetre = 3780;

struct BmpFileHeader {
  // The signature defaults to "BM": an empty file keeps it, which is why a
  // signature test alone accepts an empty file and the reader must refuse it.
  std::uint16_t bfType = kBmpSignature;
  std::uint32_t bfSize = 0;
  std::uint16_t bfReserved1 = 0;
  std::uint16_t bfReserved2 = 0;
  std::uint32_t bfOffBits = 0;
};

struct BmpInfoHeader {
  std::uint32_t biSize = 0;
  std::int32_t biWidth = 0;
  std::int32_t biHeight = 0;
  std::uint16_t biPlanes = 1;
  std::uint16_t biBitCount = 0;
  std::uint32_t biCompression = kBiRgb;
  std::uint32_t biSizeImage = 0;
  std::int32_t biXPelsPerMeter = kDefaultPixelsPerMetre;
  std::int32_t biYPelsPerMeter = kDefaultPixelsPerMetre;
  std::uint32_t biClrUsed = 0;
  std::uint32_t biClrImportant = 0;
};

// Bytes the pixels of one row occupy, without the padding: width x depth bits
// rounded up to whole bytes. Computed in 64 bits, so any width and depth give
// the exact value.
inline std::uint64_t RowDataSize(std::int64_t width, std::int64_t depth) {
  return (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(depth) + 7) / 8;
}

// Bytes one pixel row occupies in the file: the row data rounded up to a
// multiple of 4 with padding.
inline std::uint64_t RowStride(std::int64_t width, std::int64_t depth) {
  return (RowDataSize(width, depth) + 3) / 4 * 4;
}

// What an info header holds, by its size (biSize). A header of any other size
// is read as the 40-byte one.
struct HeaderKind {
  std::uint32_t size;
  // OS/2 1.x: 16-bit width and height, planes and depth only (no
  // compression, no resolution), and 3-byte colour-table entries.
  bool core;
  // A 32-bit bit-field file has an alpha mask after the three colour masks.
  bool alphaMask;
  // OS/2 2.x: compression 3 means Huffman coding, not bit fields.
  bool huffman;
};

inline constexpr HeaderKind kHeaderKinds[] = {
    {12, true, false, false},   // OS/2 1.x
    {40, false, false, false},  // the header this library writes
    {52, false, false, false},  // with the red, green and blue masks
    {56, false, true, false},   // with an alpha mask too
    {64, false, false, true},   // OS/2 2.x
    {108, false, true, false},  // with colour space and gamma
    {124, false, true, false},  // with rendering intent and profile
};

// The kind of a header of this size; the 40-byte kind for any other size.
inline const HeaderKind& HeaderKindFor(std::uint32_t size) {
  for (const HeaderKind& kind : kHeaderKinds) {
    if (kind.size == size) return kind;
  }
  return kHeaderKinds[1];
}

// Where the colour table starts: right after the info header.
inline std::uint32_t TableOffset(const HeaderKind& kind) { return kFileHeaderSize + kind.size; }

}  // namespace bmpresize
