// SPDX-License-Identifier: MIT
#include "visible_text.h"

#include <cstdio>

namespace {

// The byte as it is shown: itself, or its escape; NUL-terminated in shown.
void Shown(unsigned char c, char (&shown)[5]) {
  const char digits[] = "0123456789abcdef";
  const char named = c == '\t' ? 't' : c == '\n' ? 'n' : c == '\r' ? 'r' : '\0';
  if (c >= 0x20 && c != 0x7F) {
    shown[0] = static_cast<char>(c);
    shown[1] = '\0';
  } else if (named != '\0') {
    shown[0] = '\\';
    shown[1] = named;
    shown[2] = '\0';
  } else {
    shown[0] = '\\';
    shown[1] = 'x';
    shown[2] = digits[c >> 4];
    shown[3] = digits[c & 0xF];
    shown[4] = '\0';
  }
}

// Gathers a line and writes it to standard error in as few writes as it
// fits in (one for any ordinary line), allocating nothing.
class ErrorLine {
 public:
  void Add(const char* text) {
    while (*text != '\0') {
      if (size_ == sizeof buffer_) Flush();
      buffer_[size_++] = *text++;
    }
  }
  void Flush() {
    (void)std::fwrite(buffer_, 1, size_, stderr);
    size_ = 0;
  }

 private:
  char buffer_[1024];
  std::size_t size_ = 0;
};

}  // namespace

std::string VisibleText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  char shown[5];
  for (const char c : text) {
    Shown(static_cast<unsigned char>(c), shown);
    out += shown;
  }
  return out;
}

void Say(std::string_view message) noexcept {
  ErrorLine line;
  line.Add("bmpresize: ");
  char shown[5];
  for (const char c : message) {
    Shown(static_cast<unsigned char>(c), shown);
    line.Add(shown);
  }
  line.Add("\n");
  line.Flush();
}
