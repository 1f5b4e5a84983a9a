// SPDX-License-Identifier: MIT
// Where the reader takes its bytes from: a file, memory, or a caller's read
// function. The reader sees only this, so every way in reads alike.
//
//   Read(destination, n)   up to n bytes, as fread(destination, 1, n) reads
//   ReadByte()             the next byte, or -1
//   AtEnd(), Failed()      the end-of-data and error indicators, which stay
//                          set: once either is, every read answers nothing
//   Position()             where the next byte comes from; -1 when unknown
//   SeekTo(position)       for sources that can seek; clears both indicators
//   Length()               the data's length; -1 when unknown
//
// Unlike the other steps, a read's failure is kept as a state and asked once
// (Failed(), Error()) rather than answered by each read: the readers take a
// few bytes at a time, and a check after each would cost more than the read.
//
// MemorySource serves bytes held in memory, seekable or, to stand in for a
// pipe, not.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace bmpresize {

class ByteSource {
 public:
  ByteSource() = default;
  virtual ~ByteSource() = default;
  ByteSource(const ByteSource&) = delete;
  ByteSource& operator=(const ByteSource&) = delete;

  // Fewer than n bytes only at the end of the data or after a failed read.
  std::size_t Read(void* destination, std::size_t n);
  int ReadByte();
  bool AtEnd() const { return atEnd_; }
  bool Failed() const { return error_ != 0; }
  // errno of the read that failed.
  int Error() const { return error_; }

  virtual std::int64_t Position() const = 0;
  virtual bool CanSeek() const { return false; }
  [[nodiscard]] bool SeekTo(std::int64_t position);
  virtual std::int64_t Length() const { return -1; }
  // The open file read, where the bytes come from one, so that a file's bytes
  // can be copied into another inside the system; null otherwise.
  virtual std::FILE* File() const { return nullptr; }

 protected:
  // Reads up to n bytes, setting the indicators through NoteEnd and NoteError
  // when it gives fewer.
  virtual std::size_t Fetch(void* destination, std::size_t n) = 0;
  virtual int FetchByte();
  virtual bool Seek(std::int64_t) { return false; }
  void NoteEnd() { atEnd_ = true; }
  // A failure without an errno of its own counts as EIO.
  void NoteError(int error);

 private:
  bool atEnd_ = false;
  int error_ = 0;
};

class MemorySource final : public ByteSource {
 public:
  MemorySource(const void* data, std::size_t size, bool seekable = true);
  std::int64_t Position() const override { return static_cast<std::int64_t>(at_); }
  bool CanSeek() const override { return seekable_; }
  std::int64_t Length() const override { return seekable_ ? static_cast<std::int64_t>(size_) : -1; }

 private:
  std::size_t Fetch(void* destination, std::size_t n) override;
  int FetchByte() override;
  bool Seek(std::int64_t position) override;

  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
  bool seekable_;
};

}  // namespace bmpresize
