// SPDX-License-Identifier: MIT
// A destination that takes bytes at offsets of its own choosing, so that
// several threads may each write their part of one picture at once.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bmpfile/byte_source.h"
#include "result/status.h"

namespace bmpresize {

class OffsetSink {
 public:
  OffsetSink() = default;
  virtual ~OffsetSink() = default;
  OffsetSink(const OffsetSink&) = delete;
  OffsetSink& operator=(const OffsetSink&) = delete;

  // Takes all n bytes at offset; WRITE_FAILED with the system's error number
  // when it could not. Calls for parts that do not overlap may come from
  // several threads at once.
  virtual Status WriteAt(std::int64_t offset, const void* bytes, std::size_t n) = 0;
  // Copies up to n bytes of source from offset from to offset at, inside the
  // system where both are files it can copy between, leaving source's
  // position alone: the bytes copied, fewer where it could not copy them all
  // (the caller moves the rest another way).
  virtual std::int64_t CopyFrom(ByteSource& /*source*/, std::int64_t /*from*/, std::int64_t /*at*/,
                                std::int64_t /*n*/) {
    return 0;
  }
};

}  // namespace bmpresize
