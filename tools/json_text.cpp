// SPDX-License-Identifier: MIT
#include "json_text.h"

#include <cstdint>
#include <cstdio>

namespace {

constexpr char kReplacement[] = "\\ufffd";

// The length of the valid UTF-8 sequence at text[at], or 0 when there is none:
// no overlong forms, no surrogates, nothing beyond U+10FFFF.
std::size_t Utf8Length(const std::string& text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[at + i]); };
  const std::uint8_t lead = byte(0);
  std::size_t length = 0;
  std::uint8_t low = 0x80, high = 0xBF;  // the second byte's range
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (at + length > text.size() || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return length;
}

// Whether the character of length bytes at text[at] is U+2028 or U+2029
// (E2 80 A8, E2 80 A9).
bool IsLineSeparator(const std::string& text, std::size_t at, std::size_t length) {
  return length == 3 && text[at] == '\xE2' && text[at + 1] == '\x80' &&
         (text[at + 2] == '\xA8' || text[at + 2] == '\xA9');
}

void AppendAscii(std::string& out, char c) {
  switch (c) {
    case '"':
      out += "\\\"";
      return;
    case '\\':
      out += "\\\\";
      return;
    case '\n':
      out += "\\n";
      return;
    case '\r':
      out += "\\r";
      return;
    case '\t':
      out += "\\t";
      return;
    default:
      break;
  }
  if (static_cast<unsigned char>(c) < 0x20) {
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
    out += escaped;
  } else {
    out += c;
  }
}

}  // namespace

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (std::size_t at = 0; at < text.size();) {
    if (static_cast<unsigned char>(text[at]) < 0x80) {
      AppendAscii(out, text[at++]);
      continue;
    }
    const std::size_t length = Utf8Length(text, at);
    if (length == 0) {
      out += kReplacement;
      ++at;
    } else if (IsLineSeparator(text, at, length)) {
      // Valid JSON raw, but a line break to JavaScript and to Unicode-aware
      // line splitters, which would cut the one-line record in two.
      out += text[at + 2] == '\xA8' ? "\\u2028" : "\\u2029";
      at += length;
    } else {
      out.append(text, at, length);
      at += length;
    }
  }
  return out + "\"";
}
