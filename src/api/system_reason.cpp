// SPDX-License-Identifier: MIT
#include "api/system_reason.h"

#include <cstdio>
#include <cstring>

namespace bmpresize {

namespace {

// strerror_r comes in two kinds, told apart by what it returns: the GNU one
// answers the text (in the buffer or a static string of its own), the POSIX
// one 0 or an error number, with the text in the buffer.
[[maybe_unused]] const char* TextOf(const char* gnuText, const char*) { return gnuText; }
[[maybe_unused]] const char* TextOf(int posixFailure, const char* buffer) {
  return posixFailure == 0 ? buffer : nullptr;
}

const char* SystemText(int error, char* buffer, std::size_t size) {
#ifdef _WIN32
  return strerror_s(buffer, size, error) == 0 ? buffer : nullptr;
#else
  return TextOf(strerror_r(error, buffer, size), buffer);
#endif
}

}  // namespace

SystemReason::SystemReason(int error) {
  if (error == 0) {
    text_ = "the system gave no reason";
    return;
  }
  text_ = SystemText(error, buffer_, sizeof buffer_);
  // Windows has one text for every number it does not know.
  if (text_ == nullptr || *text_ == '\0' || std::strcmp(text_, "Unknown error") == 0) {
    (void)std::snprintf(buffer_, sizeof buffer_, "error %d", error);
    text_ = buffer_;
  }
}

}  // namespace bmpresize
