// SPDX-License-Identifier: MIT
// Where a resize's finished rows go: the destination's pixel array, whole rows
// of stride bytes (padding included) counted from the bottom. Either at
// offsets, where several bands may put their rows at once (OffsetRowsOut, a
// new file or memory), or in order, as one band puts them (OrderedRowsOut).
#pragma once

#include <cstddef>
#include <cstdint>

#include "bmpfile/byte_sink.h"
#include "bmpfile/byte_source.h"
#include "bmpfile/offset_sink.h"
#include "result/status.h"

namespace bmpresize {

// Where the destination's rows lie.
struct PixelArray {
  std::int64_t dataOffset = 0;  // of the bottom row
  std::size_t stride = 0;       // bytes from one row to the next
  std::size_t rowBytes = 0;     // bytes of a row's pixels, before its padding
  std::int32_t height = 0;      // rows
};

class RowsOut {
 public:
  explicit RowsOut(const PixelArray& array) : array_(array) {}
  virtual ~RowsOut() = default;
  RowsOut(const RowsOut&) = delete;
  RowsOut& operator=(const RowsOut&) = delete;

  const PixelArray& Array() const { return array_; }
  // Whether rows may come in any order, from several threads at once.
  virtual bool AtOffsets() const = 0;
  // Puts count whole rows from row on; WRITE_FAILED with the system's error.
  virtual Status Put(std::int64_t row, const std::uint8_t* rows, std::size_t count) = 0;
  // Copies up to count whole rows that lie as they are in source from offset
  // from on into row on, inside the system where it can: the rows copied.
  virtual std::int64_t CopyIn(ByteSource&, std::int64_t /*from*/, std::int64_t /*row*/, std::int64_t /*count*/) {
    return 0;
  }

 protected:
  const PixelArray& array_;
};

class OffsetRowsOut final : public RowsOut {
 public:
  OffsetRowsOut(OffsetSink& sink, const PixelArray& array) : RowsOut(array), sink_(sink) {}
  bool AtOffsets() const override { return true; }
  Status Put(std::int64_t row, const std::uint8_t* rows, std::size_t count) override;
  std::int64_t CopyIn(ByteSource& source, std::int64_t from, std::int64_t row, std::int64_t count) override;

 private:
  std::int64_t OffsetOf(std::int64_t row) const;

  OffsetSink& sink_;
};

// The rows must come from the bottom up, each once.
class OrderedRowsOut final : public RowsOut {
 public:
  OrderedRowsOut(ByteSink& sink, const PixelArray& array) : RowsOut(array), sink_(sink) {}
  bool AtOffsets() const override { return false; }
  Status Put(std::int64_t row, const std::uint8_t* rows, std::size_t count) override;

 private:
  ByteSink& sink_;
};

}  // namespace bmpresize
