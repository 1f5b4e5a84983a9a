// SPDX-License-Identifier: MIT
// The one rule for 16-bit pixels that a file does not hold: each repeats the
// last whole pixel of the file's pixel data in file order, or is white when
// the data holds none. A file cut short in its pixels thus keeps the colour it
// ended on rather than turning white, as the 16-bit files of the programs that
// wrote them were read.
//
//   Set(value)                 the last whole pixel, found where the data ends
//   Pass(bytes, count, width)  the last whole pixel among a row's bytes, for
//                              rows read in file order
//   Decode(bytes, count, row)  a row's data, count bytes of it present: the
//                              whole pixels, then the last whole pixel held
#pragma once

#include <cstddef>
#include <cstdint>

#include "bmpfile/row_decoders.h"
#include "image/pixel_row.h"

namespace bmpresize {

class LastPixel16 {
 public:
  LastPixel16(const ChannelMasks& masks, const ChannelShifts& shifts) : masks_(masks), shifts_(shifts) {}

  void Set(std::uint16_t value);
  void Pass(const std::uint8_t* bytes, std::size_t count, std::int32_t width);
  // Answers how many whole pixels the bytes held.
  std::int32_t Decode(const std::uint8_t* bytes, std::size_t count, PixelRow row);
  // Whether a whole pixel was found: the missing ones repeat it, else are white.
  bool Found() const { return have_; }

 private:
  const ChannelMasks masks_;
  const ChannelShifts shifts_;
  bool have_ = false;
  std::uint16_t value_ = 0;
};

}  // namespace bmpresize
