// SPDX-License-Identifier: MIT
// The part of the file-system steps that is the same everywhere.
#include <algorithm>
#include <cstring>
#include <new>

#include "files/file_system.h"

namespace bmpresize {

OwnedText JoinText(std::initializer_list<PathView> parts) {
  std::size_t size = 1;
  for (const PathView part : parts) size += part.size();
  OwnedText text(new (std::nothrow) PathChar[size]);
  if (!text) return nullptr;
  PathChar* at = text.get();
  for (const PathView part : parts) {
    if (!part.empty()) std::memcpy(at, part.data(), part.size() * sizeof(PathChar));
    at += part.size();
  }
  *at = 0;
  return text;
}

namespace {

bool IsSeparator(PathChar c) {
#ifdef _WIN32
  return c == '/' || c == '\\' || c == ':';
#else
  return c == '/';
#endif
}

std::size_t FolderLength(const PathChar* path) {
  std::size_t length = 0;
  for (std::size_t i = 0; path[i] != 0; ++i) {
    if (IsSeparator(path[i])) length = i + 1;
  }
  return length;
}

}  // namespace

PathView FolderPart(const PathChar* path) { return PathView(path, FolderLength(path)); }

PathView NamePart(const PathChar* path) { return PathView(path + FolderLength(path)); }

std::size_t LongestName(const PathChar* path) {
  std::size_t longest = 0, length = 0;
  for (; *path != 0; ++path) {
    length = IsSeparator(*path) ? 0 : length + 1;
    longest = std::max(longest, length);
  }
  return longest;
}

}  // namespace bmpresize
