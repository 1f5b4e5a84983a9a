// SPDX-License-Identifier: MIT
// The guarded reads through which headers, colour tables, masks and gaps are
// read.
//
// Once the source's end-of-data or error indicator is set, every guarded read
// fails at once without reading. Otherwise it succeeds only when every item
// arrived. A read that fails leaves its destination exactly as it was, even
// when part of the data arrived, so a field beyond the end of a short file
// keeps the value it had.
#pragma once

#include <cstdint>

#include "bmpfile/byte_source.h"

namespace bmpresize {

[[nodiscard]] bool ReadExact(void* destination, std::int32_t size, std::int32_t count, ByteSource& source);

// One little-endian field of the field's own width.
[[nodiscard]] bool ReadField(std::uint16_t& field, ByteSource& source);
[[nodiscard]] bool ReadField(std::uint32_t& field, ByteSource& source);
[[nodiscard]] bool ReadField(std::int32_t& field, ByteSource& source);

// Skips n bytes as one guarded read of n bytes would, without a block of n
// bytes: afterwards the source stands where that read would have left it, with
// the same end-of-data indicator. The result says whether all n bytes were there.
[[nodiscard]] bool SkipExact(std::uint64_t n, ByteSource& source);

}  // namespace bmpresize
