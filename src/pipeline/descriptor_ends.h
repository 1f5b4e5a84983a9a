// SPDX-License-Identifier: MIT
// A source or destination that is a descriptor this process has open, named
// by a path such as /dev/stdout or /dev/fd/3 (DescriptorOfPath). It is read or
// written through the descriptor itself, in order, as a read or write function
// is: from where it stands and in its own mode (an append stays an append),
// never reopened, cut or replaced, so pipes, terminals and files that other
// writers share all work. Nothing here closes it.
#pragma once

#include <cstdint>

#include "files/descriptor_io.h"
#include "pipeline/callback_source.h"
#include "pipeline/destination_end.h"
#include "pipeline/source_end.h"

namespace bmpresize {

class DescriptorSource final : public SourceEnd {
 public:
  explicit DescriptorSource(int fd) : fd_(fd), bytes_(ReadDescriptor, &fd_) {}
  // False with OPEN_FAILED (EBADF) when the descriptor is not open for reading.
  Status Open() override;
  ByteSource& Bytes() override { return bytes_; }
  int Descriptor() const override { return fd_; }

 private:
  int fd_;
  CallbackSource bytes_;
};

class DescriptorDestination final : public DestinationEnd {
 public:
  explicit DescriptorDestination(int fd) : writer_(fd), end_(WriteDescriptor, &writer_) {}
  Status Accepts(std::uint64_t) override { return {}; }
  // False with CREATE_FAILED (EBADF) when the descriptor is not open for
  // writing, SAME_AS_SOURCE when it writes the file the source reads.
  Status Open(const SourceEnd& source, std::uint64_t size) override;
  ByteSink& Bytes() override { return end_.Bytes(); }
  Status Commit(bool sync) override;
  // Once bytes went out, what they were of the picture stays there.
  int LeftPartial() const override {
    return writer_.delivered > 0 ? BMPRESIZE_PARTIAL_DESCRIPTOR : BMPRESIZE_PARTIAL_NONE;
  }

 private:
  DescriptorWriter writer_;
  CallbackDestination end_;
};

}  // namespace bmpresize
