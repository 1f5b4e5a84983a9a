// SPDX-License-Identifier: MIT
// The nearest entry of a colour table for any colour: the index NearestIndexIn
// answers (squared distance over blue, green and red, the lowest index on
// ties), found with a few distance computations rather than one an entry.
//
// A table whose entries are all grey (blue = green = red) is looked up by the
// colour's sum s = blue + green + red alone: a grey v lies at 3v^2 - 2vs +
// (blue^2 + green^2 + red^2) from the colour, and the last term is the same
// for every entry, so the order of the distances depends on s only. 766 sums,
// one answer each.
//
// Any other table is looked up in a grid of 32 x 64 x 32 cells (GridSlabs:
// slabs 8 values wide along red and blue, 4 along green). Each cell lists, in
// index order, the entries that can be nearest to some colour inside it: an
// entry is left out only when its least distance to the cell is above the
// greatest distance to the cell of some other entry, which then is nearer to
// every colour there. The nearest entry, and every entry as near, is always
// listed, so the exact rule over the list gives the full search's answer. A
// cell with one entry listed holds that entry's index itself, and most
// colours are answered by one read.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "image/palette.h"
#include "image/pixel_bgra.h"

namespace bmpresize {

// The slabs of the grid along blue, green and red (channel 0, 1, 2): slab k
// of a channel w values wide holds w(k - 1) + 1 to wk, the first 0 alone
// and the last up to 255. Slabs end on a multiple of their width, not one
// below it, because tables of evenly spaced levels (multiples of 32 or 64)
// have their ties half way between two levels, on a multiple of 16, and give
// them to the lower level's entry: a slab that ends there holds colours of
// one level only, and its cell lists one entry.
struct GridSlabs {
  static constexpr int kShift[3] = {3, 2, 3};
  static constexpr int kCount[3] = {32, 64, 32};

  static int Of(int channel, int v) {
    const int slab = (v + (1 << kShift[channel]) - 1) >> kShift[channel];
    return slab < kCount[channel] ? slab : kCount[channel] - 1;
  }
  static int Lowest(int channel, int slab) { return slab == 0 ? 0 : ((slab - 1) << kShift[channel]) + 1; }
  static int Highest(int channel, int slab) { return slab == kCount[channel] - 1 ? 255 : slab << kShift[channel]; }
  static int Cell(int blueSlab, int greenSlab, int redSlab) { return redSlab << 11 | greenSlab << 5 | blueSlab; }
  static int CellOf(int blue, int green, int red) { return Cell(Of(0, blue), Of(1, green), Of(2, red)); }
};

class NearestColour {
 public:
  // The bytes that Build takes for a table of count entries (1 to 256),
  // besides the object itself.
  static std::uint64_t BytesFor(const PixelBGRA* entries, std::int32_t count);
  // bytes: BytesFor's answer for the same table, worked out once by whoever
  // counts them. False when memory for the grid could not be had, or bytes
  // was too few.
  [[nodiscard]] bool Build(const PixelBGRA* entries, std::int32_t count, std::uint64_t bytes);

  std::uint8_t IndexOf(std::uint8_t blue, std::uint8_t green, std::uint8_t red) const {
    if (greys_) return bySum_[static_cast<std::size_t>(blue + green + red)];
    const std::uint32_t cell = cells_[static_cast<std::size_t>(GridSlabs::CellOf(blue, green, red))];
    if ((cell & 0xFF) == 0) return static_cast<std::uint8_t>(cell >> 8);
    return FromList(cell, blue, green, red);
  }

 private:
  std::uint8_t FromList(std::uint32_t cell, std::uint8_t blue, std::uint8_t green, std::uint8_t red) const;

  Palette entries_{};
  bool greys_ = false;
  std::array<std::uint8_t, 3 * 255 + 1> bySum_{};
  // Per cell: where its list starts in candidates_ (top 24 bits) and its
  // length less 1 (low 8 bits); for a list of one, its entry (bits 8 to 15).
  std::unique_ptr<std::uint32_t[]> cells_;
  std::unique_ptr<std::uint8_t[]> candidates_;
};

}  // namespace bmpresize
