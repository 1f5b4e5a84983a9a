// SPDX-License-Identifier: MIT
// The UTF-16 form of a UTF-8 path, for the wide-character file functions of
// Windows, so that every Unicode name works. Empty when the path is null
// (errno ENOENT), is not valid UTF-8 (EINVAL) or memory was short (ENOMEM).
#pragma once

#ifdef _WIN32

#include <memory>

class WidePath {
 public:
  explicit WidePath(const char* utf8Path);
  explicit operator bool() const { return text_ != nullptr; }
  const wchar_t* get() const { return text_.get(); }

 private:
  std::unique_ptr<wchar_t[]> text_;
};

#endif
