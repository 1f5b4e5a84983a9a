// SPDX-License-Identifier: MIT
// Reading and writing an open regular file at offsets, without moving a
// position that others share: several threads may each read or write their
// own part of one file at once.
//
//   FileOffsetSource   a ByteSource with a position of its own (pread)
//   FileOffsetSink     an OffsetSink (pwrite)
//
// On Windows the reads and writes carry their offset in an OVERLAPPED record.
#pragma once

#include <cstdint>
#include <cstdio>

#include "bmpfile/byte_source.h"
#include "bmpfile/offset_sink.h"
#include "files/sys_result.h"

namespace bmpresize {

class FileOffsetSource final : public ByteSource {
 public:
  // Reads the file that stream has open, from position on; the stream's own
  // position is left alone.
  FileOffsetSource(std::FILE* stream, std::int64_t position);
  std::int64_t Position() const override { return position_; }
  bool CanSeek() const override { return true; }
  std::int64_t Length() const override;
  std::FILE* File() const override { return stream_; }

 private:
  std::size_t Fetch(void* destination, std::size_t n) override;
  bool Seek(std::int64_t position) override;

  std::FILE* stream_;
  std::int64_t position_;
};

class FileOffsetSink final : public OffsetSink {
 public:
  explicit FileOffsetSink(std::FILE* stream = nullptr) : stream_(stream) {}
  void Attach(std::FILE* stream) { stream_ = stream; }
  Status WriteAt(std::int64_t offset, const void* bytes, std::size_t n) override;
  std::int64_t CopyFrom(ByteSource& source, std::int64_t from, std::int64_t at, std::int64_t n) override;

 private:
  std::FILE* stream_;
};

// Whether stream is open on a regular file, that offsets can address.
bool IsRegularFileStream(std::FILE* stream);

}  // namespace bmpresize
