// SPDX-License-Identifier: MIT
// 8-bit and 4-bit run-length encoded rows stored top-down (a negative
// height). The data starts at the top row while rows are handed out from the
// bottom, and where a row's data starts is known only once the rows above it
// are decoded. So the data is decoded once when the reader is prepared, held
// in memory as it is read, and the start of every 64th row it enters is
// noted; a row asked for is decoded from its own start, found again from the
// nearest note above it. Rows asked for run upwards, so each byte of the data
// is gone over three times at most: when prepared, when the starts after its
// note are found, and when its row is decoded.
//
// Memory: the data as far as it is decoded, and 16 bytes for every 64 rows
// the data enters, which each take at least two bytes of it: no more than the
// file can justify, whatever height the header claims. Where the source's
// length is known, both are had at once within the budget, before any data is
// read, as much as that length allows. From a source of unknown length they
// grow as they come, each within the room the other leaves (the data up to
// twice itself while its block grows); passing the budget then shows only the
// least the whole needs.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bmpfile/growing_array.h"
#include "bmpfile/row_reader.h"
#include "bmpfile/run_length_decoder.h"

namespace bmpresize {

class TopDownRunLengthRows final : public RowReader {
 public:
  using RowReader::RowReader;
  // The bytes of data and notes a reader of layout on source holds at most,
  // where the source's length tells; 0 where it does not.
  static std::uint64_t HeldFor(ByteSource& source, const FileLayout& layout);
  // Whether source tells how much data there is to hold (its length).
  static bool KnowsItsData(ByteSource& source);
  bool Prepare() override;
  bool ReadRow(PixelRow row) override;
  void SkipRows(std::int64_t n) override { nextRow_ = AddRows(nextRow_, n); }
  std::uint64_t HeldBytes() const override { return data_.Bytes() + notes_.Bytes(); }

 private:
  // Where the data of a row that the decoding enters starts, and the column
  // it enters at.
  struct RowStart {
    std::int64_t offset = 0;
    std::int32_t row = 0;  // from the top
    std::int32_t x = 0;    // at most the width: further right writes nothing either
  };
  static constexpr std::size_t kStartsANote = 64;

  // The most notes dataBytes of data of layout make.
  static std::uint64_t NotesFor(const FileLayout& layout, std::uint64_t dataBytes);
  // The data and the notes of the source's length, had at once within the
  // budget; false with the cause when they do not fit or cannot be had.
  bool HoldAtOnce();
  // The bytes the data or the notes may take, besides what the other holds.
  std::size_t DataRoom() const;
  std::size_t NotesRoom() const;
  // Fails for data or notes held that could not grow; answers false.
  template <typename T>
  bool CannotGrow(const GrowingArray<T>& held);
  RowStart StartHere(const RunLengthDecoder& decoder, std::int64_t offset) const;
  // A decoder at start, and the held data from there on.
  RunLengthDecoder DecoderAt(const RowStart& start) const { return RunLengthDecoder(layout_, start.row, start.x); }
  MemorySource DataFrom(const RowStart& start) const;
  // The starts from note n up to the next note.
  void FindStarts(std::size_t n);
  // The start of the file's row r, or null when the data does not enter it.
  // Rows are asked for upwards: r never grows from one call to the next.
  const RowStart* StartOf(std::int64_t r);

  GrowingArray<std::uint8_t> data_;
  GrowingArray<RowStart> notes_;  // every 64th start, from the top
  std::size_t notesAbove_ = 0;    // notes at or above the last row asked for
  RowStart starts_[kStartsANote];
  std::size_t startCount_ = 0;
  std::size_t startsOf_ = 0;     // the note whose starts are held, plus 1; 0 for none
  std::size_t startsAbove_ = 0;  // starts held at or above the last row asked for
  std::int64_t nextRow_ = 0;     // rows handed out or skipped so far, from the bottom
  bool known_ = false;           // the data's most bytes known, and had at once
};

}  // namespace bmpresize
