#include "bmpfile/file_stream.h"

#ifdef _WIN32
#include <windows.h>

#include <vector>
#endif

std::FILE* OpenFile(const char* utf8Path, const char* mode) {
  if (utf8Path == nullptr) return nullptr;
#ifdef _WIN32
  const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8Path, -1, nullptr, 0);
  if (n <= 0) return nullptr;
  std::vector<wchar_t> wide(static_cast<std::size_t>(n));
  if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8Path, -1, wide.data(), n) != n) return nullptr;
  wchar_t wideMode[4] = {};
  for (int i = 0; i < 3 && mode[i]; ++i) wideMode[i] = static_cast<wchar_t>(mode[i]);
  return _wfopen(wide.data(), wideMode);
#else
  return std::fopen(utf8Path, mode);
#endif
}
