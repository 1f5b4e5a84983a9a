// SPDX-License-Identifier: MIT
#include "pipeline/inspect.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <new>

#include "bmpfile/bmp_reader.h"
#include "bmpfile/file_depths.h"
#include "pipeline/cancel_flag.h"
#include "pipeline/resize_memory.h"
#include "pipeline/stream_outcome.h"

namespace bmpresize {

namespace {

// Rows passed over at a time between looks at the cancel flag.
constexpr std::int64_t kRowsBetweenCancelChecks = 4096;

// Whether the reader failed before its headers were whole: then no field of
// them is told, since what it holds are the defaults where reads failed.
bool HeadersCutOff(const Cause& cause) {
  switch (cause.kind) {
    case BMPRESIZE_CAUSE_OPEN_FAILED:
    case BMPRESIZE_CAUSE_NOT_BMP:
    case BMPRESIZE_CAUSE_EMPTY:
    case BMPRESIZE_CAUSE_SHORT_HEADER:
    case BMPRESIZE_CAUSE_READ_FAILED:
      return true;
    default:
      return false;
  }
}

// The masks the pixels are read with: the file's bit fields, or the fixed
// layouts of 16 bits (5-5-5) and 32 bits (blue, green, red, alpha bytes).
void TellMasks(const FileLayout& layout, bmpresize_info& info) {
  std::uint32_t* masks = info.masks;
  // Masks that are all zero are masks all the same: every pixel is black.
  info.has_masks = layout.depth == 16 || layout.depth == 32;
  info.has_alpha = layout.HasAlpha() ? 1 : 0;
  if (layout.depth == 16) {
    masks[0] = layout.masks16.red;
    masks[1] = layout.masks16.green;
    masks[2] = layout.masks16.blue;
  } else if (layout.depth == 32 && layout.fields32) {
    const FieldMasks32& m = layout.layout32.masks;
    masks[0] = m.red;
    masks[1] = m.green;
    masks[2] = m.blue;
    masks[3] = m.alpha;
  } else if (layout.depth == 32) {
    masks[0] = 0x00FF0000;
    masks[1] = 0x0000FF00;
    masks[2] = 0x000000FF;
    masks[3] = 0xFF000000;
  }
}

// The header fields, as read even where the file was refused after them; the
// unsigned ones as the numbers they are.
void TellHeaders(const FileLayout& layout, bmpresize_info& info) {
  const BmpInfoHeader& header = layout.info;
  const std::int64_t height = header.biHeight < 0 ? -std::int64_t{header.biHeight} : header.biHeight;
  info.width = header.biWidth;
  info.height = static_cast<std::int32_t>(std::min<std::int64_t>(height, std::numeric_limits<std::int32_t>::max()));
  info.depth = header.biBitCount;
  info.compression = layout.header.core ? 0 : header.biCompression;
  info.header_size = static_cast<std::int32_t>(layout.header.size);
  info.top_down = header.biHeight < 0 ? 1 : 0;
  info.x_ppm = header.biXPelsPerMeter;
  info.y_ppm = header.biYPelsPerMeter;
  info.data_offset = layout.file.bfOffBits;
}

// What only a file taken tells: its tables, masks, and where its data lies.
void TellTaken(const FileLayout& layout, bmpresize_info& info) {
  info.colours = HasColourTable(layout.depth) ? layout.colours : 0;
  TellMasks(layout, info);
  info.data_offset = layout.dataOffset;
  const bool runLength = layout.storage == RowStorage::kRunLength || layout.storage == RowStorage::kTopDownRunLength;
  info.needed_size = runLength ? -1 : std::int64_t{layout.stride} * layout.height;
}

// Passes over every row but the top one, then reads that: the row readers
// learn where the data ended as a resize, which reads them all, does.
// Answers a failure, or nothing.
Cause WalkRows(BmpReader& reader, PixelRow row, const RunRules& run) {
  std::int64_t left = std::int64_t{reader.Height()} - 1;
  while (left > 0 && !reader.Failed()) {
    if (Cancelled(run)) return Because(BMPRESIZE_CAUSE_CANCELLED);
    const std::int64_t n = std::min(left, kRowsBetweenCancelChecks);
    reader.SkipRows(n);
    left -= n;
  }
  if (!reader.Failed()) (void)reader.ReadRow(row);
  if (reader.Failed()) return reader.Failure();
  if (Cancelled(run)) return Because(BMPRESIZE_CAUSE_CANCELLED);
  return Cause();
}

// The whole inspection on an open source.
bmpresize_result InspectOpen(SourceEnd& source, const RunRules& run, bmpresize_info& info) {
  bmpresize_result result{};
  info.file_size = source.Bytes().Length();
  BmpReader reader;
  const bool taken = reader.ReadHeaders(source.Bytes()).Ok();
  if (!taken && HeadersCutOff(reader.Failure())) return Failed(result, reader.Failure());
  TellHeaders(reader.Layout(), info);
  if (!taken) return Failed(result, reader.Failure());
  TellTaken(reader.Layout(), info);
  result.width = reader.Width();
  result.height = reader.Height();
  if (reader.Layout().noColourTable) result.notes |= BMPRESIZE_NOTE_NO_COLOUR_TABLE;

  // The reader's buffers and one row of pixels, within the limit; what the
  // reader holds in memory besides counts within what is left.
  const std::uint64_t limit = run.memoryLimit;
  const std::uint64_t rowBytes = sizeof(PixelBGRA) * static_cast<std::uint64_t>(reader.Width());
  const std::uint64_t needed = BmpReader::BuffersFor(reader.Layout(), -1) + rowBytes;
  const Status within = WithinLimit(Plus(needed, reader.HeldAtOnce()), limit);
  if (!within.Ok()) return Failed(result, reader.HoldsAsItComes() ? AtLeast(within.Why()) : within.Why());
  const Status started = reader.StartRows(MemoryBudget{limit, needed});
  if (!started.Ok()) return Failed(result, started.Why());
  std::unique_ptr<PixelBGRA[]> pixels(new (std::nothrow) PixelBGRA[static_cast<std::size_t>(reader.Width())]);
  if (!pixels) return Failed(result, Because(BMPRESIZE_CAUSE_NO_MEMORY_TO_READ));
  const Cause walked = WalkRows(reader, PixelRow{pixels.get(), 1, reader.Width()}, run);
  CopyShortfall(reader.Shortfall(), result.shortfall);
  if (walked) return Failed(result, walked);
  const DataShortfall& shortfall = reader.Shortfall();
  if (run.strict && shortfall.cutShort)
    return Failed(result, Because(BMPRESIZE_CAUSE_CUT_SHORT, shortfall.rowsRead, shortfall.height));
  result.code = BMPRESIZE_OK;
  return result;
}

}  // namespace

bmpresize_result Inspect(SourceEnd& source, const RunRules& run, bmpresize_info& info) {
  info = bmpresize_info{};
  const Status opened = source.Open();
  if (!opened.Ok()) return Failed(bmpresize_result{}, opened.Why());
  const bmpresize_result result = InspectOpen(source, run, info);
  source.Close();
  return result;
}

}  // namespace bmpresize
