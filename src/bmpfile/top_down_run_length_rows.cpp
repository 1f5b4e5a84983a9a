// SPDX-License-Identifier: MIT
#include "bmpfile/top_down_run_length_rows.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "bmpfile/holding_source.h"

namespace bmpresize {

TopDownRunLengthRows::RowStart TopDownRunLengthRows::StartHere(const RunLengthDecoder& decoder,
                                                               std::int64_t offset) const {
  return {offset, static_cast<std::int32_t>(decoder.Row()),
          static_cast<std::int32_t>(std::min<std::int64_t>(decoder.X(), layout_.width))};
}

MemorySource TopDownRunLengthRows::DataFrom(const RowStart& start) const {
  const auto offset = static_cast<std::size_t>(start.offset);
  return MemorySource(data_.Data() + offset, data_.Size() - offset);
}

namespace {

// The bytes of data from where the source stands to its end; -1 when its
// length is not known.
std::int64_t DataLeft(ByteSource& source) {
  const std::int64_t length = source.CanSeek() ? source.Length() : -1;
  return length < 0 ? -1 : std::max<std::int64_t>(0, length - source.Position());
}

}  // namespace

std::uint64_t TopDownRunLengthRows::NotesFor(const FileLayout& layout, std::uint64_t dataBytes) {
  // Every start but the last takes two bytes of data at least and enters a
  // row further down.
  const std::uint64_t starts = std::min<std::uint64_t>(dataBytes / 2, static_cast<std::uint64_t>(layout.height)) + 1;
  return (starts + kStartsANote - 1) / kStartsANote;
}

bool TopDownRunLengthRows::KnowsItsData(ByteSource& source) { return DataLeft(source) >= 0; }

std::uint64_t TopDownRunLengthRows::HeldFor(ByteSource& source, const FileLayout& layout) {
  const std::int64_t data = DataLeft(source);
  if (data < 0) return 0;
  return static_cast<std::uint64_t>(data) + NotesFor(layout, static_cast<std::uint64_t>(data)) * sizeof(RowStart);
}

bool TopDownRunLengthRows::HoldAtOnce() {
  const auto data = static_cast<std::uint64_t>(DataLeft(source_));
  const std::uint64_t notes = NotesFor(layout_, data);
  const std::uint64_t bytes = data + notes * sizeof(RowStart);
  if (!WithinBudget(bytes)) return false;
  if (bytes > static_cast<std::size_t>(-1) || !data_.Reserve(static_cast<std::size_t>(data)) ||
      !notes_.Reserve(static_cast<std::size_t>(notes))) {
    NoMemory(static_cast<std::int64_t>(bytes));
    return false;
  }
  known_ = true;
  return true;
}

std::size_t TopDownRunLengthRows::DataRoom() const { return known_ ? data_.Bytes() : Room() - notes_.Bytes(); }

std::size_t TopDownRunLengthRows::NotesRoom() const { return known_ ? notes_.Bytes() : Room() - data_.Bytes(); }

template <typename T>
bool TopDownRunLengthRows::CannotGrow(const GrowingArray<T>& held) {
  if (!held.OverRoom()) {
    NoMemory(
        static_cast<std::int64_t>(std::min<std::uint64_t>(held.Wanted(), std::numeric_limits<std::int64_t>::max())));
  } else {
    // Holding one item more takes its block and the next at once, besides
    // what else is held.
    NeedsAtLeast(HeldBytes() - held.Bytes() + held.Wanted());
  }
  return false;
}

bool TopDownRunLengthRows::Prepare() {
  if (DataLeft(source_) >= 0 && !HoldAtOnce()) return false;
  HoldingSource held(source_, data_, DataRoom());
  RunLengthDecoder decoder(layout_);
  for (std::size_t starts = 0; !decoder.Stopped(); ++starts) {
    if (starts % kStartsANote == 0) {
      if (!notes_.Push(StartHere(decoder, held.Position()), NotesRoom())) return CannotGrow(notes_);
      held.SetRoom(DataRoom());
    }
    decoder.DecodeRow(held, nullptr);
  }
  if (held.OutOfMemory()) return CannotGrow(data_);
  // The data ran out before an end-of-bitmap mark or the bottom row: the rows
  // above the one it ran out in came whole.
  if (decoder.RanOut() && !SourceFailed()) NoteDataEnd(decoder.Row());
  notesAbove_ = notes_.Size();
  return !Failed();
}

void TopDownRunLengthRows::FindStarts(std::size_t n) {
  MemorySource data = DataFrom(notes_[n]);
  RunLengthDecoder decoder = DecoderAt(notes_[n]);
  startCount_ = 0;
  while (startCount_ < kStartsANote && !decoder.Stopped()) {
    starts_[startCount_++] = StartHere(decoder, notes_[n].offset + data.Position());
    decoder.DecodeRow(data, nullptr);
  }
  startsOf_ = n + 1;
  startsAbove_ = startCount_;
}

const TopDownRunLengthRows::RowStart* TopDownRunLengthRows::StartOf(std::int64_t r) {
  while (notesAbove_ > 0 && notes_[notesAbove_ - 1].row > r) --notesAbove_;
  if (notesAbove_ == 0) return nullptr;
  if (startsOf_ != notesAbove_) FindStarts(notesAbove_ - 1);
  while (startsAbove_ > 0 && starts_[startsAbove_ - 1].row > r) --startsAbove_;
  if (startsAbove_ == 0 || starts_[startsAbove_ - 1].row != r) return nullptr;
  return &starts_[startsAbove_ - 1];
}

bool TopDownRunLengthRows::ReadRow(PixelRow row) {
  // The file's first row is the picture's top one.
  const std::int64_t r = std::int64_t{layout_.height} - 1 - nextRow_++;
  FillWhite(row);
  const RowStart* start = StartOf(r);
  if (start != nullptr) {
    MemorySource data = DataFrom(*start);
    RunLengthDecoder decoder = DecoderAt(*start);
    decoder.DecodeRow(data, &row);
  }
  // The rows above come from the data as long as it enters one of them.
  return notesAbove_ > 0;
}

}  // namespace bmpresize
