// SPDX-License-Identifier: MIT
// Which file a path or an open stream is: the same device and inode on POSIX,
// the same volume and file index on Windows. Every name of one file (the same
// path spelt otherwise, a hard link, a symbolic link) has the one identity, so
// the tool can tell when a result would land on a source.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <tuple>

struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t file = 0;
  bool operator==(const FileIdentity& other) const { return device == other.device && file == other.file; }
  bool operator<(const FileIdentity& other) const {
    return std::tie(device, file) < std::tie(other.device, other.file);
  }
};

// False when nothing is at the UTF-8 path (or it cannot be looked at).
bool IdentityOf(const std::string& path, FileIdentity& identity);

// False unless the stream has a regular file open.
bool RegularIdentity(std::FILE* stream, FileIdentity& identity);

// The path with the symbolic links at its end followed to the file they name,
// also when that file does not exist yet; empty when that cannot be told.
std::string FollowLinks(const std::string& path);
