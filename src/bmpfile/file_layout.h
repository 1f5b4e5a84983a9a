// SPDX-License-Identifier: MIT
// What a BMP file's headers say, in one record that the header stage of the
// reader fills and nothing changes afterwards: the picture's size and depth,
// how its rows are stored, its colour table or bit-field masks, and the
// header records as read.
#pragma once

#include <cstdint>

#include "bmpfile/bmp_headers.h"
#include "bmpfile/row_decoders.h"
#include "image/palette.h"
#include "image/resolution.h"

namespace bmpresize {

// How the pixel rows lie in the file; each way has a row reader of its own.
enum class RowStorage {
  kBottomUp,          // whole rows, the bottom one first
  kTopDown,           // whole rows, the top one first (a negative height)
  kRunLength,         // 8-bit or 4-bit run-length encoded, the bottom row first
  kTopDownRunLength,  // the same, the top row first (a negative height)
};

// Whether the file's first row is the picture's top one.
inline bool IsTopDown(RowStorage storage) {
  return storage == RowStorage::kTopDown || storage == RowStorage::kTopDownRunLength;
}

struct FileLayout {
  BmpFileHeader file;
  // For an OS/2 1.x file: its width, height, planes and depth, no
  // compression and a resolution of 0.
  BmpInfoHeader info;
  HeaderKind header = kHeaderKinds[1];
  std::int32_t width = 0;
  std::int32_t height = 0;  // positive also for a top-down file
  // Bits per pixel as the file says: 32 for every 32-bit file, bit fields
  // included; 8 and 4 for run-length encoded files; 2 for a 2-bit file,
  // which no picture has (the rows come in full colour whatever the depth).
  std::int32_t depth = 0;
  RowStorage storage = RowStorage::kBottomUp;
  std::int32_t stride = 0;  // bytes of one file row, padding included
  // The colour table of a 1, 2, 4 or 8-bit file: 2^depth entries, and white
  // beyond them.
  Palette palette{};
  // The entries the colour table has, as bfOffBits counts them.
  std::int32_t colours = 0;
  // An indexed file whose pixel data starts where its colour table would:
  // the table has no entry, and every pixel is white.
  bool noColourTable = false;
  // 16-bit pixels: the channel masks (5-5-5 without bit fields).
  ChannelMasks masks16;
  ChannelShifts shifts16{};
  // 32-bit bit fields.
  bool fields32 = false;
  FieldLayout32 layout32;
  // Where the reader takes the pixel data from: bfOffBits, or right after
  // the tables and masks read where bfOffBits points inside them; -1 when the
  // source cannot tell its position.
  std::int64_t dataOffset = -1;

  // Whether the header declares an alpha mask: 32-bit bit fields whose alpha
  // mask is not 0.
  bool HasAlpha() const { return fields32 && layout32.masks.alpha != 0; }

  // The resolution the info header gives (0 for OS/2 1.x files, which carry none).
  Resolution FileResolution() const { return {info.biXPelsPerMeter, info.biYPelsPerMeter}; }
};

}  // namespace bmpresize
