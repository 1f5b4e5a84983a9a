// SPDX-License-Identifier: MIT
#include "bmpfile/bmp_reader.h"

#include <new>

#include "bmpfile/bottom_up_rows.h"
#include "bmpfile/run_length_rows.h"
#include "bmpfile/top_down_rows.h"
#include "bmpfile/top_down_run_length_rows.h"

namespace bmpresize {

namespace {

// The row reader for the layout's storage; null when memory for it cannot be had.
std::unique_ptr<RowReader> MakeRowReader(ByteSource& source, const FileLayout& layout) {
  switch (layout.storage) {
    case RowStorage::kBottomUp:
      return std::unique_ptr<RowReader>(new (std::nothrow) BottomUpRows(source, layout));
    case RowStorage::kTopDown:
      return std::unique_ptr<RowReader>(new (std::nothrow) TopDownRows(source, layout));
    case RowStorage::kRunLength:
      return std::unique_ptr<RowReader>(new (std::nothrow) RunLengthRows(source, layout));
    case RowStorage::kTopDownRunLength:
      return std::unique_ptr<RowReader>(new (std::nothrow) TopDownRunLengthRows(source, layout));
  }
  return nullptr;
}

}  // namespace

Status BmpReader::Fail(const Cause& cause) {
  failure_ = cause;
  state_ = State::kFailed;
  return cause;
}

Status BmpReader::OutOfTurn() { return BecauseInside("a reader's stage out of its turn"); }

Status BmpReader::Open(ByteSource& source) {
  const Status read = ReadHeaders(source);
  return read.Ok() ? StartRows(MemoryBudget()) : read;
}

Status BmpReader::ReadHeaders(ByteSource& source) {
  if (state_ != State::kFresh) return OutOfTurn();
  Cause cause;
  if (!ReadLayout(source, layout_, cause)) return Fail(cause);
  dataStart_ = source.Position();
  source_ = &source;
  state_ = State::kHeaders;
  return {};
}

Status BmpReader::StartRows(const MemoryBudget& budget) {
  if (state_ != State::kHeaders) return OutOfTurn();
  return OpenRowReader(*source_, budget);
}

std::uint64_t BmpReader::HeldAtOnce() const {
  if (state_ != State::kHeaders) return 0;
  switch (layout_.storage) {
    case RowStorage::kTopDown:
      return TopDownRows::HeldFor(*source_, layout_);
    case RowStorage::kTopDownRunLength:
      return TopDownRunLengthRows::HeldFor(*source_, layout_);
    case RowStorage::kBottomUp:
    case RowStorage::kRunLength:
      break;
  }
  return 0;
}

bool BmpReader::HoldsAsItComes() const {
  return state_ == State::kHeaders && layout_.storage == RowStorage::kTopDownRunLength &&
         !TopDownRunLengthRows::KnowsItsData(*source_);
}

void BmpReader::SetColumns(std::int32_t first, std::int32_t count) {
  firstColumn_ = first;
  columns_ = count;
}

namespace {

// Whether rows columns wide are cut from whole rows decoded first.
bool CutsRows(const FileLayout& layout, std::int32_t columns) {
  return columns >= 0 && columns < layout.width && !DecodesColumns(layout);
}

}  // namespace

std::uint64_t BmpReader::BuffersFor(const FileLayout& layout, std::int32_t columns) {
  const auto stride = static_cast<std::uint64_t>(layout.stride);
  const std::uint64_t whole =
      CutsRows(layout, columns) ? sizeof(PixelBGRA) * static_cast<std::uint64_t>(layout.width) : 0;
  switch (layout.storage) {
    case RowStorage::kBottomUp:
      return whole + stride;
    case RowStorage::kTopDown:
      return whole + stride + TopDownRows::kChunkBytes;
    case RowStorage::kRunLength:
    case RowStorage::kTopDownRunLength:
      break;
  }
  return whole;
}

Status BmpReader::OpenRows(ByteSource& source, const BmpReader& model) {
  if (state_ != State::kFresh) return OutOfTurn();
  layout_ = model.layout_;
  dataStart_ = model.dataStart_;
  SetColumns(model.firstColumn_, model.columns_);
  if (model.state_ == State::kFailed || dataStart_ < 0 || !source.SeekTo(dataStart_))
    return Fail(Because(BMPRESIZE_CAUSE_READ_FAILED));
  return OpenRowReader(source, MemoryBudget());
}

Status BmpReader::OpenRowReader(ByteSource& source, const MemoryBudget& budget) {
  rows_ = MakeRowReader(source, layout_);
  if (!rows_) return Fail(Because(BMPRESIZE_CAUSE_NO_MEMORY_TO_READ));
  rows_->Limit(budget);
  if (!rows_->Prepare()) return Fail(rows_->Failure());
  if (CutsRows(layout_, columns_)) {
    wholeRow_.reset(new (std::nothrow) PixelBGRA[static_cast<std::size_t>(layout_.width)]);
    if (!wholeRow_) return Fail(Because(BMPRESIZE_CAUSE_NO_MEMORY_TO_READ, std::int64_t{4} * layout_.width));
  } else if (columns_ >= 0) {
    rows_->FromColumn(firstColumn_);
  }
  state_ = State::kReady;
  return {};
}

void BmpReader::Close() {
  if (state_ != State::kFailed) state_ = State::kClosed;
}

void BmpReader::Check() {
  if (rows_->Failed()) (void)Fail(rows_->Failure());  // told by Failed(), once a row
}

bool BmpReader::ReadRow(PixelRow row) {
  if (state_ != State::kReady) {
    FillWhite(row);
    return false;
  }
  bool read = false;
  if (wholeRow_) {
    read = rows_->ReadRow(PixelRow{wholeRow_.get(), 1, layout_.width});
    for (std::int32_t x = 0; x < row.width; ++x) row[x] = wholeRow_[static_cast<std::size_t>(firstColumn_ + x)];
  } else {
    read = rows_->ReadRow(row);
  }
  Check();
  return read;
}

const std::uint8_t* BmpReader::ReadPackedRow(PixelRow row) {
  if (state_ != State::kReady || wholeRow_) {
    (void)ReadRow(row);
    return nullptr;
  }
  const std::uint8_t* packed = rows_->ReadPackedRow(row);
  Check();
  return packed;
}

void BmpReader::SkipRows(std::int64_t n) {
  if (state_ != State::kReady) return;
  rows_->SkipRows(n);
  Check();
}

const DataShortfall& BmpReader::Shortfall() const {
  static const DataShortfall kNone;
  return rows_ ? rows_->Shortfall() : kNone;
}

}  // namespace bmpresize
