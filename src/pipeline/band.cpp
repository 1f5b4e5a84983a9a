// SPDX-License-Identifier: MIT
#include "pipeline/band.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "pipeline/cancel_flag.h"

namespace bmpresize {

namespace {

// The most bytes of rows a band at offsets holds before it writes them out.
constexpr std::size_t kBandBufferBytes = std::size_t{256} << 10;
// The most bytes of stored rows the system copies file to file (CopyRows)
// between two looks at whether to stop.
constexpr std::int64_t kInSystemCopyBytes = std::int64_t{64} << 20;

// The rows of stride bytes a band of rows rows holds before it writes them.
std::size_t BufferRows(std::size_t rows, std::size_t stride) {
  return std::max<std::size_t>(1, std::min(rows, kBandBufferBytes / stride));
}

}  // namespace

std::uint64_t BandBufferBytes(std::int32_t height, std::size_t stride) {
  return BufferRows(static_cast<std::size_t>(height), stride) * stride + kRowBlendSlack;
}

Band::Band(BandsShared& shared, RowsIn& rows, std::int32_t first, std::int32_t end)
    : shared_(shared), rows_(rows), first_(first), end_(end), fileRow_(shared.out.Array().height - end) {}

Status Band::Prepare() {
  if (rows_.HandsStoredRows()) return {};
  const std::size_t stride = shared_.out.Array().stride;
  capacity_ = shared_.out.AtOffsets() ? BufferRows(static_cast<std::size_t>(end_ - first_), stride) : 1;
  // Each row's padding is zeroed as the row comes in. Rows blended straight
  // in may spill into the slack after the last.
  buffer_.reset(new (std::nothrow) std::uint8_t[capacity_ * stride + kRowBlendSlack]);
  if (buffer_ == nullptr) return Because(BMPRESIZE_CAUSE_NO_MEMORY);
  return {};
}

void Band::Run() {
  done_ = rows_.Run(*this, first_, end_) && Flush();
  if (!done_) shared_.stop.store(true, std::memory_order_relaxed);
}

bool Band::Stops() const {
  const RunRules& run = shared_.run;
  return shared_.stop.load(std::memory_order_relaxed) || Cancelled(run) || rows_.ReadFailure() ||
         (run.strict && rows_.Shortfall().cutShort);
}

bool Band::WriteRow(const std::uint8_t* data) {
  if (Stops()) return false;
  std::uint8_t* row = NextRow();
  const PixelArray& array = shared_.out.Array();
  if (data != row) std::memcpy(row, data, array.rowBytes);
  // A row blended in place may have spilled into its padding.
  if (array.stride > array.rowBytes) std::memset(row + array.rowBytes, 0, array.stride - array.rowBytes);
  return ++held_ < capacity_ || Flush();
}

bool Band::Flush() {
  const std::size_t rows = held_;
  held_ = 0;
  return rows == 0 || Put(buffer_.get(), rows);
}

bool Band::Put(const std::uint8_t* rows, std::size_t count) {
  written_ = shared_.out.Put(fileRow_, rows, count);
  fileRow_ += static_cast<std::int64_t>(count);
  return written_.Ok();
}

bool Band::PutRows(const std::uint8_t* rows, std::size_t count) { return !Stops() && Put(rows, count); }

std::int64_t Band::CopyRows(ByteSource& source, std::int64_t from, std::int64_t count) {
  const auto stride = static_cast<std::int64_t>(shared_.out.Array().stride);
  const std::int64_t blockRows = std::max<std::int64_t>(1, kInSystemCopyBytes / stride);
  std::int64_t copied = 0;
  while (copied < count && !Stops()) {
    const std::int64_t rows = std::min(blockRows, count - copied);
    const std::int64_t done = shared_.out.CopyIn(source, from + copied * stride, fileRow_, rows);
    copied += done;
    fileRow_ += done;
    if (done < rows) break;
  }
  return copied;
}

}  // namespace bmpresize
