// SPDX-License-Identifier: MIT
// A ByteSource over an open stdio stream, read from where it stands. It can
// seek when the stream is a regular file; positions are the file's own. Made
// without a stream, it takes one later (Attach) and gives nothing before.
#pragma once

#include <cstdint>
#include <cstdio>

#include "bmpfile/byte_source.h"

namespace bmpresize {

class FileSource final : public ByteSource {
 public:
  explicit FileSource(std::FILE* stream = nullptr) { Attach(stream); }
  void Attach(std::FILE* stream);
  std::int64_t Position() const override;
  bool CanSeek() const override { return regular_; }
  std::int64_t Length() const override;
  std::FILE* File() const override { return stream_; }

 private:
  std::size_t Fetch(void* destination, std::size_t n) override;
  int FetchByte() override;
  bool Seek(std::int64_t position) override;
  // After a read that gave less than asked: which indicator the stream set;
  // error is errno as the read left it.
  void NoteShortRead(int error);

  std::FILE* stream_ = nullptr;
  bool regular_ = false;
};

}  // namespace bmpresize
