// SPDX-License-Identifier: MIT
#include "pipeline/pixel_copy.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

#include "files/copy_range.h"
#include "pipeline/row_stream.h"

namespace {

// Bytes of rows read and written at a time, and copied in the kernel between
// two looks at the cancel flag.
constexpr std::size_t kBlockBytes = std::size_t{1} << 20;
constexpr std::int64_t kKernelBlockBytes = std::int64_t{64} << 20;

// Rows of stride bytes moved at a time, of rows in all.
std::int64_t BlockRows(std::int64_t rows, std::size_t stride) {
  return std::min<std::int64_t>(rows, std::max<std::size_t>(1, kBlockBytes / stride));
}

struct PixelArray {
  std::int64_t dataOffset;  // in the destination
  std::size_t stride;
  std::int64_t rows;
};

// The destination's pixel array, at offsets where it takes them, else in order.
class RowsOut {
 public:
  RowsOut(DestinationEnd& destination, const PixelArray& array)
      : offsets_(destination.AtOffsets()), bytes_(destination.Bytes()), array_(array) {}
  // Writes whole rows from row on; 0 or the errno of the write that failed.
  int Put(std::int64_t row, const std::uint8_t* data, std::int64_t rows) {
    const auto n = static_cast<std::size_t>(rows) * array_.stride;
    if (offsets_ != nullptr)
      return offsets_->WriteAt(array_.dataOffset + row * static_cast<std::int64_t>(array_.stride), data, n);
    if (bytes_.Write(data, n)) return 0;
    return bytes_.Error() != 0 ? bytes_.Error() : EIO;
  }

 private:
  OffsetSink* offsets_;
  ByteSink& bytes_;
  const PixelArray& array_;
};

// The rows copied file to file in the kernel, from the bottom: fewer than all
// where the source ends early, the kernel cannot copy between these files, or
// the caller cancelled. A part row copied past them is written again.
std::int64_t CopyInKernel(const SourceEnd& source, const BmpReader& reader, DestinationEnd& destination,
                          const PixelArray& array, const bmpresize_options& options) {
  std::FILE* from = source.File();
  std::FILE* to = destination.NewFile();
  if (from == nullptr || to == nullptr || reader.DataStart() < 0) return 0;
  const auto stride = static_cast<std::int64_t>(array.stride);
  const std::int64_t blockRows = std::max<std::int64_t>(1, kKernelBlockBytes / stride);
  std::int64_t row = 0;
  while (row < array.rows && !Cancelled(options)) {
    const std::int64_t rows = std::min(blockRows, array.rows - row);
    int error = 0;
    const std::int64_t copied = CopyFileRange(from, reader.DataStart() + row * stride, to,
                                              array.dataOffset + row * stride, rows * stride, error);
    row += copied / stride;
    if (copied < rows * stride) break;
  }
  return row;
}

// Rows from row on, read and written a block at a time; false with the
// outcome's cause when the source or the destination failed or the caller
// cancelled. Answers in row where the source's whole rows ended.
bool ReadAndWrite(ByteSource& in, RowsOut& out, const PixelArray& array, std::uint8_t* block, std::int64_t blockRows,
                  const bmpresize_options& options, std::int64_t& row, StreamOutcome& outcome) {
  while (row < array.rows) {
    if (Cancelled(options)) return false;
    const std::int64_t rows = std::min(blockRows, array.rows - row);
    const std::size_t want = static_cast<std::size_t>(rows) * array.stride;
    const std::size_t got = in.Read(block, want);
    const auto whole = static_cast<std::int64_t>(got / array.stride);
    if (in.Failed()) {
      outcome.readFailure = BecauseOfError(BMPRESIZE_CAUSE_READ_FAILED, in.Error());
      return false;
    }
    const int error = whole > 0 ? out.Put(row, block, whole) : 0;
    if (error != 0) {
      outcome.writeFailure = BecauseOfError(BMPRESIZE_CAUSE_WRITE_FAILED, error);
      return false;
    }
    row += whole;
    if (got < want) break;
  }
  return true;
}

// The rows from row up, white, as a stream past the data's end gives them.
int PutWhite(RowsOut& out, const PixelArray& array, int channels, std::uint8_t* block, std::int64_t blockRows,
             std::int64_t row) {
  const std::uint8_t white[4] = {kWhite.blue, kWhite.green, kWhite.red, kWhite.alpha};
  const std::size_t bytes = static_cast<std::size_t>(blockRows) * array.stride;
  for (std::size_t i = 0; i < bytes; i += static_cast<std::size_t>(channels)) std::memcpy(block + i, white, channels);
  for (; row < array.rows; row += blockRows) {
    const int error = out.Put(row, block, std::min(blockRows, array.rows - row));
    if (error != 0) return error;
  }
  return 0;
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

bool CopyPixels(SourceEnd& source, const BmpReader& reader, DestinationEnd& destination, const BmpLayout& layout,
                const bmpresize_options& options, StreamOutcome& outcome) {
  const PixelArray array{HeadersFor(layout).file.bfOffBits,
                         static_cast<std::size_t>(RowStride(layout.width, layout.depth)), layout.height};
  const std::int64_t blockRows = BlockRows(array.rows, array.stride);
  std::unique_ptr<std::uint8_t[]> block(new (std::nothrow)
                                            std::uint8_t[static_cast<std::size_t>(blockRows) * array.stride]);
  if (!block) return false;
  outcome.shortfall = reader.Shortfall();
  RowsOut out(destination, array);
  std::int64_t row = CopyInKernel(source, reader, destination, array, options);
  ByteSource& in = source.Bytes();
  const auto stride = static_cast<std::int64_t>(array.stride);
  if (row > 0 && !in.SeekTo(reader.DataStart() + row * stride)) {
    outcome.readFailure = Because(BMPRESIZE_CAUSE_READ_FAILED);
    return true;
  }
  if (!ReadAndWrite(in, out, array, block.get(), blockRows, options, row, outcome)) return true;
  if (row < array.rows) {
    outcome.shortfall.cutShort = true;
    outcome.shortfall.rowsRead = row;
    if (options.strict) return true;
    const int error = PutWhite(out, array, layout.depth / 8, block.get(), blockRows, row);
    if (error != 0) {
      outcome.writeFailure = BecauseOfError(BMPRESIZE_CAUSE_WRITE_FAILED, error);
      return true;
    }
  }
  outcome.streamed = true;
  return true;
}
