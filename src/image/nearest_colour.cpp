// SPDX-License-Identifier: MIT
#include "image/nearest_colour.h"

#include <algorithm>
#include <limits>
#include <new>

#include "image/colour_tables.h"

namespace bmpresize {

namespace {

constexpr int kCells = 32 * 64 * 32;

// A box of colours, each channel from lo to hi: blue, green, red.
struct Box {
  int lo[3];
  int hi[3];
};

int Gap(int v, int lo, int hi) { return v < lo ? lo - v : v > hi ? v - hi : 0; }
int Far(int v, int lo, int hi) { return std::max(v - lo, hi - v); }

int LeastDistance(PixelBGRA e, const Box& box) {
  const int b = Gap(e.blue, box.lo[0], box.hi[0]);
  const int g = Gap(e.green, box.lo[1], box.hi[1]);
  const int r = Gap(e.red, box.lo[2], box.hi[2]);
  return b * b + g * g + r * r;
}

int GreatestDistance(PixelBGRA e, const Box& box) {
  const int b = Far(e.blue, box.lo[0], box.hi[0]);
  const int g = Far(e.green, box.lo[1], box.hi[1]);
  const int r = Far(e.red, box.lo[2], box.hi[2]);
  return b * b + g * g + r * r;
}

// Of the n entries listed in from (in index order), those that can be nearest
// to some colour in box, into kept in the same order: how many.
int Prune(const PixelBGRA* entries, const std::uint8_t* from, int n, const Box& box, std::uint8_t* kept) {
  int bound = std::numeric_limits<int>::max();
  for (int i = 0; i < n; ++i) bound = std::min(bound, GreatestDistance(entries[from[i]], box));
  int k = 0;
  for (int i = 0; i < n; ++i) {
    if (LeastDistance(entries[from[i]], box) <= bound) kept[k++] = from[i];
  }
  return k;
}

// Whether entry a (index ia) wins over entry b (index ib) at every colour of
// box: nearer, or as near with the lower index. The difference of the squared
// distances, |a|^2 - |b|^2 - 2 x.(a - b), is linear in the colour x, so its
// greatest value over the box lies at the corner that each channel's sign
// picks.
bool WinsThroughout(PixelBGRA a, int ia, PixelBGRA b, int ib, const Box& box) {
  const int av[3] = {a.blue, a.green, a.red};
  const int bv[3] = {b.blue, b.green, b.red};
  int most = 0;
  for (int c = 0; c < 3; ++c) {
    const int step = av[c] - bv[c];
    const int x = step > 0 ? box.lo[c] : box.hi[c];
    most += av[c] * av[c] - bv[c] * bv[c] - 2 * x * step;
  }
  return most < 0 || (most == 0 && ia < ib);
}

// Leaves out of the n entries of list (in index order) those that another
// listed entry wins over throughout box; how many are left, in order. The
// entry nearest to a colour of the box is never left out, and where one entry
// is nearest throughout the box it is left alone.
int KeepUnbeaten(const PixelBGRA* entries, std::uint8_t* list, int n, const Box& box) {
  std::uint8_t beaten[kMaxPaletteEntries] = {};
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i < n && !beaten[j]; ++i) {
      if (i != j && WinsThroughout(entries[list[i]], list[i], entries[list[j]], list[j], box)) beaten[j] = 1;
    }
  }
  int k = 0;
  for (int j = 0; j < n; ++j) {
    if (!beaten[j]) list[k++] = list[j];
  }
  return k;
}

// A block of cells of the 32 x 64 x 32 grid: from first to first + size - 1
// along blue, green and red.
struct Cells {
  int first[3];
  int size[3];
};

Box BoxOf(const Cells& cells) {
  Box box{};
  for (int c = 0; c < 3; ++c) {
    box.lo[c] = GridSlabs::Lowest(c, cells.first[c]);
    box.hi[c] = GridSlabs::Highest(c, cells.first[c] + cells.size[c] - 1);
  }
  return box;
}

