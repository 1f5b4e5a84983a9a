// SPDX-License-Identifier: MIT
// The plan of a resize, made from the source's headers before any pixel is
// read: the destination's size and depth, and the bytes of its file. Every
// size that cannot be written is refused here, before a destination exists.
#pragma once

#include <cstdint>

#include "bmpfile/bmp_writer.h"
#include "bmpfile/file_layout.h"
#include "result/cause.h"

// The widest row the resize writes, in pixels. Rows are held a few at a
// time, up to 4 bytes a pixel, so this bounds what one row can make the
// resize allocate.
inline constexpr std::int64_t kMaxDestinationRowPixels = std::int64_t{1} << 24;

struct ResizePlan {
  BmpLayout destination;       // 24 bits, or 32 for a 32-bit source
  std::uint64_t fileSize = 0;  // bytes of the destination file
};

// False with the cause: a side beyond 32 bits (SIDE_TOO_LARGE), a file beyond
// 4 GiB (FILE_TOO_LARGE), a row wider than the resize writes (ROW_TOO_WIDE).
// A side below 1 makes the picture 1 x 1.
[[nodiscard]] bool PlanResize(const FileLayout& source, std::int32_t percent, ResizePlan& plan, Cause& cause);
