// SPDX-License-Identifier: MIT
// The lookup of the nearest table entry against the full search, for every
// one of the 2^24 colours and every table a resize writes with.
#include "image/nearest_colour.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "image/colour_tables.h"
#include "image/shared_lookups.h"

using namespace bmpresize;

namespace {

constexpr std::size_t kColours = std::size_t{1} << 24;

std::size_t Key(int blue, int green, int red) {
  return static_cast<std::size_t>(red) << 16 | static_cast<std::size_t>(green) << 8 | static_cast<std::size_t>(blue);
}

// The full search's answer for every colour, worked out a (red, green) line at
// a time: along a line only blue changes, so of the entries that share a blue
// value only the one with the least red and green distance (the lowest index
// among equals) can win, and each colour compares those few.
std::vector<std::uint8_t> NearestByLines(const PixelBGRA* entries, int count) {
  std::vector<std::uint8_t> answers(kColours);
  std::vector<int> blues;
  for (int i = 0; i < count; ++i) {
    if (std::find(blues.begin(), blues.end(), entries[i].blue) == blues.end()) blues.push_back(entries[i].blue);
  }
  std::vector<int> rest(blues.size());
  std::vector<int> index(blues.size());
  for (int red = 0; red < 256; ++red) {
    for (int green = 0; green < 256; ++green) {
      std::fill(index.begin(), index.end(), -1);
      for (int i = 0; i < count; ++i) {
        const int dr = entries[i].red - red;
        const int dg = entries[i].green - green;
        const std::size_t k =
            static_cast<std::size_t>(std::find(blues.begin(), blues.end(), entries[i].blue) - blues.begin());
        if (index[k] < 0 || dr * dr + dg * dg < rest[k]) {
          rest[k] = dr * dr + dg * dg;
          index[k] = i;
        }
      }
      for (int blue = 0; blue < 256; ++blue) {
        int best = 1 << 30;
        int answer = 0;
        for (std::size_t k = 0; k < blues.size(); ++k) {
          const int db = blues[k] - blue;
          const int d = db * db + rest[k];
          if (d < best || (d == best && index[k] < answer)) {
            best = d;
            answer = index[k];
          }
        }
        answers[Key(blue, green, red)] = static_cast<std::uint8_t>(answer);
      }
    }
  }
  return answers;
}

// The same for a table of greys, by the sum of the colour's channels: a grey
// v lies at 3v^2 - 2v x sum plus a term that is the same for every entry.
std::vector<std::uint8_t> NearestGreyBySum(const PixelBGRA* entries, int count) {
  std::vector<std::uint8_t> bySum(766);
  for (int sum = 0; sum < 766; ++sum) {
    long best = 0;
    for (int i = 0; i < count; ++i) {
      const long v = entries[i].blue;
      const long d = 3 * v * v - 2 * v * sum;
      if (i == 0 || d < best) {
        best = d;
        bySum[static_cast<std::size_t>(sum)] = static_cast<std::uint8_t>(i);
      }
    }
  }
  std::vector<std::uint8_t> answers(kColours);
  for (std::size_t c = 0; c < kColours; ++c) answers[c] = bySum[(c & 0xFF) + (c >> 8 & 0xFF) + (c >> 16)];
  return answers;
}

struct Table {
  const char* what;
  std::int32_t depth;
  bool grey;
  // Entries made equal to an earlier one, for ties: {copy, of}.
  std::vector<std::pair<int, int>> repeats;
};

TEST(NearestColour, IsTheFullSearchForEveryColour) {
  const Table tables[] = {
      {"standard 1-bit", 1, false, {}},
      {"standard 4-bit", 4, false, {}},
      {"standard 8-bit", 8, false, {}},
      {"2 greys", 1, true, {}},
      {"16 greys", 4, true, {}},
      {"256 greys", 8, true, {}},
      {"standard 8-bit with repeats", 8, false, {{5, 3}, {200, 100}, {255, 0}}},
  };
  std::mt19937 rng(26);
  for (const Table& t : tables) {
    SCOPED_TRACE(t.what);
    Palette entries{};
    ASSERT_TRUE(t.grey ? FillGreyTable(t.depth, entries) : FillStandardTable(t.depth, entries));
    for (const auto& [copy, of] : t.repeats)
      entries[static_cast<std::size_t>(copy)] = entries[static_cast<std::size_t>(of)];
    const std::int32_t count = PaletteSizeForDepth(t.depth);
    const bool greys = t.grey || t.depth == 1;
    const std::vector<std::uint8_t> truth =
        greys ? NearestGreyBySum(entries.data(), count) : NearestByLines(entries.data(), count);
    // The way truth is worked out is checked against the search itself on a sample.
    for (int i = 0; i < 20000; ++i) {
      const std::uint32_t c = rng() & 0xFFFFFF;
      const PixelBGRA colour{static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8),
                             static_cast<std::uint8_t>(c >> 16), 0};
      ASSERT_EQ(truth[c], NearestIndexIn(entries.data(), count, colour)) << std::hex << c;
    }
    // A table a resize writes with is checked in the lookup every resize shares.
    NearestColour own;
    ASSERT_TRUE(own.Build(entries.data(), count, NearestColour::BytesFor(entries.data(), count)));
    const NearestColour* shared = t.repeats.empty() && !t.grey ? SharedLookup(t.depth) : &own;
    ASSERT_NE(shared, nullptr);
    const NearestColour& nearest = *shared;
    std::size_t wrong = 0;
    std::size_t first = 0;
    for (std::size_t c = 0; c < kColours; ++c) {
      const std::uint8_t got = nearest.IndexOf(static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8),
                                               static_cast<std::uint8_t>(c >> 16));
      if (got != truth[c] && wrong++ == 0) first = c;
    }
    EXPECT_EQ(wrong, 0u) << "first at red, green, blue 0x" << std::hex << first;
  }
}

}  // namespace

// The lookups shared by every resize in a process: made once, and counted
// with the object that holds them.
TEST(NearestColour, SharedLookupsAreMadeOnce) {
  for (const std::int32_t depth : {1, 4, 8}) {
    SCOPED_TRACE(std::to_string(depth) + " bits");
    Palette entries{};
    ASSERT_TRUE(FillStandardTable(depth, entries));
    const std::uint64_t gridBytes = NearestColour::BytesFor(entries.data(), PaletteSizeForDepth(depth));
    EXPECT_EQ(SharedLookupBytes(depth), sizeof(NearestColour) + gridBytes);
    const NearestColour* shared = SharedLookup(depth);
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(SharedLookup(depth), shared);
  }
}

// A grid given fewer bytes than its lists take is refused, not overrun.
TEST(NearestColour, TooFewBytesAreRefused) {
  Palette entries{};
  ASSERT_TRUE(FillStandardTable(8, entries));
  const std::uint64_t bytes = NearestColour::BytesFor(entries.data(), 256);
  NearestColour nearest;
  EXPECT_FALSE(nearest.Build(entries.data(), 256, bytes - 1));
  EXPECT_FALSE(nearest.Build(entries.data(), 256, 1000));
  EXPECT_TRUE(nearest.Build(entries.data(), 256, bytes));
}
