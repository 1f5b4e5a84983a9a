// SPDX-License-Identifier: MIT
// A ByteSource over a caller's read function (bmpresize_read_fn): read front
// to back, never seeking, through a buffer of its own so that byte-sized reads
// cost no call each. It reads ahead only as far as one call of the function
// gives, as stdio does with a pipe.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bmpfile/byte_source.h"
#include "bmpresize.h"

namespace bmpresize {

class CallbackSource final : public ByteSource {
 public:
  CallbackSource(bmpresize_read_fn read, void* user) : read_(read), user_(user) {}
  std::int64_t Position() const override { return position_; }

 private:
  std::size_t Fetch(void* destination, std::size_t n) override;
  int FetchByte() override;
  // One call of the function into destination; 0 at the end or on a failure.
  std::size_t Call(std::uint8_t* destination, std::size_t n);
  std::size_t TakeBuffered(std::uint8_t* destination, std::size_t n);

  bmpresize_read_fn read_;
  void* user_;
  std::int64_t position_ = 0;
  std::uint8_t buffer_[16384];
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
};

}  // namespace bmpresize
