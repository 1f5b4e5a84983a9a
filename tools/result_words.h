// SPDX-License-Identifier: MIT
// The library's sentence for a result (bmpresize_describe), as a string.
#pragma once

#include <string>

#include "bmpresize.h"

inline std::string Words(const bmpresize_result& result, const std::string& source, const std::string& destination) {
  const std::size_t length = bmpresize_describe(&result, source.c_str(), destination.c_str(), nullptr, 0);
  std::string text(length + 1, '\0');
  (void)bmpresize_describe(&result, source.c_str(), destination.c_str(), text.data(), text.size());
  text.resize(length);
  return text;
}
