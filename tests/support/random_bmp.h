// SPDX-License-Identifier: MIT
// Random BMP files for differential tests: every depth the reader takes, with
// short or long palettes, gaps, 16-bit masks, and now and then cut short or
// damaged in its headers. The same seed gives the same files everywhere.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

struct Random {
  std::mt19937 rng;
  std::uint32_t Below(std::uint32_t n) { return static_cast<std::uint32_t>(rng() % n); }
  std::uint8_t Byte() { return static_cast<std::uint8_t>(rng()); }
};

std::vector<std::uint8_t> RandomBmp(Random& r);
