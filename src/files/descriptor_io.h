// SPDX-License-Identifier: MIT
// An open descriptor read or written where it stands, in the shapes of the
// library's read and write functions (bmpresize_read_fn, bmpresize_write_fn),
// so that it streams as those do: its position and append mode are kept, and
// pipes and terminals work. Nothing here opens or closes it. On Windows,
// which names no descriptor by path, every step fails with EBADF.
#pragma once

#include <cstddef>
#include <cstdint>

#include "files/sys_result.h"

namespace bmpresize {

// Brings what was written to fd to stable storage where it is a file (pipes,
// terminals and some devices have nothing to sync).
SysResult SyncDescriptor(int fd);

// Whether fd is open for reading (or, writing, for writing); else EBADF.
SysResult CheckDescriptor(int fd, bool writing);

// Reads what one read of the descriptor gives; user points to the int.
int ReadDescriptor(void* user, void* buffer, std::size_t size, std::size_t* got);

// What a write function needs of one descriptor: the pieces of the picture are
// gathered into whole blocks, so that the many small header fields cost no
// write each.
struct DescriptorWriter {
  explicit DescriptorWriter(int descriptor) : fd(descriptor) {}
  int fd;
  std::uint64_t delivered = 0;  // bytes that reached the descriptor
  std::size_t held = 0;
  std::uint8_t block[16384];
};

// Writes through the DescriptorWriter user points to; the end of the picture
// (data null) sends what is held.
int WriteDescriptor(void* user, const void* data, std::size_t size);

}  // namespace bmpresize
