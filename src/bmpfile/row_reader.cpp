// SPDX-License-Identifier: MIT
#include "bmpfile/row_reader.h"

#include <algorithm>
#include <limits>
#include <new>

namespace bmpresize {

namespace {

std::int64_t AsCount(std::uint64_t bytes) {
  return static_cast<std::int64_t>(std::min<std::uint64_t>(bytes, std::numeric_limits<std::int64_t>::max()));
}

}  // namespace

RowReader::RowReader(ByteSource& source, const FileLayout& layout) : source_(source), layout_(layout) {
  shortfall_.height = layout.height;
  shortfall_.topDown = IsTopDown(layout.storage);
}

bool RowReader::SourceFailed() {
  if (!source_.Failed()) return false;
  failure_ = BecauseOfError(BMPRESIZE_CAUSE_READ_FAILED, source_.Error());
  return true;
}

void RowReader::NoteDataEnd(std::int64_t rowsRead) {
  if (shortfall_.cutShort) return;
  shortfall_.cutShort = true;
  shortfall_.rowsRead = std::clamp<std::int64_t>(rowsRead, 0, layout_.height);
}

bool RowReader::DecodeRow(const std::uint8_t* bytes, std::int32_t count, PixelRow row) const {
  if (firstColumn_ == 0 && row.width == layout_.width) return DecodeWholeRow(bytes, count, row);
  return DecodeColumns(bytes, count, row);
}

// Whole bytes a pixel from the first column's byte on; packed indices (1, 2
// or 4 bits, the leftmost in the high bits) one by one from its bit on.
bool RowReader::DecodeColumns(const std::uint8_t* bytes, std::int32_t count, PixelRow row) const {
  const std::int64_t depth = layout_.depth;
  const std::int64_t firstBit = firstColumn_ * depth;
  if ((firstBit + row.width * depth + 7) / 8 > count) return false;
  if (depth >= 8) {
    const auto skipped = static_cast<std::int32_t>(firstBit / 8);
    return DecodeWholeRow(bytes + skipped, count - skipped, row);
  }
  const unsigned mask = (1u << depth) - 1;
  const PixelBGRA* palette = layout_.palette.data();
  for (std::int32_t x = 0; x < row.width; ++x) {
    const std::int64_t bit = firstBit + x * depth;
    const unsigned shift = static_cast<unsigned>(8 - depth - bit % 8);
    row[x] = palette[(bytes[bit / 8] >> shift) & mask];
  }
  return true;
}

bool RowReader::DecodeWholeRow(const std::uint8_t* bytes, std::int32_t count, PixelRow row) const {
  if (layout_.fields32) return DecodeRow32Fields(bytes, count, layout_.layout32, row);
  const PixelBGRA* palette = layout_.palette.data();
  switch (layout_.depth) {
    case 32:
      return DecodeRow32(bytes, count, row);
    case 24:
      return DecodeRow24(bytes, count, row);
    case 8:
      return DecodeRow8(bytes, count, palette, row);
    case 4:
      return DecodeRow4(bytes, count, palette, row);
    case 2:
      return DecodeRow2(bytes, count, palette, row);
    case 1:
      return DecodeRow1(bytes, count, palette, row);
    default:
      return false;
  }
}

bool RowReader::AllocateRow(std::unique_ptr<std::uint8_t[]>& buffer) {
  buffer.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(layout_.stride)]);
  if (!buffer) NoMemory(layout_.stride);
  return buffer != nullptr;
}

void RowReader::NoMemory(std::int64_t bytes) { failure_ = Because(BMPRESIZE_CAUSE_NO_MEMORY_TO_READ, bytes); }

bool RowReader::WithinBudget(std::uint64_t bytes) {
  if (bytes <= budget_.Room()) return true;
  constexpr std::uint64_t kMost = std::numeric_limits<std::uint64_t>::max();
  const std::uint64_t whole = bytes > kMost - budget_.counted ? kMost : budget_.counted + bytes;
  failure_ = Because(BMPRESIZE_CAUSE_MEMORY_LIMIT, AsCount(whole), AsCount(budget_.limit));
  return false;
}

void RowReader::NeedsAtLeast(std::uint64_t held) {
  (void)WithinBudget(std::max(held, budget_.Room() + 1));
  failure_ = AtLeast(failure_);
}

std::size_t RowReader::Room() const {
  return static_cast<std::size_t>(std::min<std::uint64_t>(budget_.Room(), static_cast<std::size_t>(-1)));
}

bool DecodesColumns(const FileLayout& layout) {
  const bool wholeRows = layout.storage == RowStorage::kBottomUp || layout.storage == RowStorage::kTopDown;
  return wholeRows && layout.depth != 16;
}

void FillWhite(PixelRow row) {
  for (std::int32_t x = 0; x < row.width; ++x) row[x] = kWhite;
}

std::int64_t AddRows(std::int64_t row, std::int64_t n) {
  return n > std::numeric_limits<std::int64_t>::max() - row ? std::numeric_limits<std::int64_t>::max() : row + n;
}

}  // namespace bmpresize
