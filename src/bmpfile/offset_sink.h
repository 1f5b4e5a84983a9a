// SPDX-License-Identifier: MIT
// A destination that takes bytes at offsets of its own choosing, so that
// several threads may each write their part of one picture at once.
#pragma once

#include <cstddef>
#include <cstdint>

class OffsetSink {
 public:
  OffsetSink() = default;
  virtual ~OffsetSink() = default;
  OffsetSink(const OffsetSink&) = delete;
  OffsetSink& operator=(const OffsetSink&) = delete;

  // Takes all n bytes at offset; 0, or the errno of the write that failed.
  // Calls for parts that do not overlap may come from several threads at once.
  [[nodiscard]] virtual int WriteAt(std::int64_t offset, const void* bytes, std::size_t n) = 0;
};
