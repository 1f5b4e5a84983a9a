// SPDX-License-Identifier: MIT
// A ByteSink over an open stdio stream. Flushing and closing stay with the
// stream's owner. Made without a stream, it takes one later (Attach).
#pragma once

#include <cstdio>

#include "bmpfile/byte_sink.h"

namespace bmpresize {

class FileSink final : public ByteSink {
 public:
  explicit FileSink(std::FILE* stream = nullptr) : stream_(stream) {}
  void Attach(std::FILE* stream) { stream_ = stream; }
  // Once a write failed, every later one fails the same way.
  Status Write(const void* bytes, std::size_t n) override;

 private:
  std::FILE* stream_;
  Status failure_;
};

}  // namespace bmpresize
