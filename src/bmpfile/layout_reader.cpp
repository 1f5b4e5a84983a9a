// SPDX-License-Identifier: MIT
#include "bmpfile/layout_reader.h"

#include <algorithm>
#include <limits>

#include "bmpfile/file_depths.h"
#include "bmpfile/little_endian.h"
#include "bmpfile/read_exact.h"
#include "image/colour_tables.h"

namespace bmpresize {

namespace {

bool IsBitfields(std::uint32_t compression) { return compression == kBiBitfields || compression == kBiAlphaBitfields; }

Cause SourceFailure(const ByteSource& source) { return BecauseOfError(BMPRESIZE_CAUSE_READ_FAILED, source.Error()); }

bool Refuse(Cause& cause, const Cause& why) {
  cause = why;
  return false;
}

// The signature's bytes as far as they arrived.
struct Signature {
  std::uint8_t bytes[2] = {};
  std::size_t got = 0;
};

// The signature is judged from the record, not from the read: an empty file
// keeps the default "BM" and fails later with the other short reads.
Signature ReadSignature(ByteSource& source, BmpFileHeader& file, Cause& cause) {
  Signature signature;
  signature.got = source.Read(signature.bytes, 2);
  if (signature.got == 2) file.bfType = LoadU16LE(signature.bytes);
  if (file.bfType != kBmpSignature) {
    cause = Because(BMPRESIZE_CAUSE_NOT_BMP);
    std::copy(signature.bytes, signature.bytes + 2, cause.firstBytes);
    cause.firstByteCount =
        2 + static_cast<std::int32_t>(source.Read(cause.firstBytes + 2, sizeof cause.firstBytes - 2));
  }
  return signature;
}

// The file header after its signature, and the info header. Every field is
// read whatever the earlier reads gave.
bool ReadHeaderFields(ByteSource& source, FileLayout& layout) {
  BmpFileHeader& file = layout.file;
  BmpInfoHeader& info = layout.info;
  bool ok = ReadField(file.bfSize, source);
  ok &= ReadField(file.bfReserved1, source);
  ok &= ReadField(file.bfReserved2, source);
  ok &= ReadField(file.bfOffBits, source);
  ok &= ReadField(info.biSize, source);
  layout.header = HeaderKindFor(info.biSize);
  if (layout.header.core) {
    // OS/2 1.x: unsigned 16-bit width and height, no compression and no
    // resolution (0, which the writer turns into its default).
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    ok &= ReadField(width, source);
    ok &= ReadField(height, source);
    ok &= ReadField(info.biPlanes, source);
    ok &= ReadField(info.biBitCount, source);
    info.biWidth = width;
    info.biHeight = height;
    info.biXPelsPerMeter = 0;
    info.biYPelsPerMeter = 0;
    return ok;
  }
  ok &= ReadField(info.biWidth, source);
  ok &= ReadField(info.biHeight, source);
  ok &= ReadField(info.biPlanes, source);
  ok &= ReadField(info.biBitCount, source);
  ok &= ReadField(info.biCompression, source);
  ok &= ReadField(info.biSizeImage, source);
  ok &= ReadField(info.biXPelsPerMeter, source);
  ok &= ReadField(info.biYPelsPerMeter, source);
  ok &= ReadField(info.biClrUsed, source);
  ok &= ReadField(info.biClrImportant, source);
  return ok;
}

// A file whose headers are cut short: empty, or where it ended. A file too
// short to hold a signature passed the test on the default; what it does hold
// tells a caller that it is no BMP file at all.
Cause ShortHeaders(const ByteSource& source, const Signature& signature) {
  if (source.Failed()) return SourceFailure(source);
  Cause cause = Because(signature.got == 0 ? BMPRESIZE_CAUSE_EMPTY : BMPRESIZE_CAUSE_SHORT_HEADER, source.Position());
  if (signature.got < 2) {
    std::copy(signature.bytes, signature.bytes + signature.got, cause.firstBytes);
    cause.firstByteCount = static_cast<std::int32_t>(signature.got);
  }
  return cause;
}

// The compression and depth: one of those this reader takes.
bool CheckFormat(const FileLayout& layout, Cause& cause) {
  const std::uint16_t depth = layout.info.biBitCount;
  const std::uint32_t compression = layout.info.biCompression;
  const FileDepth* fileDepth = FileDepthFor(depth);
  if (layout.header.core) {
    // No compression field; some depths have no OS/2 1.x form.
    if (fileDepth == nullptr) return Refuse(cause, Because(BMPRESIZE_CAUSE_DEPTH, depth));
    if (!fileDepth->inCoreHeader)
      return Refuse(cause, Because(BMPRESIZE_CAUSE_DEPTH_FOR_HEADER, depth, layout.header.size));
    return true;
  }
  switch (compression) {
    case kBiRgb:
      break;
    case kBiRle8:
    case kBiRle4: {
      const std::uint16_t taken = compression == kBiRle8 ? 8 : 4;
      if (depth != taken) return Refuse(cause, Because(BMPRESIZE_CAUSE_COMPRESSION_DEPTH, compression, taken));
      break;
    }
    case kBiBitfields:
    case kBiAlphaBitfields:
      if (compression == kBiBitfields && layout.header.huffman)
        return Refuse(cause, Because(BMPRESIZE_CAUSE_COMPRESSION_FOR_HEADER, compression, layout.header.size));
      if (depth != 16 && depth != 32) return Refuse(cause, Because(BMPRESIZE_CAUSE_COMPRESSION_DEPTH, compression, 16));
      break;
    default:
      return Refuse(cause, Because(BMPRESIZE_CAUSE_COMPRESSION, compression, layout.header.size));
  }
  if (fileDepth == nullptr) return Refuse(cause, Because(BMPRESIZE_CAUSE_DEPTH, depth));
  return true;
}

// How the rows lie: the way each is stored has a row reader of its own.
RowStorage StorageFor(bool runLength, bool topDown) {
  if (runLength) return topDown ? RowStorage::kTopDownRunLength : RowStorage::kRunLength;
  return topDown ? RowStorage::kTopDown : RowStorage::kBottomUp;
}

// The picture's size and how its rows lie.
bool CheckSize(FileLayout& layout, Cause& cause) {
  const std::int32_t width = layout.info.biWidth;
  const std::int32_t height = layout.info.biHeight;
  if (width <= 0 || width > kMaxRowPixels) return Refuse(cause, Because(BMPRESIZE_CAUSE_WIDTH, width, kMaxRowPixels));
  // A negative height means rows run top-down; its magnitude must be a height.
  if (height == 0 || height == std::numeric_limits<std::int32_t>::min())
    return Refuse(cause, Because(BMPRESIZE_CAUSE_HEIGHT, height));
  const std::uint32_t compression = layout.header.core ? kBiRgb : layout.info.biCompression;
  layout.storage = StorageFor(compression == kBiRle8 || compression == kBiRle4, height < 0);
  layout.width = width;
  layout.height = height < 0 ? -height : height;
  const std::int64_t pixels = static_cast<std::int64_t>(width) * layout.height;
  if (pixels > kMaxSourcePixels)
    return Refuse(cause, Because(BMPRESIZE_CAUSE_TOO_MANY_PIXELS, pixels, kMaxSourcePixels));
  layout.depth = layout.info.biBitCount;
  layout.stride = static_cast<std::int32_t>(RowStride(width, layout.depth));
  return true;
}

// The colour table, at tableOffset with entries of entryBytes. The number of
// entries follows from bfOffBits alone (biClrUsed is not consulted). Entries
// the file cannot supply keep their standard colour, or stay white at a depth
// without a standard table (2 bits); entries beyond the count are white.
void ReadPalette(ByteSource& source, FileLayout& layout, std::int64_t tableOffset, int entryBytes) {
  layout.palette.fill(kWhite);
  (void)FillStandardTable(layout.depth, layout.palette);
  const std::int32_t size = PaletteSizeForDepth(layout.depth);
  const std::int64_t offBits = static_cast<std::int32_t>(layout.file.bfOffBits);
  const std::int64_t count = std::clamp<std::int64_t>((offBits - tableOffset) / entryBytes, 0, size);
  layout.noColourTable = count == 0;
  layout.colours = static_cast<std::int32_t>(count);
  for (std::int64_t i = 0; i < count; ++i) {
    std::uint8_t entry[4] = {};
    if (ReadExact(entry, entryBytes, 1, source))
      layout.palette[static_cast<std::size_t>(i)] = {entry[0], entry[1], entry[2],
                                                     entryBytes == 4 ? entry[3] : std::uint8_t{0}};
  }
  for (std::int64_t i = count; i < size; ++i) layout.palette[static_cast<std::size_t>(i)] = kWhite;
}

// 16-bit masks: only the low 16 bits of each 32-bit mask take part; the high
// half is read and dropped. A mask whose read fails keeps the 5-5-5 default.
void ReadMasks16(ByteSource& source, ChannelMasks& masks) {
  for (std::uint16_t* mask : {&masks.red, &masks.green, &masks.blue}) {
    std::uint16_t high = 0;
    (void)ReadField(*mask, source);
    (void)ReadField(high, source);
  }
}

// 32-bit masks: a mask whose read fails stays 0, and its channel is then 0.
void ReadMasks32(ByteSource& source, FieldMasks32& masks, bool withAlpha) {
  (void)ReadField(masks.red, source);
  (void)ReadField(masks.green, source);
  (void)ReadField(masks.blue, source);
  if (withAlpha) (void)ReadField(masks.alpha, source);
}

// Reads what lies between the info header and the pixel data that the rows
// need (colour table or masks) and answers how many bytes are left before
// bfOffBits. The gap counts a full colour table even when the file carries
// fewer entries, so a short table has its pixel data read right after its
// last entry.
std::int64_t ReadTablesAndMasks(ByteSource& source, FileLayout& layout) {
  const std::int64_t offBits = static_cast<std::int32_t>(layout.file.bfOffBits);
  const std::uint32_t compression = layout.header.core ? kBiRgb : layout.info.biCompression;
  if (HasColourTable(layout.depth)) {
    // The table follows the header that is really there: 3-byte entries after
    // an OS/2 1.x header, 4-byte entries after the others.
    const std::int64_t tableOffset = TableOffset(layout.header);
    const int entryBytes = layout.header.core ? 3 : 4;
    if (tableOffset > kHeadersSize) (void)SkipExact(static_cast<std::uint64_t>(tableOffset - kHeadersSize), source);
    ReadPalette(source, layout, tableOffset, entryBytes);
    return offBits - tableOffset - std::int64_t{entryBytes} * PaletteSizeForDepth(layout.depth);
  }
  if (layout.depth == 16 && IsBitfields(compression)) {
    // The masks sit at offset 54 in every header. An alpha mask is read only
    // with compression 6 (and ignored); in a longer header with compression 3
    // it falls in the gap.
    ReadMasks16(source, layout.masks16);
    if (compression != kBiAlphaBitfields) return offBits - kHeadersSize - kMaskBlockSize;
    std::uint32_t alpha = 0;
    (void)ReadField(alpha, source);
    return offBits - kHeadersSize - kMaskBlockSize - 4;
  }
  if (layout.depth == 32 && IsBitfields(compression)) {
    layout.fields32 = true;
    const bool withAlpha = compression == kBiAlphaBitfields || layout.header.alphaMask;
    FieldMasks32 masks;
    ReadMasks32(source, masks, withAlpha);
    layout.layout32 = LayoutFor(masks);
    return offBits - kHeadersSize - kMaskBlockSize - (withAlpha ? 4 : 0);
  }
  // Direct colour: the pixel data follows whatever lies after the fields read.
  return offBits - (layout.header.core ? TableOffset(layout.header) : kHeadersSize);
}

// Where the pixel data starts: after the gap, which follows the tables and
// masks as far as they were read. A file that ended inside them has its
// data, which it lacks, where bfOffBits says; a bfOffBits of 2^31 or more
// counts as negative, as everywhere here, which puts it right after the
// tables (gap counts from their whole size).
std::int64_t DataOffset(const ByteSource& source, const FileLayout& layout, std::int64_t gap) {
  const std::int64_t tablesEnd = source.Position();
  if (tablesEnd < 0) return -1;
  const std::int64_t offBits = static_cast<std::int32_t>(layout.file.bfOffBits);
  if (source.AtEnd()) return offBits >= 0 ? offBits : offBits - gap;
  return tablesEnd + std::max<std::int64_t>(gap, 0);
}

}  // namespace

bool ReadLayout(ByteSource& source, FileLayout& layout, Cause& cause) {
  const Signature signature = ReadSignature(source, layout.file, cause);
  if (cause) return false;
  if (!ReadHeaderFields(source, layout)) return Refuse(cause, ShortHeaders(source, signature));
  if (!CheckFormat(layout, cause) || !CheckSize(layout, cause)) return false;
  const std::int64_t gap = ReadTablesAndMasks(source, layout);
  layout.dataOffset = DataOffset(source, layout, gap);
  if (gap > 0) (void)SkipExact(static_cast<std::uint64_t>(gap), source);
  if (source.Failed()) {
    cause = SourceFailure(source);
    return false;
  }
  layout.shifts16 = ShiftsFor(layout.masks16);
  return true;
}

}  // namespace bmpresize
