// SPDX-License-Identifier: MIT
#include "image/colour_tables.h"

#include "image/depth.h"

namespace bmpresize {

namespace {

PixelBGRA Rgb(int red, int green, int blue) {
  return {static_cast<std::uint8_t>(blue), static_cast<std::uint8_t>(green), static_cast<std::uint8_t>(red), 0};
}

// Entries 0 to 7 of the 4-bit table and 0 to 6 of the 8-bit one: 128 for each
// set bit, bit 0 red, bit 1 green, bit 2 blue.
PixelBGRA DarkPrimary(int i) { return Rgb(128 * (i & 1), 128 * ((i >> 1) & 1), 128 * ((i >> 2) & 1)); }

// Entries 9 to 15 of the 4-bit table: the same with 255 for index - 8.
PixelBGRA BrightPrimary(int i) { return Rgb(255 * (i & 1), 255 * ((i >> 1) & 1), 255 * ((i >> 2) & 1)); }

void FillTable4(PixelBGRA* e) {
  for (int i = 0; i < 8; ++i) e[i] = DarkPrimary(i);
  e[8] = Rgb(192, 192, 192);
  for (int i = 9; i < 16; ++i) e[i] = BrightPrimary(i - 8);
}

void FillTable8(PixelBGRA* e) {
  // A grid of 4 blue by 8 green by 8 red levels, red varying fastest, with the
  // system colours laid over both ends.
  for (int i = 0; i < 256; ++i) e[i] = Rgb(32 * (i % 8), 32 * ((i / 8) % 8), 64 * (i / 64));
  for (int i = 0; i < 7; ++i) e[i] = DarkPrimary(i);
  e[7] = Rgb(192, 192, 192);
  e[8] = Rgb(192, 220, 192);
  e[9] = Rgb(166, 202, 240);
  e[246] = Rgb(255, 251, 240);
  e[247] = Rgb(160, 160, 164);
  e[248] = Rgb(128, 128, 128);
  e[249] = Rgb(255, 0, 0);
  e[250] = Rgb(0, 255, 0);
  e[251] = Rgb(255, 255, 0);
  e[252] = Rgb(0, 0, 255);
  e[253] = Rgb(255, 0, 255);
  e[254] = Rgb(0, 255, 255);
  e[255] = Rgb(255, 255, 255);
}

}  // namespace

std::int32_t PaletteSizeForDepth(std::int32_t depth) {
  // 32-bit images count 2^24 colours: the alpha byte adds no colours.
  const std::int32_t bits = depth == 32 ? 24 : depth;
  return bits >= 0 && bits <= 24 ? std::int32_t{1} << bits : 0;
}

bool FillStandardTable(std::int32_t depth, Palette& entries) {
  switch (depth) {
    case 1:
      entries[0] = Rgb(0, 0, 0);
      entries[1] = Rgb(255, 255, 255);
      return true;
    case 4:
      FillTable4(entries.data());
      return true;
    case 8:
      FillTable8(entries.data());
      return true;
    default:
      return false;
  }
}

bool FillGreyTable(std::int32_t depth, Palette& entries) {
  if (!IsPalettedDepth(depth)) return false;
  const std::int32_t last = PaletteSizeForDepth(depth) - 1;
  for (std::int32_t i = 0; i <= last; ++i) {
    const int level = (2 * 255 * i + last) / (2 * last);  // 255 x i / last, halves up
    entries[static_cast<std::size_t>(i)] = Rgb(level, level, level);
  }
  return true;
}

Palette TableFor(std::int32_t depth, bool grey) {
  Palette table{};
  if (grey) {
    FillGreyTable(depth, table);
  } else {
    FillStandardTable(depth, table);
  }
  return table;
}

std::uint8_t NearestIndexIn(const PixelBGRA* entries, std::int32_t count, PixelBGRA colour) {
  std::int32_t best = 999999;  // above the largest distance, 3 x 255^2
  std::uint8_t result = 0;
  for (std::int32_t i = 0; i < count; ++i) {
    const PixelBGRA e = entries[i];
    const std::int32_t db = e.blue - colour.blue;
    const std::int32_t dg = e.green - colour.green;
    const std::int32_t dr = e.red - colour.red;
    const std::int32_t d = db * db + dg * dg + dr * dr;
    if (d < best) {
      best = d;
      result = static_cast<std::uint8_t>(i);
      if (best == 0) break;
    }
  }
  return result;
}

}  // namespace bmpresize
