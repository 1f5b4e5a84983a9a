// SPDX-License-Identifier: MIT
// The system's words for an error number, as strerror gives them, but safe
// to ask for on several threads at once: written into a buffer of the
// caller's rather than the C library's one shared buffer.
#pragma once

namespace bmpresize {

class SystemReason {
 public:
  // "the system gave no reason" for 0; the system's text otherwise, or
  // "error N" for a number it has no text for.
  explicit SystemReason(int error);
  SystemReason(const SystemReason&) = delete;
  SystemReason& operator=(const SystemReason&) = delete;
  const char* Text() const { return text_; }

 private:
  char buffer_[256] = {};
  const char* text_ = buffer_;
};

}  // namespace bmpresize
