// The guarded read through which headers, colour tables, masks, gaps and
// 16-bit pixels are read.
//
// Once the stream's end-of-file or error indicator is set, every guarded read
// fails at once without reading (so errno still tells why a read failed). Otherwise it succeeds only when every item
// arrived. A read that fails leaves its destination exactly as it was, even when part of the data arrived, so a field
// beyond the end of a short file keeps the value it had.
#pragma once

#include <cstdint>
#include <cstdio>

int ReadExact(void* destination, std::int32_t size, std::int32_t count, std::FILE* stream);

// One little-endian field of the field's own width.
int ReadField(std::uint16_t& field, std::FILE* stream);
int ReadField(std::uint32_t& field, std::FILE* stream);
int ReadField(std::int32_t& field, std::FILE* stream);

// Skips n bytes as one guarded read of n bytes would, without a block of n
// bytes: afterwards the stream stands where that read would have left it, with
// the same end-of-file indicator. The result says whether all n bytes were there.
int SkipExact(std::uint64_t n, std::FILE* stream);
