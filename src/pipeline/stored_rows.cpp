// SPDX-License-Identifier: MIT
#include "pipeline/stored_rows.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "image/pixel_bgra.h"
#include "pipeline/band.h"

namespace bmpresize {

namespace {

// Bytes of rows read and handed on at a time.
constexpr std::size_t kBlockBytes = std::size_t{1} << 20;

// Rows of stride bytes moved at a time, of rows in all.
std::int64_t BlockRows(std::int64_t rows, std::size_t stride) {
  return std::min<std::int64_t>(rows, std::max<std::size_t>(1, kBlockBytes / stride));
}

}  // namespace

std::uint64_t CopyBlockBytes(const BmpLayout& layout) {
  const std::uint64_t stride = RowStride(layout.width, layout.depth);
  return static_cast<std::uint64_t>(BlockRows(layout.height, static_cast<std::size_t>(stride))) * stride;
}

bool CopiesPixels(const BmpReader& reader, const BmpLayout& destination) {
  const FileLayout& source = reader.Layout();
  if (source.storage != RowStorage::kBottomUp || source.width != destination.width ||
      source.height != destination.height || source.depth != destination.depth)
    return false;
  if (source.depth == 32) return !source.fields32;
  return source.depth == 24 && RowDataSize(source.width, 24) == RowStride(source.width, 24);
}

StoredRows::StoredRows(ByteSource& in, const BmpReader& reader, const PixelArray& array, int channels)
    : in_(in),
      dataStart_(reader.DataStart()),
      array_(array),
      channels_(channels),
      blockRows_(BlockRows(array.height, array.stride)),
      shortfall_(reader.Shortfall()) {}

Status StoredRows::Prepare() {
  block_.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(blockRows_) * array_.stride]);
  if (!block_) return Because(BMPRESIZE_CAUSE_NO_MEMORY);
  return {};
}

bool StoredRows::Run(Band& band, std::int32_t, std::int32_t) {
  const auto stride = static_cast<std::int64_t>(array_.stride);
  std::int64_t row = dataStart_ < 0 ? 0 : band.CopyRows(in_, dataStart_, array_.height);
  if (row > 0 && !in_.SeekTo(dataStart_ + row * stride)) {
    failure_ = Because(BMPRESIZE_CAUSE_READ_FAILED);
    return false;
  }
  if (!ReadAndPut(band, row)) return false;
  if (row == array_.height) return true;
  shortfall_.cutShort = true;
  shortfall_.rowsRead = row;
  return PutWhite(band, row);
}

// Rows from row on, a block at a time; answers in row where the source's
// whole rows ended.
bool StoredRows::ReadAndPut(Band& band, std::int64_t& row) {
  while (row < array_.height) {
    const std::int64_t rows = std::min(blockRows_, array_.height - row);
    const std::size_t want = static_cast<std::size_t>(rows) * array_.stride;
    const std::size_t got = in_.Read(block_.get(), want);
    if (in_.Failed()) {
      failure_ = BecauseOfError(BMPRESIZE_CAUSE_READ_FAILED, in_.Error());
      return false;
    }
    const std::size_t whole = got / array_.stride;
    if (whole > 0 && !band.PutRows(block_.get(), whole)) return false;
    row += static_cast<std::int64_t>(whole);
    if (got < want) break;
  }
  return true;
}

// The rows from row up, white, as resized rows past the data's end come.
bool StoredRows::PutWhite(Band& band, std::int64_t row) {
  const std::uint8_t white[4] = {kWhite.blue, kWhite.green, kWhite.red, kWhite.alpha};
  const std::size_t bytes = static_cast<std::size_t>(blockRows_) * array_.stride;
  const auto channels = static_cast<std::size_t>(channels_);
  for (std::size_t i = 0; i < bytes; i += channels) std::memcpy(block_.get() + i, white, channels);
  for (; row < array_.height; row += blockRows_) {
    if (!band.PutRows(block_.get(), static_cast<std::size_t>(std::min(blockRows_, array_.height - row)))) return false;
  }
  return true;
}

}  // namespace bmpresize
