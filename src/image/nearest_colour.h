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
// Any other table is looked up in a grid of 32 x 64 x 32 cells (the top 5 bits
// of red and of blue, 6 of green). Each cell lists, in index order, the entries
// that can be nearest to some colour inside it: an entry is left out only when
// its least distance to the cell is above the greatest distance to the cell of
// some other entry, which then is nearer to every colour there. The nearest
// entry, and every entry as near, is always listed, so the exact rule over the
// list gives the full search's answer.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "image/palette.h"
#include "image/pixel_bgra.h"

namespace bmpresize {

class NearestColour {
 public:
  // The bytes that Build takes for a table of count entries (1 to 256).
  static std::uint64_t BytesFor(const PixelBGRA* entries, std::int32_t count);
  // False when memory for the grid could not be had.
  [[nodiscard]] bool Build(const PixelBGRA* entries, std::int32_t count);

  std::uint8_t IndexOf(std::uint8_t blue, std::uint8_t green, std::uint8_t red) const {
    if (greys_) return bySum_[static_cast<std::size_t>(blue + green + red)];
    return FromGrid(blue, green, red);
  }

 private:
  std::uint8_t FromGrid(std::uint8_t blue, std::uint8_t green, std::uint8_t red) const;

  Palette entries_{};
  bool greys_ = false;
  std::array<std::uint8_t, 3 * 255 + 1> bySum_{};
  // Per cell: where its list starts in candidates_ (top 24 bits) and its
  // length less 1 (low 8 bits).
  std::unique_ptr<std::uint32_t[]> cells_;
  std::unique_ptr<std::uint8_t[]> candidates_;
};

}  // namespace bmpresize
