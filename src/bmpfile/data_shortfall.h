// SPDX-License-Identifier: MIT
// Where a file's pixel data ended before its picture did: a file cut short.
// The rows read come from it; the others are white (in a 16-bit file they
// repeat the last pixel read, or are white when none was). A bottom-up file gives the picture's bottom
// rows, a top-down file its top rows. A run-length encoded file is cut short
// when its data ends before the end-of-bitmap mark and before it leaves its
// last row (the top one, or the bottom one when it is stored top-down).
#pragma once

#include <cstdint>

namespace bmpresize {

struct DataShortfall {
  bool cutShort = false;
  std::int64_t rowsRead = 0;      // whole rows of the picture that came from the file
  std::int64_t height = 0;        // the rows of the picture
  bool topDown = false;           // the rows read are the top ones
  bool repeatsLastPixel = false;  // a 16-bit file from which a pixel was read
};

}  // namespace bmpresize
