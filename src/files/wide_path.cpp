// SPDX-License-Identifier: MIT
#include "files/wide_path.h"

#include <windows.h>

#include <cerrno>
#include <new>

WidePath::WidePath(const char* utf8Path) {
  if (utf8Path == nullptr) {
    errno = ENOENT;
    return;
  }
  const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8Path, -1, nullptr, 0);
  if (n <= 0) {
    errno = EINVAL;
    return;
  }
  std::unique_ptr<wchar_t[]> text(new (std::nothrow) wchar_t[static_cast<std::size_t>(n)]);
  if (!text) {
    errno = ENOMEM;
    return;
  }
  if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8Path, -1, text.get(), n) != n) {
    errno = EINVAL;
    return;
  }
  text_ = std::move(text);
}
