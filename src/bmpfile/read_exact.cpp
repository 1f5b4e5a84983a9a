#include "bmpfile/read_exact.h"

#include <cstring>
#include <memory>
#include <new>

#include "bmpfile/little_endian.h"

int ReadExact(void* destination, std::int32_t size, std::int32_t count, std::FILE* stream) {
  if (std::feof(stream) || std::ferror(stream)) return 0;
  if (size <= 0 || count <= 0) return 1;
  const std::uint64_t wanted = static_cast<std::uint64_t>(size) * static_cast<std::uint64_t>(count);
  if (wanted > static_cast<std::uint64_t>(static_cast<std::size_t>(-1))) return 0;
  const std::size_t total = static_cast<std::size_t>(wanted);
  // Read into scratch and copy only on success: all or nothing.
  std::uint8_t small[64];
  std::unique_ptr<std::uint8_t[]> large;
  std::uint8_t* scratch = small;
  if (total > sizeof small) {
    large.reset(new (std::nothrow) std::uint8_t[total]);
    if (!large) return 0;
    scratch = large.get();
  }
  const std::size_t items =
      std::fread(scratch, static_cast<std::size_t>(size), static_cast<std::size_t>(count), stream);
  if (items < static_cast<std::size_t>(count)) return 0;
  std::memcpy(destination, scratch, total);
  return 1;
}

int ReadField(std::uint16_t& field, std::FILE* stream) {
  std::uint8_t b[2];
  if (!ReadExact(b, 2, 1, stream)) return 0;
  field = LoadU16LE(b);
  return 1;
}

int ReadField(std::uint32_t& field, std::FILE* stream) {
  std::uint8_t b[4];
  if (!ReadExact(b, 4, 1, stream)) return 0;
  field = LoadU32LE(b);
  return 1;
}

int ReadField(std::int32_t& field, std::FILE* stream) {
  std::uint32_t v = 0;
  if (!ReadField(v, stream)) return 0;
  field = static_cast<std::int32_t>(v);
  return 1;
}

int SkipExact(std::uint64_t n, std::FILE* stream) {
  if (std::feof(stream) || std::ferror(stream)) return 0;
  std::uint8_t chunk[4096];
  while (n > 0) {
    const std::size_t want = n < sizeof chunk ? static_cast<std::size_t>(n) : sizeof chunk;
    const std::size_t got = std::fread(chunk, 1, want, stream);
    n -= got;
    if (got < want) return 0;
  }
  return 1;
}
