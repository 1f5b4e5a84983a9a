// SPDX-License-Identifier: MIT
// Reading a BMP file in two stages, so a caller can stream it row by row:
//
//   Open(source)   header stage (ReadLayout): the headers, the checks, the
//                  colour table or bit-field masks, and the gap before the
//                  pixel data, into the file's layout; then the row reader
//                  for the way its rows are stored (RowReader)
//   ReadRow(row)   row stage: the next row of the picture, from the bottom
//                  up, decoded into a row of pixels
//   SkipRows(n)    row stage: passes over the next n rows without decoding
//                  them, keeping every state a later row depends on
//
// Memory stays in proportion to a row: run-length encoded data is decoded
// forward as rows are asked for, and the rows of a top-down file are fetched
// by seeking back to each one. Only a top-down file on a source that cannot
// seek is held in memory, in a block of the bytes its header tells, and so is
// the encoded data of a top-down run-length file, in a block of the source's
// length where it is known, else as far as it is decoded.
//
// A reader reads one source. Its stages answer a Status. Once it has failed
// (the file was refused, memory was short, or a read failed with an error:
// Failure() says which) or been closed, it refuses every call: rows come back
// white. The row stage keeps its failure as a state (Failed()), since rows
// come a row at a time and their caller looks once a row.
#pragma once

#include <cstdint>
#include <memory>

#include "bmpfile/byte_source.h"
#include "bmpfile/data_shortfall.h"
#include "bmpfile/file_layout.h"
#include "bmpfile/layout_reader.h"
#include "bmpfile/memory_budget.h"
#include "bmpfile/row_reader.h"
#include "image/pixel_row.h"
#include "result/cause.h"
#include "result/status.h"

namespace bmpresize {

class BmpReader {
 public:
  BmpReader() = default;
  BmpReader(const BmpReader&) = delete;
  BmpReader& operator=(const BmpReader&) = delete;

  // The cause (also Failure()) when the file is refused; a second call is
  // refused (INTERNAL) and changes nothing. Open is ReadHeaders, then
  // StartRows without a budget.
  Status Open(ByteSource& source);
  // The header stage alone.
  Status ReadHeaders(ByteSource& source);
  // The row stage on the source the headers came from, holding data in
  // memory only within budget.
  Status StartRows(const MemoryBudget& budget);
  // Rows of count pixels from column first on, in place of whole rows: set
  // after the header stage, before the row stage (a second reader takes its
  // model's). Rows stored whole are decoded only there; others are decoded
  // whole into a row of the reader's and cut.
  void SetColumns(std::int32_t first, std::int32_t count);
  // The bytes of a reader's row buffers for a file of layout read columns
  // columns wide, besides data it holds in memory (HeldBytes()).
  static std::uint64_t BuffersFor(const FileLayout& layout, std::int32_t columns);
  std::uint64_t HeldBytes() const { return rows_ ? rows_->HeldBytes() : 0; }
  // After the header stage: the bytes of data the row stage will hold in
  // memory, where the headers and the source tell them before any is read; 0
  // where it holds none, or how many is not known until the data ends (a
  // top-down run-length file from a source of unknown length).
  std::uint64_t HeldAtOnce() const;
  // After the header stage: whether the row stage holds data whose amount is
  // known only once it ends.
  bool HoldsAsItComes() const;
  // Opens a second reader of the same file's rows, on a source of its own
  // standing anywhere: the headers are taken from model, already open, and
  // the rows read from model's DataStart(); READ_FAILED where it cannot.
  Status OpenRows(ByteSource& source, const BmpReader& model);
  // Where the pixel data starts in the source; -1 when it cannot tell.
  std::int64_t DataStart() const { return dataStart_; }
  // Refuses every later call; the source is the caller's to close.
  void Close();
  bool Failed() const { return state_ == State::kFailed; }
  const Cause& Failure() const { return failure_; }

  // Fills row (of Width() pixels) as RowReader::ReadRow does; false with a
  // white row once the reader has failed or been closed.
  bool ReadRow(PixelRow row);
  // The row's bytes as RowReader::ReadPackedRow gives them, or null with row
  // filled as ReadRow fills it.
  const std::uint8_t* ReadPackedRow(PixelRow row);
  void SkipRows(std::int64_t n);
  // Whether, and where, the pixel data ended before the picture did, as far
  // as the rows read and skipped so far show (a top-down file shows it at
  // once). In a bottom-up file the rows asked for last, the top ones, lie at
  // its end, so a resize that reads them always learns it.
  const DataShortfall& Shortfall() const;

  // What the headers say: after a refusal, the fields as far as they were read.
  const FileLayout& Layout() const { return layout_; }
  std::int32_t Width() const { return layout_.width; }
  std::int32_t Height() const { return layout_.height; }
  std::int32_t Depth() const { return layout_.depth; }

 private:
  enum class State { kFresh, kHeaders, kReady, kFailed, kClosed };
  Status Fail(const Cause& cause);
  // A stage called out of its turn.
  static Status OutOfTurn();
  Status OpenRowReader(ByteSource& source, const MemoryBudget& budget);
  // After a row call: a row reader that failed fails the reader.
  void Check();

  State state_ = State::kFresh;
  FileLayout layout_;
  std::int32_t firstColumn_ = 0;
  std::int32_t columns_ = -1;              // -1: whole rows
  std::unique_ptr<PixelBGRA[]> wholeRow_;  // a row decoded whole, to be cut
  std::int64_t dataStart_ = -1;
  ByteSource* source_ = nullptr;  // between the two stages
  Cause failure_;
  std::unique_ptr<RowReader> rows_;
};

}  // namespace bmpresize
