// SPDX-License-Identifier: MIT
#include "pipeline/callback_source.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace bmpresize {

std::size_t CallbackSource::Call(std::uint8_t* destination, std::size_t n) {
  std::size_t got = 0;
  const int error = read_(user_, destination, n, &got);
  if (error != 0 || got > n) {
    NoteError(error != 0 ? error : EIO);
    return 0;
  }
  if (got == 0) NoteEnd();
  return got;
}

std::size_t CallbackSource::TakeBuffered(std::uint8_t* destination, std::size_t n) {
  const std::size_t taken = std::min(n, end_ - begin_);
  std::memcpy(destination, buffer_ + begin_, taken);
  begin_ += taken;
  return taken;
}

std::size_t CallbackSource::Fetch(void* destination, std::size_t n) {
  auto* out = static_cast<std::uint8_t*>(destination);
  std::size_t done = TakeBuffered(out, n);
  // As fread: fewer than n only at the end of the data or on a failure.
  while (done < n && !AtEnd() && !Failed()) {
    if (n - done >= sizeof buffer_) {
      done += Call(out + done, n - done);
      continue;
    }
    begin_ = 0;
    end_ = Call(buffer_, sizeof buffer_);
    done += TakeBuffered(out + done, n - done);
  }
  position_ += static_cast<std::int64_t>(done);
  return done;
}

int CallbackSource::FetchByte() {
  if (begin_ == end_) {
    begin_ = 0;
    end_ = Call(buffer_, sizeof buffer_);
    if (end_ == 0) return -1;
  }
  ++position_;
  return buffer_[begin_++];
}

}  // namespace bmpresize
