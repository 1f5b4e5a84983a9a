// SPDX-License-Identifier: MIT
// Rows stored top-down (a negative height). Rows are handed out bottom-up,
// so the file's rows are taken from its end backwards: from a source that can
// seek each one is fetched from its offset, a chunk of rows at a time; from
// one that cannot, the pixel data is held in memory as far as the source
// delivers it, in one block of the bytes the header tells, had at once. A
// short file lacks the picture's bottom rows, which come back white; the rows
// above still come.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "bmpfile/growing_array.h"
#include "bmpfile/last_pixel16.h"
#include "bmpfile/row_reader.h"

namespace bmpresize {

class TopDownRows final : public RowReader {
 public:
  // Bytes of a file that can seek read at a time.
  static constexpr std::int64_t kChunkBytes = 64 * 1024;

  TopDownRows(ByteSource& source, const FileLayout& layout);
  // The bytes of pixel data a reader of layout on source holds: all the
  // header tells where the source cannot seek, else none.
  static std::uint64_t HeldFor(ByteSource& source, const FileLayout& layout);
  bool Prepare() override;
  bool ReadRow(PixelRow row) override;
  void SkipRows(std::int64_t n) override { nextRow_ = AddRows(nextRow_, n); }
  std::uint64_t HeldBytes() const override { return data_.Bytes(); }

 private:
  bool PrepareSeeking(std::int64_t end);
  bool HoldInMemory();
  // 16 bits: the last whole pixel of the data in file order.
  void FindLastPixel16();
  // Copies up to n bytes of pixel data from offset on into destination and
  // answers how many arrived.
  std::size_t Fetch(std::int64_t offset, std::uint8_t* destination, std::size_t n);
  // A row wider than the chunk, read straight into destination.
  std::size_t FetchWide(std::int64_t offset, std::int64_t want, std::uint8_t* destination);
  // Fills the chunk with the pixel data that ends at end.
  bool FillChunk(std::int64_t end);
  // The pixel data ends at offset (the file shrank while it was read).
  void DataEndsAt(std::int64_t offset);

  std::unique_ptr<std::uint8_t[]> row_;
  LastPixel16 last16_;
  std::int64_t wanted_ = 0;     // bytes of pixel data the picture needs
  std::int64_t dataStart_ = 0;  // where the pixel data starts
  std::int64_t available_ = 0;  // how many of its bytes the file holds
  bool seeking_ = false;
  GrowingArray<std::uint8_t> data_;  // the pixel data held, when not seeking
  // The part of the pixel data read last, when seeking.
  std::unique_ptr<std::uint8_t[]> chunk_;
  std::int64_t chunkSize_ = 0;
  std::int64_t chunkStart_ = 0;
  std::int64_t chunkLength_ = 0;
  std::int64_t nextRow_ = 0;  // rows handed out or skipped so far, from the bottom
};

}  // namespace bmpresize
