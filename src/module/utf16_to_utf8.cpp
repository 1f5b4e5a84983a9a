// SPDX-License-Identifier: MIT
#include "module/utf16_to_utf8.h"

#include <cstdint>

namespace bmpresize {

namespace {

bool IsHighSurrogate(std::uint32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(std::uint32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

bool Utf16ToUtf8(const char16_t* text, std::string& out) {
  out.clear();
  for (std::size_t i = 0; text[i] != 0; ++i) {
    std::uint32_t c = text[i];
    if (IsHighSurrogate(c)) {
      const std::uint32_t next = text[i + 1];  // the terminator at worst
      if (!IsLowSurrogate(next)) return false;
      c = 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
      ++i;
    } else if (IsLowSurrogate(c)) {
      return false;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return true;
}

bool IsWellFormedUtf16(const char16_t* text) {
  for (std::size_t i = 0; text[i] != 0; ++i) {
    if (IsLowSurrogate(text[i])) return false;
    if (IsHighSurrogate(text[i]) && !IsLowSurrogate(text[++i])) return false;
  }
  return true;
}

}  // namespace bmpresize
