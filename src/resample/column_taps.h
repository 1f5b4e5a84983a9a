// SPDX-License-Identifier: MIT
// The taps of every destination column: where each takes its colour from in
// a source row. They depend on the two widths alone, so one set is built per
// resize and read by every band of it at once, never written after.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "resample/axis_tap.h"

namespace bmpresize {

class ColumnTaps {
 public:
  // Takes its block; Ready() says whether it was had.
  ColumnTaps(std::int32_t sourceWidth, std::int32_t width);
  bool Ready() const { return taps_ != nullptr; }
  const AxisTap* Data() const { return taps_.get(); }
  // Whether every column takes one source pixel whole, so a copy blends it.
  bool AreCopies() const { return copies_; }

  // The bytes of the taps of width columns.
  static std::uint64_t BytesFor(std::int32_t width) { return sizeof(AxisTap) * static_cast<std::uint64_t>(width); }

 private:
  std::unique_ptr<AxisTap[]> taps_;
  bool copies_ = true;
};

}  // namespace bmpresize
