// SPDX-License-Identifier: MIT
// Where the writer puts its bytes: a file, memory, or a caller's write
// function. Whatever has to happen once the last byte is in (a flush, a
// rename) is the owner's, not the writer's.
#pragma once

#include <cstddef>

#include "result/status.h"

namespace bmpresize {

class ByteSink {
 public:
  ByteSink() = default;
  virtual ~ByteSink() = default;
  ByteSink(const ByteSink&) = delete;
  ByteSink& operator=(const ByteSink&) = delete;

  // Takes all n bytes, or fails with WRITE_FAILED and the system's error
  // number (0 when the system gave no reason).
  virtual Status Write(const void* bytes, std::size_t n) = 0;
};

}  // namespace bmpresize
