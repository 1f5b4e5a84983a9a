// SPDX-License-Identifier: MIT
#include "bmpfile/top_down_rows.h"

#include <algorithm>
#include <limits>
#include <new>

#include "bmpfile/little_endian.h"

namespace bmpresize {

TopDownRows::TopDownRows(ByteSource& source, const FileLayout& layout)
    : RowReader(source, layout), last16_(layout.masks16, layout.shifts16) {}

namespace {

// Where the pixel data ends in a source that can seek to every row of it;
// -1 for one that cannot.
std::int64_t SeekableEnd(ByteSource& source, std::int64_t dataBytes) {
  const std::int64_t start = source.CanSeek() ? source.Position() : -1;
  const std::int64_t end = start >= 0 ? source.Length() : -1;
  const bool canSeek = end >= 0 && end - start >= 0 && start <= std::numeric_limits<std::int64_t>::max() - dataBytes;
  return canSeek ? end : -1;
}

}  // namespace

std::uint64_t TopDownRows::HeldFor(ByteSource& source, const FileLayout& layout) {
  const std::int64_t bytes = static_cast<std::int64_t>(layout.stride) * layout.height;
  return SeekableEnd(source, bytes) >= 0 ? 0 : static_cast<std::uint64_t>(bytes);
}

bool TopDownRows::Prepare() {
  if (!AllocateRow(row_)) return false;
  wanted_ = static_cast<std::int64_t>(layout_.stride) * layout_.height;
  const std::int64_t end = SeekableEnd(source_, wanted_);
  dataStart_ = end >= 0 ? source_.Position() : -1;
  if (!(end >= 0 ? PrepareSeeking(end) : HoldInMemory())) return false;
  if (SourceFailed()) return false;
  if (available_ < wanted_) DataEndsAt(available_);
  if (layout_.depth == 16 && available_ < wanted_) {
    FindLastPixel16();
    shortfall_.repeatsLastPixel = last16_.Found();
  }
  return !Failed();
}

bool TopDownRows::PrepareSeeking(std::int64_t end) {
  seeking_ = true;
  available_ = std::min(end - dataStart_, wanted_);
  // Rows are read a chunk at a time, so that narrow rows do not cost a seek
  // and a read each; a row wider than the chunk is read on its own.
  chunkSize_ = std::min<std::int64_t>(available_, kChunkBytes);
  if (chunkSize_ > 0) {
    chunk_.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(chunkSize_)]);
    if (!chunk_) NoMemory(chunkSize_);
  }
  return !Failed();
}

bool TopDownRows::HoldInMemory() {
  // The header tells how many bytes the pixel data takes: one block of them,
  // had before any is read, is all that is held.
  const auto bytes = static_cast<std::uint64_t>(wanted_);
  if (!WithinBudget(bytes)) return false;
  if (bytes > static_cast<std::size_t>(-1) || !data_.Reserve(static_cast<std::size_t>(bytes))) {
    NoMemory(wanted_);
    return false;
  }
  while (data_.Size() < data_.Capacity() && !source_.AtEnd() && !source_.Failed()) {
    data_.Added(source_.Read(data_.End(), data_.Capacity() - data_.Size()));
  }
  available_ = static_cast<std::int64_t>(data_.Size());
  return true;
}

void TopDownRows::FindLastPixel16() {
  // The last whole pixel of the last row the file reaches.
  const std::int64_t rows = available_ / layout_.stride;
  const std::int64_t inRow = std::min<std::int64_t>(layout_.width, available_ % layout_.stride / 2);
  std::int64_t at = -1;
  if (inRow > 0) {
    at = rows * layout_.stride + 2 * (inRow - 1);
  } else if (rows > 0) {
    at = (rows - 1) * layout_.stride + 2 * (std::int64_t{layout_.width} - 1);
  }
  std::uint8_t value[2];
  if (at >= 0 && Fetch(at, value, 2) == 2) last16_.Set(LoadU16LE(value));
}

void TopDownRows::DataEndsAt(std::int64_t offset) {
  if (SourceFailed()) return;
  // A read that came up short shows only that the data ends before offset;
  // the file's length says where.
  const std::int64_t end = seeking_ ? source_.Length() : -1;
  if (end >= 0) offset = std::min(offset, end - dataStart_);
  available_ = std::clamp<std::int64_t>(offset, 0, available_);
  shortfall_.cutShort = true;
  shortfall_.rowsRead = available_ / layout_.stride;
}

std::size_t TopDownRows::Fetch(std::int64_t offset, std::uint8_t* destination, std::size_t n) {
  if (offset < 0 || offset >= available_) return 0;
  const std::int64_t want = std::min<std::int64_t>(static_cast<std::int64_t>(n), available_ - offset);
  if (!seeking_) {
    std::copy(data_.Data() + offset, data_.Data() + offset + want, destination);
    return static_cast<std::size_t>(want);
  }
  if (want > chunkSize_) return FetchWide(offset, want, destination);
  if ((offset < chunkStart_ || offset + want > chunkStart_ + chunkLength_) && !FillChunk(offset + want)) return 0;
  // A file that shrank since its length was taken gives what is left.
  const std::int64_t got = std::clamp<std::int64_t>(chunkStart_ + chunkLength_ - offset, 0, want);
  std::copy(chunk_.get() + (offset - chunkStart_), chunk_.get() + (offset - chunkStart_) + got, destination);
  return static_cast<std::size_t>(got);
}

std::size_t TopDownRows::FetchWide(std::int64_t offset, std::int64_t want, std::uint8_t* destination) {
  chunkStart_ = offset;
  chunkLength_ = 0;
  if (!source_.SeekTo(dataStart_ + offset)) return 0;
  const std::size_t got = source_.Read(destination, static_cast<std::size_t>(want));
  if (got < static_cast<std::size_t>(want)) DataEndsAt(offset + static_cast<std::int64_t>(got));
  return Failed() ? 0 : got;
}

bool TopDownRows::FillChunk(std::int64_t end) {
  // Rows are asked for from the file's end backwards, so the chunk is filled
  // with the data that ends where this request ends.
  const std::int64_t start = std::max<std::int64_t>(0, end - chunkSize_);
  chunkStart_ = start;
  chunkLength_ = 0;
  if (!source_.SeekTo(dataStart_ + start)) return false;
  chunkLength_ = static_cast<std::int64_t>(source_.Read(chunk_.get(), static_cast<std::size_t>(end - start)));
  // A file that shrank since its length was taken: what lies beyond its new
  // end is known to be gone, and costs no more reads.
  if (chunkLength_ < end - start) DataEndsAt(start + chunkLength_);
  return !Failed();
}

bool TopDownRows::ReadRow(PixelRow row) {
  const std::int64_t i = nextRow_++;
  // The file's first row is the picture's top one.
  const std::int64_t fileRow = std::int64_t{layout_.height} - 1 - i;
  const std::size_t got =
      fileRow >= 0 ? Fetch(fileRow * layout_.stride, row_.get(), static_cast<std::size_t>(layout_.stride)) : 0;
  if (Failed()) {
    FillWhite(row);
    return false;
  }
  if (layout_.depth == 16) {
    (void)last16_.Decode(row_.get(), got, row);
    return true;
  }
  if (got == static_cast<std::size_t>(layout_.stride) && DecodeRow(row_.get(), layout_.stride, row)) return true;
  FillWhite(row);
  // A short file lacks the bottom rows; the rows above still come. Only a file
  // without its top row has nothing more to give.
  return fileRow >= 0 && available_ >= layout_.stride;
}

}  // namespace bmpresize
