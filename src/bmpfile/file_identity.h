// Which file a path or an open stream is: the same device and inode on POSIX,
// the same volume and file index on Windows. Every name of one file (the same
// path spelt otherwise, a hard link, a symbolic link) has the one identity.
#pragma once

#include <cstdint>
#include <cstdio>
#include <tuple>

struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t file = 0;
  bool operator==(const FileIdentity& other) const { return device == other.device && file == other.file; }
  bool operator<(const FileIdentity& other) const {
    return std::tie(device, file) < std::tie(other.device, other.file);
  }
};

// False when nothing is at path (or it cannot be looked at).
bool IdentityOf(const char* utf8Path, FileIdentity& identity);

// Whether both streams have one regular file open (a pipe, a terminal or a
// device is never the same file here).
bool IsSameRegularFile(std::FILE* a, std::FILE* b);
