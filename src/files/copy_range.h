// SPDX-License-Identifier: MIT
// Copying bytes from one open regular file into another, offset to offset,
// inside the kernel where it can (copy_file_range on Linux), so that the
// bytes never pass through this process.
#pragma once

#include <cstdint>
#include <cstdio>

#include "files/sys_result.h"

namespace bmpresize {

// Copies up to n bytes from offset from in source to offset to in
// destination, leaving both streams' positions alone. Answers the bytes
// copied: fewer than n at the source's end, or when the kernel cannot copy
// between these files or stopped with an error (the error then says which).
// The caller copies the rest another way.
SysValue<std::int64_t> CopyFileRange(std::FILE* source, std::int64_t from, std::FILE* destination, std::int64_t to,
                                     std::int64_t n);

}  // namespace bmpresize
