// SPDX-License-Identifier: MIT
#include "bmpfile/row_encoders.h"

namespace bmpresize {

bool EncodeRow32(ConstPixelRow row, std::uint8_t* buffer, std::int32_t length) {
  if (4 * static_cast<std::int64_t>(row.width) > length) return false;
  for (std::int32_t x = 0; x < row.width; ++x, buffer += 4) {
    const PixelBGRA p = row[x];
    buffer[0] = p.blue;
    buffer[1] = p.green;
    buffer[2] = p.red;
    buffer[3] = p.alpha;
  }
  return true;
}

bool EncodeRow24(ConstPixelRow row, std::uint8_t* buffer, std::int32_t length) {
  if (3 * static_cast<std::int64_t>(row.width) > length) return false;
  for (std::int32_t x = 0; x < row.width; ++x, buffer += 3) {
    const PixelBGRA p = row[x];
    buffer[0] = p.blue;
    buffer[1] = p.green;
    buffer[2] = p.red;
  }
  return true;
}

}  // namespace bmpresize
