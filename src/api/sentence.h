// SPDX-License-Identifier: MIT
// A sentence built into a caller's buffer as snprintf fills one: cut short
// (and still NUL-terminated) where the buffer ends, while Length() counts the
// whole sentence. Nothing is allocated.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bmpresize {

class Sentence {
 public:
  Sentence(char* text, std::size_t capacity);
  Sentence& operator<<(const char* words);
  Sentence& operator<<(std::int64_t number);
  // Two hexadecimal digits, upper case.
  Sentence& Hex(std::uint8_t byte);
  Sentence& Char(char c);
  std::size_t Length() const { return length_; }

 private:
  char* text_;
  std::size_t capacity_;
  std::size_t length_ = 0;
};

}  // namespace bmpresize
