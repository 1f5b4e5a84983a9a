// SPDX-License-Identifier: MIT
// Where the picture comes from, as the pipeline opens and closes it: a file by
// its path, bytes in memory, or a caller's read function. Each gives the
// reader a ByteSource.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>

#include "bmpfile/byte_source.h"
#include "bmpresize.h"
#include "files/file_identity.h"
#include "files/file_source.h"
#include "files/file_stream.h"
#include "pipeline/callback_source.h"
#include "result/status.h"

namespace bmpresize {

class SourceEnd {
 public:
  SourceEnd() = default;
  virtual ~SourceEnd() = default;
  SourceEnd(const SourceEnd&) = delete;
  SourceEnd& operator=(const SourceEnd&) = delete;

  // OPEN_FAILED when there is nothing to read.
  virtual Status Open() = 0;
  // The bytes, read in order from the start: the headers, then the rows.
  virtual ByteSource& Bytes() = 0;
  // Whether the source is a file read by path (Descriptor() then the open
  // file's), so that a destination can tell whether it is that file. Memory
  // and a read function may hold any file's bytes.
  virtual bool IsFile() const { return false; }
  // Once open: the descriptor read from, where the source is an open file or
  // descriptor (-1 otherwise), so that a destination that is a descriptor can
  // tell whether it is the same file.
  virtual int Descriptor() const { return -1; }
  // Once open: a second way into the same bytes, seekable and with a position
  // of its own, that another thread may read while this one reads the first;
  // null where the source has none (a pipe, a read function) or memory for it
  // is short.
  virtual std::unique_ptr<ByteSource> IndependentBytes() const { return nullptr; }
  // Whether the source's bytes lie in memory that the size bytes at begin
  // share, so that a destination there would write over them as they are read.
  virtual bool SharesMemory(const void* /*begin*/, std::size_t /*size*/) const { return false; }
  // Closes what Open opened, before a destination takes the source's place.
  virtual void Close() {}
};

// A file by its native path; a null path is one that cannot be opened, for
// the reason pathError gives when the path given could not be made native.
class PathSource final : public SourceEnd {
 public:
  explicit PathSource(const PathChar* path, int pathError = 0) : path_(path), pathError_(pathError) {}
  Status Open() override;
  ByteSource& Bytes() override { return bytes_; }
  bool IsFile() const override { return true; }
  int Descriptor() const override { return DescriptorOf(file_.get()); }
  std::unique_ptr<ByteSource> IndependentBytes() const override;
  void Close() override { (void)file_.Close(); }

 private:
  const PathChar* path_;
  int pathError_;
  FileHandle file_;
  FileSource bytes_;
};

class MemorySourceEnd final : public SourceEnd {
 public:
  MemorySourceEnd(const void* data, std::size_t size) : data_(data), size_(size), bytes_(data, size) {}
  Status Open() override { return {}; }
  ByteSource& Bytes() override { return bytes_; }
  std::unique_ptr<ByteSource> IndependentBytes() const override;
  bool SharesMemory(const void* begin, std::size_t size) const override;

 private:
  const void* data_;
  std::size_t size_;
  MemorySource bytes_;
};

class CallbackSourceEnd final : public SourceEnd {
 public:
  CallbackSourceEnd(bmpresize_read_fn read, void* user) : bytes_(read, user) {}
  Status Open() override { return {}; }
  ByteSource& Bytes() override { return bytes_; }

 private:
  CallbackSource bytes_;
};

}  // namespace bmpresize
