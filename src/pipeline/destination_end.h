// SPDX-License-Identifier: MIT
// Where the resized picture goes, as the pipeline opens, commits or gives it
// up: a file by its path (replaced whole or not at all, see ReplacingFile),
// capacity bytes of memory, or a caller's write function. Each gives the
// writer a ByteSink.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "bmpfile/byte_sink.h"
#include "bmpfile/offset_sink.h"
#include "bmpresize.h"
#include "files/file_offsets.h"
#include "files/file_sink.h"
#include "files/replacing_file.h"
#include "pipeline/source_end.h"
#include "result/status.h"

namespace bmpresize {

class DestinationEnd {
 public:
  DestinationEnd() = default;
  virtual ~DestinationEnd() = default;
  DestinationEnd(const DestinationEnd&) = delete;
  DestinationEnd& operator=(const DestinationEnd&) = delete;

  // Whether a picture of size bytes can go there at all, asked before any
  // memory is taken for it; the cause when not.
  virtual Status Accepts(std::uint64_t size) = 0;
  // Before the first byte, with the source already open, for a picture of
  // size bytes that it accepted.
  virtual Status Open(const SourceEnd& source, std::uint64_t size) = 0;
  virtual ByteSink& Bytes() = 0;
  // Once open, after the bytes written through Bytes(): switches to writing
  // the rest at offsets, from several threads at once, where this destination
  // can (a new regular file, memory), and answers the way to; null where it
  // takes bytes only in order. What Bytes() took is put in place first (a
  // file's buffer is flushed).
  virtual OffsetSink* StartOffsets() { return nullptr; }
  // After the last byte, once the source is closed: makes what was written
  // the destination. With sync, a file reaches stable storage first.
  virtual Status Commit(bool sync) = 0;
  // Gives up what was written.
  virtual void Abandon() {}
  // What a failure left of the picture there: BMPRESIZE_PARTIAL_...
  virtual int LeftPartial() const { return BMPRESIZE_PARTIAL_NONE; }
};

// A file by its native path; a null path is no destination, unless pathError
// says why the path given could not be made native: then no file can be
// created there.
class PathDestination final : public DestinationEnd {
 public:
  explicit PathDestination(const PathChar* path, int pathError = 0) : path_(path), pathError_(pathError) {}
  Status Accepts(std::uint64_t size) override;
  Status Open(const SourceEnd& source, std::uint64_t size) override;
  ByteSink& Bytes() override { return bytes_; }
  OffsetSink* StartOffsets() override;
  Status Commit(bool sync) override;
  void Abandon() override { file_.Abandon(); }
  int LeftPartial() const override { return file_.LeftPartial() ? BMPRESIZE_PARTIAL_IN_PLACE : BMPRESIZE_PARTIAL_NONE; }

 private:
  const PathChar* path_;
  int pathError_;
  ReplacingFile file_;
  FileSink bytes_;
  FileOffsetSink offsets_;
};

class MemoryDestination final : public DestinationEnd, private ByteSink, private OffsetSink {
 public:
  MemoryDestination(void* data, std::size_t capacity) : data_(static_cast<std::uint8_t*>(data)), capacity_(capacity) {}
  Status Accepts(std::uint64_t size) override;
  Status Open(const SourceEnd& source, std::uint64_t size) override;
  ByteSink& Bytes() override { return *this; }
  OffsetSink* StartOffsets() override { return this; }
  Status Commit(bool) override { return {}; }

 private:
  Status Write(const void* bytes, std::size_t n) override;
  Status WriteAt(std::int64_t offset, const void* bytes, std::size_t n) override;

  std::uint8_t* data_;
  std::size_t capacity_;
  std::size_t size_ = 0;
};

class CallbackDestination final : public DestinationEnd, private ByteSink {
 public:
  CallbackDestination(bmpresize_write_fn write, void* user) : write_(write), user_(user) {}
  Status Accepts(std::uint64_t) override { return {}; }
  Status Open(const SourceEnd&, std::uint64_t) override { return {}; }
  ByteSink& Bytes() override { return *this; }
  Status Commit(bool sync) override;

 private:
  Status Write(const void* bytes, std::size_t n) override;

  bmpresize_write_fn write_;
  void* user_;
  int error_ = 0;
};

}  // namespace bmpresize
