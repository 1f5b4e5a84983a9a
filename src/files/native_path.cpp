// SPDX-License-Identifier: MIT
#include "files/native_path.h"

#ifdef _WIN32
#include <windows.h>

#include <cerrno>
#include <new>
#endif

namespace bmpresize {

#ifdef _WIN32

NativePath::NativePath(const char* utf8Path) {
  if (utf8Path == nullptr) return;
  const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8Path, -1, nullptr, 0);
  if (n <= 0) {
    error_ = EINVAL;
    return;
  }
  wide_.reset(new (std::nothrow) wchar_t[static_cast<std::size_t>(n)]);
  if (!wide_) {
    error_ = ENOMEM;
    return;
  }
  if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8Path, -1, wide_.get(), n) != n) {
    error_ = EINVAL;
    return;
  }
  path_ = wide_.get();
}

#else

NativePath::NativePath(const char* utf8Path) : path_(utf8Path) {}

#endif

}  // namespace bmpresize
