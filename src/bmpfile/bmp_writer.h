// SPDX-License-Identifier: MIT
// The head of a BMP file as the resize writes it: the destination's layout,
// the two header records it is written with (checked to fit their 32-bit
// fields), and the bytes from the file's start to its pixel data.
//
// Paletted depths write the full table of 2^depth entries; 16 bits are always
// written as BI_BITFIELDS in kRgb565Masks; 24 and 32 bits as direct colour. A
// resolution of 0 is written as 3780.
#pragma once

#include <cstdint>

#include "bmpfile/bmp_headers.h"
#include "bmpfile/byte_sink.h"
#include "image/palette.h"
#include "image/resolution.h"
#include "result/status.h"

namespace bmpresize {

struct BmpLayout {
  std::int32_t width = 1;
  std::int32_t height = 1;
  std::int32_t depth = 24;
  Resolution resolution;
  // The table for depth 1, 4 and 8; null there means the standard table.
  const Palette* palette = nullptr;
  // At 32 bits: written with a 108-byte header whose masks give the fourth
  // byte as alpha (kAlphaMasks), in the sRGB colour space.
  bool alpha = false;
};

// The two header records a layout is written with, and whether its sizes fit
// the 32-bit fields (and one row a signed 32-bit count of bytes).
struct BmpHeaders {
  BmpFileHeader file;
  BmpInfoHeader info;
  bool fits = false;
};
BmpHeaders HeadersFor(const BmpLayout& layout);
// The two records as the file holds them, byte by byte.
void EncodeHeaders(const BmpHeaders& headers, std::uint8_t (&out)[kHeadersSize]);
// The bytes from the file's start to its pixel data, in one write: the two
// records, then for 1, 4 and 8 bits the table's 2^depth entries (table, which
// holds them), for 16 bits the mask block. WRITE_FAILED with the system's
// error number when the sink took less.
Status WriteFileHead(ByteSink& sink, const BmpHeaders& headers, const Palette& table);

}  // namespace bmpresize
