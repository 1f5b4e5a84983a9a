// SPDX-License-Identifier: MIT
// The row stage of the reader: one row reader for each way the rows can lie
// in a file (RowStorage), all behind this interface. Each hands the picture's
// rows over from the bottom up.
//
//   Prepare()     takes the memory its rows need; false with the cause
//   ReadRow(row)  the next row up, decoded
//   SkipRows(n)   passes over the next n rows as n calls of ReadRow would,
//                 without decoding them
//
// A read that fails with an error fails the reader (Failed(), Failure());
// the reader that uses these then refuses every later call.
#pragma once

#include <cstdint>
#include <memory>

#include "bmpfile/byte_source.h"
#include "bmpfile/data_shortfall.h"
#include "bmpfile/file_layout.h"
#include "bmpfile/memory_budget.h"
#include "image/pixel_row.h"
#include "result/cause.h"

namespace bmpresize {

class RowReader {
 public:
  RowReader(ByteSource& source, const FileLayout& layout);
  virtual ~RowReader() = default;
  RowReader(const RowReader&) = delete;
  RowReader& operator=(const RowReader&) = delete;

  // What Prepare and the rows may hold in memory; none is the default.
  void Limit(const MemoryBudget& budget) { budget_ = budget; }
  [[nodiscard]] virtual bool Prepare() { return true; }
  // Fills row (of the picture's width) and answers true. Once the pixel data
  // has run out it answers false and the row comes back white, as does every
  // row after it (false always means that every later row is white too).
  // Rows or pixels that the storage leaves out without the data running out
  // (a run-length delta, the bottom rows of a short top-down file, the missing
  // pixels of a 16-bit file) come back white or repeated with true.
  virtual bool ReadRow(PixelRow row) = 0;
  virtual void SkipRows(std::int64_t n) = 0;
  // The next row as the file stores it, where its pixels are plain 3-byte
  // ones: row.width pixels' bytes from the first column asked for, kept
  // until the next call. Null for other rows (and rows the data does not
  // hold whole), with row filled as ReadRow fills it.
  virtual const std::uint8_t* ReadPackedRow(PixelRow row) {
    (void)ReadRow(row);
    return nullptr;
  }
  // Rows from column first on, row.width pixels of them, in place of whole
  // rows; only for readers of a layout that DecodesColumns.
  void FromColumn(std::int32_t first) { firstColumn_ = first; }

  // The bytes of data held in memory, besides the row buffers.
  virtual std::uint64_t HeldBytes() const { return 0; }

  bool Failed() const { return static_cast<bool>(failure_); }
  const Cause& Failure() const { return failure_; }
  // Whether, and where, the pixel data ended before the picture did, as far
  // as the rows read and skipped so far show.
  const DataShortfall& Shortfall() const { return shortfall_; }

 protected:
  // Whether the source failed; the reader then fails with its error.
  bool SourceFailed();
  // The pixel data ended after rowsRead whole rows (the first end found counts).
  void NoteDataEnd(std::int64_t rowsRead);
  // Decodes one file row of a depth other than 16 (count bytes of it present),
  // from the first column asked for; false when the row is not whole.
  bool DecodeRow(const std::uint8_t* bytes, std::int32_t count, PixelRow row) const;
  // A row buffer of the file's stride; false with the cause when it cannot be had.
  bool AllocateRow(std::unique_ptr<std::uint8_t[]>& buffer);
  void NoMemory(std::int64_t bytes);
  // Whether bytes of data held in memory fit the budget; else the reader
  // fails with MEMORY_LIMIT and what the whole then needs.
  bool WithinBudget(std::uint64_t bytes);
  // Data held from a source of unknown length passed the budget: the whole
  // needs at least held bytes of data (MEMORY_LIMIT, marked as the least).
  void NeedsAtLeast(std::uint64_t held);
  // The budget's room, as a size.
  std::size_t Room() const;
  // Whether rows are plain 3-byte pixels that ReadPackedRow may hand over.
  bool Packed24() const { return layout_.depth == 24 && !layout_.fields32; }
  std::int32_t FirstColumn() const { return firstColumn_; }

  ByteSource& source_;
  const FileLayout& layout_;
  Cause failure_;
  DataShortfall shortfall_;
  MemoryBudget budget_;

 private:
  bool DecodeWholeRow(const std::uint8_t* bytes, std::int32_t count, PixelRow row) const;
  bool DecodeColumns(const std::uint8_t* bytes, std::int32_t count, PixelRow row) const;

  std::int32_t firstColumn_ = 0;
};

// Whether the row reader of layout decodes a row's columns alone: rows
// stored whole, of a depth other than 16 (whose missing pixels repeat the
// last pixel of the data, so that every pixel counts).
bool DecodesColumns(const FileLayout& layout);

void FillWhite(PixelRow row);

// Adds n rows to a row count, stopping at the largest count.
std::int64_t AddRows(std::int64_t row, std::int64_t n);

}  // namespace bmpresize
