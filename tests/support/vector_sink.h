// SPDX-License-Identifier: MIT
// A ByteSink that keeps every byte written, for tests and fuzzers that write
// into memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "bmpfile/byte_sink.h"

class VectorSink final : public bmpresize::ByteSink {
 public:
  bmpresize::Status Write(const void* bytes, std::size_t n) override {
    const auto* b = static_cast<const std::uint8_t*>(bytes);
    bytes_.insert(bytes_.end(), b, b + n);
    return {};
  }
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};
