// SPDX-License-Identifier: MIT
// The depths a BMP file's pixels may have, one row each. A depth a file may
// have need not be one a picture can have (image/depth.h): the reader hands
// every row over in full colour, so a 2-bit file needs nothing of the image.
#pragma once

#include <cstdint>

namespace bmpresize {

struct FileDepth {
  std::int32_t bits;
  // The pixels are indices into a colour table of 2^bits entries.
  bool colourTable;
  // The 12-byte OS/2 1.x header may carry it too.
  bool inCoreHeader;
};

inline constexpr FileDepth kFileDepths[] = {
    {1, true, true},
    // Four pixels a byte, as devices with four-grey screens save them. No
    // standard table: what the file does not give is white.
    {2, true, false},
    {4, true, true},
    {8, true, true},
    {16, false, false},
    {24, false, true},
    {32, false, false},
};

// The row of this depth; null for a depth no file has.
inline const FileDepth* FileDepthFor(std::int32_t bits) {
  for (const FileDepth& depth : kFileDepths) {
    if (depth.bits == bits) return &depth;
  }
  return nullptr;
}

inline bool HasColourTable(std::int32_t bits) {
  const FileDepth* depth = FileDepthFor(bits);
  return depth != nullptr && depth->colourTable;
}

}  // namespace bmpresize
