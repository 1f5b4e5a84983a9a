// SPDX-License-Identifier: MIT
#include "files/descriptor_io.h"

#include <cerrno>
#include <cstring>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace bmpresize {

namespace {

#ifdef _WIN32

int WriteAll(int, const std::uint8_t*, std::size_t, std::uint64_t&) { return EBADF; }

#else

int Reason(int error) { return error != 0 ? error : EIO; }

// All n bytes, however many writes a pipe or a signal makes of them.
int WriteAll(int fd, const std::uint8_t* bytes, std::size_t n, std::uint64_t& delivered) {
  while (n > 0) {
    errno = 0;
    const ssize_t put = write(fd, bytes, n);
    if (put <= 0) return Reason(errno);
    bytes += put;
    n -= static_cast<std::size_t>(put);
    delivered += static_cast<std::uint64_t>(put);
  }
  return 0;
}

#endif

int SendHeld(DescriptorWriter& writer) {
  const std::size_t held = writer.held;
  writer.held = 0;
  return WriteAll(writer.fd, writer.block, held, writer.delivered);
}

}  // namespace

SysResult SyncDescriptor(int fd) {
#ifdef _WIN32
  (void)fd;
  return {EBADF};
#else
  // Pipes, terminals and some devices have nothing to sync.
  if (fsync(fd) == 0 || errno == EINVAL || errno == EROFS || errno == ENOTSUP) return {};
  return {Reason(errno)};
#endif
}

SysResult CheckDescriptor(int fd, bool writing) {
#ifdef _WIN32
  (void)fd;
  (void)writing;
  return {EBADF};
#else
  const int flags = fcntl(fd, F_GETFL);
  if (flags < 0) return {EBADF};
  const int access = flags & O_ACCMODE;
  return {access == O_RDWR || access == (writing ? O_WRONLY : O_RDONLY) ? 0 : EBADF};
#endif
}

int ReadDescriptor(void* user, void* buffer, std::size_t size, std::size_t* got) {
#ifdef _WIN32
  (void)user;
  (void)buffer;
  (void)size;
  (void)got;
  return EBADF;
#else
  const std::size_t chunk = size > std::size_t{1} << 30 ? std::size_t{1} << 30 : size;
  errno = 0;
  const ssize_t n = read(*static_cast<const int*>(user), buffer, chunk);
  if (n < 0) return Reason(errno);
  *got = static_cast<std::size_t>(n);
  return 0;
#endif
}

int WriteDescriptor(void* user, const void* data, std::size_t size) {
  DescriptorWriter& writer = *static_cast<DescriptorWriter*>(user);
  if (data == nullptr) return SendHeld(writer);
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  if (writer.held + size > sizeof writer.block) {
    if (const int error = SendHeld(writer)) return error;
    // What fills a block by itself goes as it is.
    if (size >= sizeof writer.block) return WriteAll(writer.fd, bytes, size, writer.delivered);
  }
  std::memcpy(writer.block + writer.held, bytes, size);
  writer.held += size;
  return 0;
}

}  // namespace bmpresize
