// SPDX-License-Identifier: MIT
#include "bmpfile/last_pixel16.h"

#include <algorithm>

#include "bmpfile/little_endian.h"

namespace bmpresize {

namespace {

std::int32_t WholePixels(std::size_t count, std::int32_t width) {
  return static_cast<std::int32_t>(std::min<std::size_t>(count / 2, static_cast<std::size_t>(width)));
}

}  // namespace

void LastPixel16::Set(std::uint16_t value) {
  value_ = value;
  have_ = true;
}

void LastPixel16::Pass(const std::uint8_t* bytes, std::size_t count, std::int32_t width) {
  const std::int32_t whole = WholePixels(count, width);
  if (whole > 0) Set(LoadU16LE(bytes + 2 * (whole - 1)));
}

std::int32_t LastPixel16::Decode(const std::uint8_t* bytes, std::size_t count, PixelRow row) {
  const std::int32_t whole = WholePixels(count, row.width);
  for (std::int32_t x = 0; x < whole; ++x) row[x] = Decode16(LoadU16LE(bytes + 2 * x), masks_, shifts_);
  const PixelBGRA repeated = have_ ? Decode16(value_, masks_, shifts_) : kWhite;
  for (std::int32_t x = whole; x < row.width; ++x) row[x] = repeated;
  return whole;
}

}  // namespace bmpresize
