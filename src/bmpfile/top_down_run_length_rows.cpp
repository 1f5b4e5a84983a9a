// SPDX-License-Identifier: MIT
#include "bmpfile/top_down_run_length_rows.h"

#include <algorithm>

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

bool TopDownRunLengthRows::Prepare() {
  const std::size_t notesRoom = Room() / 5;
  HoldingSource held(source_, data_, Room() - notesRoom);
  RunLengthDecoder decoder(layout_);
  for (std::size_t starts = 0; !decoder.Stopped(); ++starts) {
    if (starts % kStartsANote == 0 && !notes_.Push(StartHere(decoder, held.Position()), notesRoom)) {
      // Past the room, the whole needs what is held besides.
      NoMemoryToHold(notes_.OverRoom(), notes_.Wanted() + (notes_.OverRoom() ? data_.Bytes() : 0));
      return false;
    }
    decoder.DecodeRow(held, nullptr);
  }
  if (held.OutOfMemory()) {
    NoMemoryToHold(data_.OverRoom(), data_.Wanted() + (data_.OverRoom() ? notes_.Bytes() : 0));
    return false;
  }
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
