// SPDX-License-Identifier: MIT
// The header stage of the reader: the file header, the info header, the
// checks, the colour table or bit-field masks, and the gap before the pixel
// data, read into a FileLayout. Afterwards the source stands at the first
// byte of the pixel data.
//
// Files taken: 1, 2, 4, 8, 16, 24 and 32 bits per pixel, uncompressed; 16 and
// 32 bits with bit fields; 8-bit and 4-bit run-length encoded files; every
// info header of HeaderKind, the 12-byte OS/2 1.x one at the depths
// kFileDepths gives it. Rows may run top-down (a negative height) in every
// file.
#pragma once

#include <cstdint>

#include "bmpfile/byte_source.h"
#include "bmpfile/file_layout.h"
#include "result/cause.h"

namespace bmpresize {

// The widest picture the reader takes, in pixels. Rows are held a few at a
// time, 4 bytes a pixel, so this bounds what one row can make a caller
// allocate (64 MiB), whatever the header says.
inline constexpr std::int64_t kMaxRowPixels = std::int64_t{1} << 24;
// The most pixels a picture may have: the reader hands rows over one at a
// time, so only the count has to stay addressable.
inline constexpr std::int64_t kMaxSourcePixels = 0x7FFFFFFF;

// False, with the cause, when the file is refused: its headers are short, its
// signature is not "BM", its compression, depth or size is not one this reader
// takes, or a read failed with an error. The layout then holds the fields as
// far as they were read (the resolution of a refused file among them).
[[nodiscard]] bool ReadLayout(ByteSource& source, FileLayout& layout, Cause& cause);

}  // namespace bmpresize
