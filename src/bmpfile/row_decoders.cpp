// SPDX-License-Identifier: MIT
#include "bmpfile/row_decoders.h"

#include <algorithm>
#include <cstring>

#include "bmpfile/little_endian.h"

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define BMPRESIZE_HAVE_SSSE3_ROWS 1
#include <immintrin.h>
#endif

namespace bmpresize {

namespace {

// The number of the highest set bit; -1 for 0.
int HighestBit(std::uint32_t v) {
  int bit = -1;
  for (; v != 0; v >>= 1) ++bit;
  return bit;
}

}  // namespace

bool DecodeRow32(const std::uint8_t* bytes, std::int32_t count, PixelRow row) {
  if (row.width <= 0) return true;
  if (count < 4 * static_cast<std::int64_t>(row.width)) return false;
  for (std::int32_t x = 0; x < row.width; ++x, bytes += 4) row[x] = {bytes[0], bytes[1], bytes[2], bytes[3]};
  return true;
}

#if defined(BMPRESIZE_HAVE_SSSE3_ROWS)

namespace {

// Four pixels at a time with one byte shuffle, on CPUs that have SSSE3 (every
// x86-64 CPU of the last fifteen years): the same bytes as the plain loop.
// Answers how many pixels it did; it stops while a whole 16-byte load still
// lies within count.
__attribute__((target("ssse3"))) std::int32_t Expand24To32(const std::uint8_t* bytes, std::int32_t count,
                                                           std::int32_t width, PixelBGRA* out) {
  const __m128i spread = _mm_setr_epi8(0, 1, 2, -128, 3, 4, 5, -128, 6, 7, 8, -128, 9, 10, 11, -128);
  std::int32_t x = 0;
  for (; x + 4 <= width && 3 * static_cast<std::int64_t>(x) + 16 <= count; x += 4) {
    const __m128i packed = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 3 * x));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_shuffle_epi8(packed, spread));
  }
  return x;
}

bool HasSsse3() {
  static const bool has = __builtin_cpu_supports("ssse3");
  return has;
}

}  // namespace
#endif

bool DecodeRow24(const std::uint8_t* bytes, std::int32_t count, PixelRow row) {
  if (row.width <= 0) return true;
  if (count < 3 * static_cast<std::int64_t>(row.width)) return false;
  std::int32_t x = 0;
  if (row.step == 1) {
    // A plain buffer: copy four bytes a pixel (the fourth is the next pixel's
    // blue, or padding) and clear the alpha, while a fourth byte is there.
    PixelBGRA* out = row.first;
#if defined(BMPRESIZE_HAVE_SSSE3_ROWS)
    if (HasSsse3()) {
      x = Expand24To32(bytes, count, row.width, out);
      bytes += 3 * static_cast<std::ptrdiff_t>(x);
    }
#endif
    const std::int32_t wholeReads = static_cast<std::int32_t>(std::min<std::int64_t>(row.width, (count - 1) / 3));
    for (; x < wholeReads; ++x, bytes += 3) {
      std::memcpy(&out[x], bytes, 4);
      out[x].alpha = 0;
    }
  }
  for (; x < row.width; ++x, bytes += 3) row[x] = {bytes[0], bytes[1], bytes[2], 0};
  return true;
}

bool DecodeRow8(const std::uint8_t* bytes, std::int32_t count, const PixelBGRA* palette, PixelRow row) {
  if (row.width <= 0) return true;
  if (count < row.width) return false;
  for (std::int32_t x = 0; x < row.width; ++x) row[x] = palette[bytes[x]];
  return true;
}

bool DecodeRow4(const std::uint8_t* bytes, std::int32_t count, const PixelBGRA* palette, PixelRow row) {
  if (row.width <= 0) return true;
  if (2 * static_cast<std::int64_t>(count) < row.width) return false;
  for (std::int32_t x = 0; x < row.width; ++x) {
    const std::uint8_t byte = bytes[x / 2];
    row[x] = palette[(x % 2 == 0) ? (byte & 0xF0) >> 4 : byte & 0x0F];
  }
  return true;
}

bool DecodeRow2(const std::uint8_t* bytes, std::int32_t count, const PixelBGRA* palette, PixelRow row) {
  if (row.width <= 0) return true;
  if (4 * static_cast<std::int64_t>(count) < row.width) return false;
  for (std::int32_t x = 0; x < row.width; ++x) {
    const unsigned shift = 6 - 2 * static_cast<unsigned>(x % 4);
    row[x] = palette[(bytes[x / 4] >> shift) & 3];
  }
  return true;
}

bool DecodeRow1(const std::uint8_t* bytes, std::int32_t count, const PixelBGRA* palette, PixelRow row) {
  if (row.width <= 0) return true;
  if (8 * static_cast<std::int64_t>(count) < row.width) return false;
  for (std::int32_t x = 0; x < row.width; ++x) {
    const unsigned shift = 7 - static_cast<unsigned>(x % 8);
    row[x] = palette[(bytes[x / 8] >> shift) & 1];
  }
  return true;
}

unsigned MaskShift(std::uint16_t mask) {
  unsigned shift = 0;
  while (mask > 31) {
    mask = static_cast<std::uint16_t>(mask >> 1);
    ++shift;
  }
  return shift;
}

unsigned MaskLift(std::uint16_t mask) {
  const int top = HighestBit(mask);
  return top >= 0 && top < 4 ? static_cast<unsigned>(4 - top) : 0;
}

ChannelShifts ShiftsFor(const ChannelMasks& masks) {
  return {MaskShift(masks.red), MaskShift(masks.green), MaskShift(masks.blue),
          MaskLift(masks.red),  MaskLift(masks.green),  MaskLift(masks.blue)};
}

PixelBGRA Decode16(std::uint16_t value, const ChannelMasks& masks, const ChannelShifts& shifts) {
  auto channel = [value](std::uint16_t mask, unsigned down, unsigned up) {
    return static_cast<std::uint8_t>(8 * (((value & mask) >> down) << up));
  };
  return {channel(masks.blue, shifts.blue, shifts.blueUp), channel(masks.green, shifts.green, shifts.greenUp),
          channel(masks.red, shifts.red, shifts.redUp), 0};
}

FieldLayout32 LayoutFor(const FieldMasks32& masks) {
  auto shift = [](std::uint32_t mask) { return mask == 0 ? 0 : HighestBit(mask) - 7; };
  return {masks, shift(masks.red), shift(masks.green), shift(masks.blue), shift(masks.alpha)};
}

std::uint8_t Field8(std::uint32_t value, std::uint32_t mask, int shift) {
  const std::uint32_t field = value & mask;
  // The mask's highest bit lands on bit 7, so the result fits in a byte.
  return static_cast<std::uint8_t>(shift >= 0 ? field >> shift : field << -shift);
}

bool DecodeRow32Fields(const std::uint8_t* bytes, std::int32_t count, const FieldLayout32& layout, PixelRow row) {
  if (row.width <= 0) return true;
  if (count < 4 * static_cast<std::int64_t>(row.width)) return false;
  const FieldMasks32& m = layout.masks;
  for (std::int32_t x = 0; x < row.width; ++x, bytes += 4) {
    const std::uint32_t v = LoadU32LE(bytes);
    row[x] = {Field8(v, m.blue, layout.blue), Field8(v, m.green, layout.green), Field8(v, m.red, layout.red),
              Field8(v, m.alpha, layout.alpha)};
  }
  return true;
}

}  // namespace bmpresize
