// SPDX-License-Identifier: MIT
#include "bmpfile/byte_source.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace bmpresize {

std::size_t ByteSource::Read(void* destination, std::size_t n) {
  if (atEnd_ || error_ != 0 || n == 0) return 0;
  return Fetch(destination, n);
}

int ByteSource::ReadByte() {
  if (atEnd_ || error_ != 0) return -1;
  return FetchByte();
}

int ByteSource::FetchByte() {
  unsigned char byte = 0;
  return Fetch(&byte, 1) == 1 ? byte : -1;
}

bool ByteSource::SeekTo(std::int64_t position) {
  if (!CanSeek() || position < 0 || !Seek(position)) return false;
  atEnd_ = false;
  error_ = 0;
  return true;
}

void ByteSource::NoteError(int error) { error_ = error != 0 ? error : EIO; }

MemorySource::MemorySource(const void* data, std::size_t size, bool seekable)
    : data_(static_cast<const std::uint8_t*>(data)), size_(data != nullptr ? size : 0), seekable_(seekable) {}

std::size_t MemorySource::Fetch(void* destination, std::size_t n) {
  const std::size_t got = at_ < size_ ? std::min(n, size_ - at_) : 0;
  if (got > 0) std::memcpy(destination, data_ + at_, got);
  at_ += got;
  if (got < n) NoteEnd();
  return got;
}

int MemorySource::FetchByte() {
  if (at_ >= size_) {
    NoteEnd();
    return -1;
  }
  return data_[at_++];
}

bool MemorySource::Seek(std::int64_t position) {
  // Beyond the end is allowed, as for a file: reads there find the end.
  if (static_cast<std::uint64_t>(position) > static_cast<std::uint64_t>(SIZE_MAX)) return false;
  at_ = static_cast<std::size_t>(position);
  return true;
}

}  // namespace bmpresize
