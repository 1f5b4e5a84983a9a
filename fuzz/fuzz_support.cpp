// SPDX-License-Identifier: MIT
#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>

#include "bmpfile/layout_reader.h"
#include "bmpfile/little_endian.h"

using namespace bmpresize;

namespace {

struct Sides {
  std::int64_t width = 0;
  std::int64_t height = 0;
};

// The sides the bytes' header claims; 0 x 0 when it claims no picture.
Sides ClaimedSides(const std::uint8_t* data, std::size_t size) {
  Sides sides;
  if (size < 22) return sides;
  if (LoadU32LE(data + 14) == 12) {
    // OS/2 1.x: unsigned 16-bit sides.
    sides.width = LoadU16LE(data + 18);
    sides.height = LoadU16LE(data + 20);
  } else {
    if (size < 26) return sides;
    sides.width = static_cast<std::int32_t>(LoadU32LE(data + 18));
    // A negative height is a top-down picture of that many rows.
    sides.height = std::abs(std::int64_t{static_cast<std::int32_t>(LoadU32LE(data + 22))});
  }
  if (sides.width <= 0 || sides.height <= 0) return Sides();
  return sides;
}

}  // namespace

bool ClaimsCostlySize(const std::uint8_t* data, std::size_t size, std::int64_t maxPixels) {
  const Sides sides = ClaimedSides(data, size);
  const std::int64_t pixels = sides.width * sides.height;
  return pixels > maxPixels && sides.height > kWideRowsFuzzed && pixels <= kMaxSourcePixels;
}

std::int64_t ClaimedPixels(const std::uint8_t* data, std::size_t size) {
  const Sides sides = ClaimedSides(data, size);
  return sides.width * sides.height;
}

void FuzzFailure(const char* file, int line, const char* what) {
  std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
  std::abort();
}
