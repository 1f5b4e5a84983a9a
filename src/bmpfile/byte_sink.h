// SPDX-License-Identifier: MIT
// Where the writer puts its bytes: a file, memory, or a caller's write
// function. Whatever has to happen once the last byte is in (a flush, a
// rename) is the owner's, not the writer's.
#pragma once

#include <cstddef>

class ByteSink {
 public:
  ByteSink() = default;
  virtual ~ByteSink() = default;
  ByteSink(const ByteSink&) = delete;
  ByteSink& operator=(const ByteSink&) = delete;

  // Takes all n bytes; false when it could not, with Error() saying why.
  [[nodiscard]] virtual bool Write(const void* bytes, std::size_t n) = 0;
  // errno of the write that failed; 0 when none did, or when the system gave
  // no reason.
  virtual int Error() const = 0;
};
