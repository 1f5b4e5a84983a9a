// SPDX-License-Identifier: MIT
// The names biCompression values go by, in the one table that every report
// of a file takes them from: the refusal sentences and the inspection's
// record (bmpresize_compression_name, and through it the tool's --info).
#pragma once

#include <cstdint>

namespace bmpresize {

// The name of compression in an info header of headerSize bytes: the 64-byte
// OS/2 2.x header gives 3 and 4 meanings of its own (Huffman coding, 24-bit
// run-length). "unknown" for a value without a name. The text is static.
const char* CompressionName(std::uint32_t compression, std::uint32_t headerSize);

}  // namespace bmpresize
