// SPDX-License-Identifier: MIT
#include "api/sentence.h"

#include <cinttypes>
#include <cstdio>

namespace bmpresize {

Sentence::Sentence(char* text, std::size_t capacity) : text_(text), capacity_(text != nullptr ? capacity : 0) {
  if (capacity_ > 0) text_[0] = '\0';
}

Sentence& Sentence::Char(char c) {
  if (length_ + 1 < capacity_) {
    text_[length_] = c;
    text_[length_ + 1] = '\0';
  }
  ++length_;
  return *this;
}

Sentence& Sentence::operator<<(const char* words) {
  for (const char* c = words; *c != '\0'; ++c) Char(*c);
  return *this;
}

Sentence& Sentence::operator<<(std::int64_t number) {
  char digits[24];
  std::snprintf(digits, sizeof digits, "%" PRId64, number);
  return *this << digits;
}

Sentence& Sentence::Hex(std::uint8_t byte) {
  char digits[3];
  std::snprintf(digits, sizeof digits, "%02X", byte);
  return *this << digits;
}

}  // namespace bmpresize
