// SPDX-License-Identifier: MIT
#include "pipeline/rows_out.h"

namespace bmpresize {

std::int64_t OffsetRowsOut::OffsetOf(std::int64_t row) const {
  return array_.dataOffset + row * static_cast<std::int64_t>(array_.stride);
}

Status OffsetRowsOut::Put(std::int64_t row, const std::uint8_t* rows, std::size_t count) {
  return sink_.WriteAt(OffsetOf(row), rows, count * array_.stride);
}

std::int64_t OffsetRowsOut::CopyIn(ByteSource& source, std::int64_t from, std::int64_t row, std::int64_t count) {
  const auto stride = static_cast<std::int64_t>(array_.stride);
  return sink_.CopyFrom(source, from, OffsetOf(row), count * stride) / stride;
}

Status OrderedRowsOut::Put(std::int64_t, const std::uint8_t* rows, std::size_t count) {
  return sink_.Write(rows, count * array_.stride);
}

}  // namespace bmpresize
