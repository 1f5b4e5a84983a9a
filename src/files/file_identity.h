// SPDX-License-Identifier: MIT
// Which file an open stream or descriptor is: the same device and inode on POSIX, the same
// volume and file index on Windows, so every name of one file (the same path
// spelt otherwise, a hard link, a symbolic link) is that file.
#pragma once

#include <cstdint>
#include <cstdio>

#include "files/sys_result.h"

namespace bmpresize {

struct FileId {
  std::uint64_t device = 0;
  std::uint64_t file = 0;
  bool operator==(const FileId& other) const { return device == other.device && file == other.file; }
};

// The identity of the regular file that fd has open, else EBADF when fd
// is not open, ESPIPE when it has no regular file open (a pipe, a socket, a
// terminal, a device: written where it stands, which replaces no file), or
// the error that kept the system from telling.
SysResult OpenRegularFileId(int fd, FileId& id);

// False unless the stream has a regular file open (a pipe, a terminal or a
// device has no identity here).
bool RegularFileId(std::FILE* stream, FileId& id);
// The same for a descriptor; -1 is none.
bool RegularFileId(int fd, FileId& id);

// Whether both descriptors have one regular file open; -1 is none.
bool IsSameRegularFile(int a, int b);

// The descriptor under a stream; -1 for none.
int DescriptorOf(std::FILE* stream);

}  // namespace bmpresize
