// SPDX-License-Identifier: MIT
#include "bmpfile/read_exact.h"

#include <cstring>
#include <memory>
#include <new>

#include "bmpfile/little_endian.h"

namespace bmpresize {

bool ReadExact(void* destination, std::int32_t size, std::int32_t count, ByteSource& source) {
  if (source.AtEnd() || source.Failed()) return false;
  if (size <= 0 || count <= 0) return true;
  const std::uint64_t wanted = static_cast<std::uint64_t>(size) * static_cast<std::uint64_t>(count);
  if (wanted > static_cast<std::uint64_t>(static_cast<std::size_t>(-1))) return false;
  const std::size_t total = static_cast<std::size_t>(wanted);
  // Read into scratch and copy only on success: all or nothing.
  std::uint8_t small[64];
  std::unique_ptr<std::uint8_t[]> large;
  std::uint8_t* scratch = small;
  if (total > sizeof small) {
    large.reset(new (std::nothrow) std::uint8_t[total]);
    if (!large) return false;
    scratch = large.get();
  }
  if (source.Read(scratch, total) < total) return false;
  std::memcpy(destination, scratch, total);
  return true;
}

bool ReadField(std::uint16_t& field, ByteSource& source) {
  std::uint8_t b[2];
  if (!ReadExact(b, 2, 1, source)) return false;
  field = LoadU16LE(b);
  return true;
}

bool ReadField(std::uint32_t& field, ByteSource& source) {
  std::uint8_t b[4];
  if (!ReadExact(b, 4, 1, source)) return false;
  field = LoadU32LE(b);
  return true;
}

bool ReadField(std::int32_t& field, ByteSource& source) {
  std::uint32_t v = 0;
  if (!ReadField(v, source)) return false;
  field = static_cast<std::int32_t>(v);
  return true;
}

bool SkipExact(std::uint64_t n, ByteSource& source) {
  if (source.AtEnd() || source.Failed()) return false;
  std::uint8_t chunk[4096];
  while (n > 0) {
    const std::size_t want = n < sizeof chunk ? static_cast<std::size_t>(n) : sizeof chunk;
    const std::size_t got = source.Read(chunk, want);
    n -= got;
    if (got < want) return false;
  }
  return true;
}

}  // namespace bmpresize
