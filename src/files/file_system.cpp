// SPDX-License-Identifier: MIT
// The part of the file-system steps that is the same everywhere.
#include <cstring>
#include <new>

#include "files/file_system.h"

OwnedText JoinText(std::initializer_list<std::string_view> parts) {
  std::size_t size = 1;
  for (const std::string_view part : parts) size += part.size();
  OwnedText text(new (std::nothrow) char[size]);
  if (!text) return nullptr;
  char* at = text.get();
  for (const std::string_view part : parts) {
    if (!part.empty()) std::memcpy(at, part.data(), part.size());
    at += part.size();
  }
  *at = '\0';
  return text;
}

namespace {

bool IsSeparator(char c) {
#ifdef _WIN32
  return c == '/' || c == '\\' || c == ':';
#else
  return c == '/';
#endif
}

std::size_t FolderLength(const char* path) {
  std::size_t length = 0;
  for (std::size_t i = 0; path[i] != '\0'; ++i) {
    if (IsSeparator(path[i])) length = i + 1;
  }
  return length;
}

}  // namespace

std::string_view FolderPart(const char* path) { return std::string_view(path, FolderLength(path)); }

std::string_view NamePart(const char* path) { return std::string_view(path + FolderLength(path)); }
