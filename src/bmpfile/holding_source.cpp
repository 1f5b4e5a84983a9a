// SPDX-License-Identifier: MIT
#include "bmpfile/holding_source.h"

#include <algorithm>
#include <cerrno>

namespace bmpresize {

bool HoldingSource::Hold(const std::uint8_t* bytes, std::size_t n) {
  while (held_.Capacity() - held_.Size() < n) {
    if (!held_.Grow(room_)) {
      outOfMemory_ = true;
      NoteError(ENOMEM);
      return false;
    }
  }
  std::copy(bytes, bytes + n, held_.End());
  held_.Added(n);
  return true;
}

void HoldingSource::NoteShortRead() {
  if (source_.Failed()) {
    NoteError(source_.Error());
  } else {
    NoteEnd();
  }
}

std::size_t HoldingSource::Fetch(void* destination, std::size_t n) {
  const std::size_t got = source_.Read(destination, n);
  if (!Hold(static_cast<const std::uint8_t*>(destination), got)) return 0;
  if (got < n) NoteShortRead();
  return got;
}

int HoldingSource::FetchByte() {
  const int byte = source_.ReadByte();
  if (byte < 0) {
    NoteShortRead();
    return -1;
  }
  const auto held = static_cast<std::uint8_t>(byte);
  return Hold(&held, 1) ? byte : -1;
}

}  // namespace bmpresize
