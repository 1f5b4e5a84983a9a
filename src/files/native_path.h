// SPDX-License-Identifier: MIT
// Paths as the system's file functions take them: UTF-16 on Windows, whose
// wide functions take every name, and the bytes as given elsewhere. The file
// steps take native paths only; a UTF-8 path is made native once, where it
// comes in, by NativePath.
#pragma once

#include <memory>

namespace bmpresize {

#ifdef _WIN32
using PathChar = wchar_t;
#define NATIVE_TEXT(text) L##text
#else
using PathChar = char;
#define NATIVE_TEXT(text) text
#endif

class NativePath {
 public:
  // A null path stays null, with no error; one that is not valid UTF-8 (on
  // Windows) is null with EINVAL, and ENOMEM when memory was short.
  explicit NativePath(const char* utf8Path);
  const PathChar* get() const { return path_; }
  int Error() const { return error_; }

 private:
#ifdef _WIN32
  std::unique_ptr<wchar_t[]> wide_;
#endif
  const PathChar* path_ = nullptr;
  int error_ = 0;
};

}  // namespace bmpresize
