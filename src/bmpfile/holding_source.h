// SPDX-License-Identifier: MIT
// A source that keeps what it reads: every byte read through it from the
// source it wraps is added to a growing array, to be read again from memory.
// Its position is the number of bytes held. When memory to hold them cannot
// be had, or would pass room bytes (the old block and the new together while
// it grows), it fails as a source does, and OutOfMemory() says so.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bmpfile/byte_source.h"
#include "bmpfile/growing_array.h"

namespace bmpresize {

class HoldingSource final : public ByteSource {
 public:
  HoldingSource(ByteSource& source, GrowingArray<std::uint8_t>& held,
                std::size_t room = GrowingArray<std::uint8_t>::kAnyRoom)
      : source_(source), held_(held), room_(room) {}
  std::int64_t Position() const override { return static_cast<std::int64_t>(held_.Size()); }
  bool OutOfMemory() const { return outOfMemory_; }
  // The room from now on, where what else is held changed it.
  void SetRoom(std::size_t room) { room_ = room; }

 private:
  std::size_t Fetch(void* destination, std::size_t n) override;
  int FetchByte() override;
  // Holds the bytes read; false when memory cannot be had.
  bool Hold(const std::uint8_t* bytes, std::size_t n);
  // After a read that gave less than asked: the wrapped source's indicator.
  void NoteShortRead();

  ByteSource& source_;
  GrowingArray<std::uint8_t>& held_;
  std::size_t room_;
  bool outOfMemory_ = false;
};

}  // namespace bmpresize