// Calls visit(cell, list, n) for every cell inside cells with the entries
// that can be nearest there, pruned from the n of list: for the block as a
// whole, then for each of its halves in turn down to single cells, each from
// its block's list, so that a cell is pruned from a short list.
template <typename Visit>
void WalkCells(const PixelBGRA* entries, const Cells& cells, const std::uint8_t* list, int n, Visit& visit) {
  std::uint8_t kept[kMaxPaletteEntries];
  const Box box = BoxOf(cells);
  int k = Prune(entries, list, n, box, kept);
  // A cell's list keeps no beaten entry. A block's short list loses them too,
  // which spares its halves pruning them again; a long one costs more to
  // compare pairwise than that spares.
  const bool cell = cells.size[0] == 1 && cells.size[1] == 1 && cells.size[2] == 1;
  if (cell || k <= 32) k = KeepUnbeaten(entries, kept, k, box);
  if (cell) {
    visit(GridSlabs::Cell(cells.first[0], cells.first[1], cells.first[2]), kept, k);
    return;
  }
  int halves[3];
  for (int c = 0; c < 3; ++c) halves[c] = cells.size[c] > 1 ? 2 : 1;
  for (int r = 0; r < halves[2]; ++r) {
    for (int g = 0; g < halves[1]; ++g) {
      for (int b = 0; b < halves[0]; ++b) {
        Cells half = cells;
        const int pick[3] = {b, g, r};
        for (int c = 0; c < 3; ++c) {
          if (halves[c] == 1) continue;
          half.size[c] = cells.size[c] / 2;
          half.first[c] = cells.first[c] + pick[c] * half.size[c];
        }
        WalkCells(entries, half, kept, k, visit);
      }
    }
  }
}

// Calls visit(cell, list, n) for every cell of the grid.
template <typename Visit>
void WalkGrid(const PixelBGRA* entries, int count, Visit visit) {
  std::uint8_t all[kMaxPaletteEntries];
  for (int i = 0; i < count; ++i) all[i] = static_cast<std::uint8_t>(i);
  WalkCells(entries, Cells{{0, 0, 0}, {32, 64, 32}}, all, count, visit);
}

bool AllGrey(const PixelBGRA* entries, int count) {
  return std::all_of(entries, entries + count, [](PixelBGRA e) { return e.blue == e.green && e.green == e.red; });
}

// A colour whose blue, green and red add up to sum.
PixelBGRA WithSum(int sum) {
  const int blue = std::min(sum, 255);
  const int green = std::min(sum - blue, 255);
  return {static_cast<std::uint8_t>(blue), static_cast<std::uint8_t>(green),
          static_cast<std::uint8_t>(sum - blue - green), 0};
}

std::uint64_t CandidateCount(const PixelBGRA* entries, int count) {
  std::uint64_t total = 0;
  WalkGrid(entries, count, [&total](int, const std::uint8_t*, int n) {
    if (n > 1) total += static_cast<std::uint64_t>(n);
  });
  return total;
}

}  // namespace

std::uint64_t NearestColour::BytesFor(const PixelBGRA* entries, std::int32_t count) {
  if (AllGrey(entries, count)) return 0;
  return sizeof(std::uint32_t) * kCells + CandidateCount(entries, count);
}

bool NearestColour::Build(const PixelBGRA* entries, std::int32_t count, std::uint64_t bytes) {
  std::copy(entries, entries + count, entries_.begin());
  greys_ = AllGrey(entries, count);
  if (greys_) {
    for (int sum = 0; sum < static_cast<int>(bySum_.size()); ++sum)
      bySum_[static_cast<std::size_t>(sum)] = NearestIndexIn(entries, count, WithSum(sum));
    return true;
  }
  const std::uint64_t cellBytes = sizeof(std::uint32_t) * kCells;
  if (bytes < cellBytes) return false;
  const std::uint64_t room = bytes - cellBytes;
  cells_.reset(new (std::nothrow) std::uint32_t[kCells]);
  candidates_.reset(new (std::nothrow) std::uint8_t[room]);
  if (!cells_ || !candidates_) return false;
  std::uint64_t next = 0;
  bool fits = true;
  WalkGrid(entries, count, [this, room, &next, &fits](int cell, const std::uint8_t* list, int n) {
    if (n == 1) {
      cells_[cell] = std::uint32_t{list[0]} << 8;
      return;
    }
    fits = fits && next + static_cast<std::uint64_t>(n) <= room;
    if (!fits) return;
    cells_[cell] = static_cast<std::uint32_t>(next) << 8 | static_cast<std::uint32_t>(n - 1);
    std::copy(list, list + n, candidates_.get() + next);
    next += static_cast<std::uint64_t>(n);
  });
  return fits;
}

std::uint8_t NearestColour::FromList(std::uint32_t cell, std::uint8_t blue, std::uint8_t green,
                                     std::uint8_t red) const {
  const std::uint8_t* list = candidates_.get() + (cell >> 8);
  const std::uint32_t n = (cell & 0xFF) + 1;
  std::uint8_t result = list[0];
  const auto distance = [blue, green, red](PixelBGRA e) {
    const int db = e.blue - blue;
    const int dg = e.green - green;
    const int dr = e.red - red;
    return db * db + dg * dg + dr * dr;
  };
  int best = distance(entries_[result]);
  for (std::uint32_t i = 1; i < n; ++i) {
    const int d = distance(entries_[list[i]]);
    if (d < best) {
      best = d;
      result = list[i];
    }
  }
  return result;
}

}  // namespace bmpresize
