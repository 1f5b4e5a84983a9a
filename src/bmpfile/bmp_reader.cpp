// Top-down files are read by seeking to 64-bit offsets.
#if !defined(_WIN32) && !defined(_FILE_OFFSET_BITS)
#define _FILE_OFFSET_BITS 64
#endif
#include "bmpfile/bmp_reader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <new>

#include "bmpfile/little_endian.h"
#include "bmpfile/read_exact.h"
#include "image/colour_tables.h"

namespace {

// Info headers longer than 40 bytes whose colour table follows the header
// itself. Any other size but 12 is read as a 40-byte header.
bool IsLongInfoHeader(std::uint32_t size) {
  return size == 52 || size == 56 || size == 64 || size == 108 || size == 124;
}

bool IsBitfields(std::uint32_t compression) { return compression == kBiBitfields || compression == kBiAlphaBitfields; }

// Seeking by 64-bit offsets, where the platform allows it.
bool SeekTo(std::FILE* f, std::int64_t offset) {
#if defined(_WIN32)
  return _fseeki64(f, offset, SEEK_SET) == 0;
#else
  if (offset > std::numeric_limits<off_t>::max()) return false;
  return fseeko(f, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

std::int64_t Tell(std::FILE* f) {
#if defined(_WIN32)
  return _ftelli64(f);
#else
  return static_cast<std::int64_t>(ftello(f));
#endif
}

std::int64_t EndOffset(std::FILE* f) {
#if defined(_WIN32)
  if (_fseeki64(f, 0, SEEK_END) != 0) return -1;
#else
  if (fseeko(f, 0, SEEK_END) != 0) return -1;
#endif
  return Tell(f);
}

// Bytes of a top-down file read at a time.
constexpr std::int64_t kTopDownChunkBytes = 64 * 1024;

std::int64_t AddRows(std::int64_t row, std::int64_t n) {
  return n > std::numeric_limits<std::int64_t>::max() - row ? std::numeric_limits<std::int64_t>::max() : row + n;
}

void FillWhite(PixelRow row) {
  for (std::int32_t x = 0; x < row.width; ++x) row[x] = kWhite;
}

}  // namespace

HeaderVerdict BmpReader::ReadHeaders(const char* path) {
  if (state_ != State::kFresh) return HeaderVerdict::kRefused;
  errno = 0;
  file_ = FileHandle(OpenFile(path, "rb"));
  if (!file_) {
    problem_.kind = ReadProblemKind::kOpenFailed;
    problem_.systemError = errno;
    return Settle(HeaderVerdict::kOpenFailed);
  }
  return Settle(ReadFrom(file_.get()));
}

HeaderVerdict BmpReader::ReadHeaders(std::FILE* stream) {
  if (state_ != State::kFresh) return HeaderVerdict::kRefused;
  if (stream == nullptr) {
    problem_.kind = ReadProblemKind::kOpenFailed;
    return Settle(HeaderVerdict::kOpenFailed);
  }
  return Settle(ReadFrom(stream));
}

HeaderVerdict BmpReader::Settle(HeaderVerdict verdict) {
  state_ = verdict == HeaderVerdict::kAccepted ? State::kReady : State::kFailed;
  return verdict;
}

void BmpReader::Close() {
  (void)file_.Close();
  stream_ = nullptr;
  if (state_ != State::kFailed) state_ = State::kClosed;
}

bool BmpReader::StreamFailed() {
  if (stream_ == nullptr || !std::ferror(stream_)) return false;
  const int error = errno;
  problem_ = ReadProblem();
  problem_.kind = ReadProblemKind::kReadFailed;
  problem_.systemError = error != 0 ? error : EIO;
  state_ = State::kFailed;
  return true;
}

void BmpReader::NoteDataEnd(std::int64_t rowsRead) {
  if (shortfall_.cutShort) return;
  shortfall_.cutShort = true;
  shortfall_.rowsRead = std::clamp<std::int64_t>(rowsRead, 0, height_);
}

std::int64_t BmpReader::RowsReadBefore(std::int64_t index) {
  // Rows passed over by seeking may lie beyond the end already; rows read
  // whole came from the file even if it has shrunk since.
  if (pixelStart_ < 0) return index;
  const std::int64_t end = EndOffset(stream_);
  if (end < 0) return index;
  return std::max(rowsDecoded_, std::min(index, std::max<std::int64_t>(0, end - pixelStart_) / stride_));
}

void BmpReader::TopDownDataEndsAt(std::int64_t offset) {
  if (StreamFailed()) return;
  // A read that came up short shows only that the data ends before offset;
  // the file's length says where.
  const std::int64_t end = seekable_ ? EndOffset(stream_) : -1;
  if (end >= 0) offset = std::min(offset, end - dataStart_);
  available_ = std::clamp<std::int64_t>(offset, 0, available_);
  shortfall_.cutShort = true;
  shortfall_.rowsRead = available_ / stride_;
}

HeaderVerdict BmpReader::Refuse(ReadProblemKind kind, std::int64_t value, std::int64_t limit) {
  problem_.kind = kind;
  problem_.value = value;
  problem_.limit = limit;
  return kind == ReadProblemKind::kNoMemory ? HeaderVerdict::kNoMemory : HeaderVerdict::kRefused;
}

HeaderVerdict BmpReader::ReadFrom(std::FILE* f) {
  stream_ = f;
  struct stat st;
  seekable_ = fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode) && std::ftell(f) >= 0;

  // The signature is judged from the record, not from the read: an empty file
  // keeps the default "BM" here and fails below with the other short reads.
  // Read as one guarded read would, but counting what arrived, so that an
  // empty file can be told from a short one.
  std::uint8_t signature[2];
  const std::size_t got = std::fread(signature, 1, 2, f);
  bool ok = got == 2;
  if (ok) fileHeader_.bfType = LoadU16LE(signature);
  if (fileHeader_.bfType != kBmpSignature) {
    problem_.kind = ReadProblemKind::kNotBmp;
    std::copy(signature, signature + 2, problem_.firstBytes);
    problem_.firstByteCount =
        2 + static_cast<std::int32_t>(std::fread(problem_.firstBytes + 2, 1, sizeof problem_.firstBytes - 2, f));
    return HeaderVerdict::kNotBmp;
  }

  // Every field is read whatever the earlier reads gave.
  ok &= ReadField(fileHeader_.bfSize, f) != 0;
  ok &= ReadField(fileHeader_.bfReserved1, f) != 0;
  ok &= ReadField(fileHeader_.bfReserved2, f) != 0;
  ok &= ReadField(fileHeader_.bfOffBits, f) != 0;
  ok &= ReadField(infoHeader_.biSize, f) != 0;
  if (infoHeader_.biSize == kCoreHeaderSize) {
    // OS/2 1.x: unsigned 16-bit width and height, no compression and no
    // resolution (0, which the writer turns into its default).
    coreHeader_ = true;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    ok &= ReadField(width, f) != 0;
    ok &= ReadField(height, f) != 0;
    ok &= ReadField(infoHeader_.biPlanes, f) != 0;
    ok &= ReadField(infoHeader_.biBitCount, f) != 0;
    infoHeader_.biWidth = width;
    infoHeader_.biHeight = height;
    infoHeader_.biXPelsPerMeter = 0;
    infoHeader_.biYPelsPerMeter = 0;
  } else {
    ok &= ReadField(infoHeader_.biWidth, f) != 0;
    ok &= ReadField(infoHeader_.biHeight, f) != 0;
    ok &= ReadField(infoHeader_.biPlanes, f) != 0;
    ok &= ReadField(infoHeader_.biBitCount, f) != 0;
    ok &= ReadField(infoHeader_.biCompression, f) != 0;
    ok &= ReadField(infoHeader_.biSizeImage, f) != 0;
    ok &= ReadField(infoHeader_.biXPelsPerMeter, f) != 0;
    ok &= ReadField(infoHeader_.biYPelsPerMeter, f) != 0;
    ok &= ReadField(infoHeader_.biClrUsed, f) != 0;
    ok &= ReadField(infoHeader_.biClrImportant, f) != 0;
  }
  if (!ok) {
    if (StreamFailed()) return HeaderVerdict::kReadFailed;
    problem_.kind = got == 0 ? ReadProblemKind::kEmpty : ReadProblemKind::kShortHeader;
    // A file too short to hold a signature passed the test on the default;
    // what it does hold tells a caller that it is no BMP file at all.
    if (got < 2) {
      std::copy(signature, signature + got, problem_.firstBytes);
      problem_.firstByteCount = static_cast<std::int32_t>(got);
    }
    // Where the file ended, when the stream can tell.
    problem_.value = std::ftell(f);
    return HeaderVerdict::kShortHeader;
  }
  return ReadRest();
}

HeaderVerdict BmpReader::CheckFormat() {
  const std::uint16_t depth = infoHeader_.biBitCount;
  const std::uint32_t compression = infoHeader_.biCompression;
  if (coreHeader_) {
    // No compression field; 16 and 32 bits have no OS/2 1.x form.
    if (!IsSupportedDepth(depth)) return Refuse(ReadProblemKind::kDepth, depth);
    if (depth == 16 || depth == 32) return Refuse(ReadProblemKind::kDepthForHeader, depth, kCoreHeaderSize);
    return HeaderVerdict::kAccepted;
  }
  switch (compression) {
    case kBiRgb:
      break;
    case kBiRle8:
      if (depth != 8) return Refuse(ReadProblemKind::kCompressionDepth, compression, 8);
      break;
    case kBiRle4:
      if (depth != 4) return Refuse(ReadProblemKind::kCompressionDepth, compression, 4);
      break;
    case kBiBitfields:
    case kBiAlphaBitfields:
      // A 64-byte header is OS/2 2.x, where 3 means Huffman coding.
      if (compression == kBiBitfields && infoHeader_.biSize == kOs2InfoHeaderSize)
        return Refuse(ReadProblemKind::kCompressionForHeader, compression, kOs2InfoHeaderSize);
      if (depth != 16 && depth != 32) return Refuse(ReadProblemKind::kCompressionDepth, compression, 16);
      break;
    default:
      return Refuse(ReadProblemKind::kCompression, compression);
  }
  if (!IsSupportedDepth(depth)) return Refuse(ReadProblemKind::kDepth, depth);
  return HeaderVerdict::kAccepted;
}

HeaderVerdict BmpReader::ReadRest() {
  if (const HeaderVerdict verdict = CheckFormat(); verdict != HeaderVerdict::kAccepted) return verdict;
  const std::uint16_t depth = infoHeader_.biBitCount;
  const std::uint32_t compression = coreHeader_ ? kBiRgb : infoHeader_.biCompression;
  rle_ = compression == kBiRle8 || compression == kBiRle4;
  fields32_ = depth == 32 && IsBitfields(compression);
  const bool fields16 = depth == 16 && IsBitfields(compression);

  const std::int32_t width = infoHeader_.biWidth;
  const std::int32_t height = infoHeader_.biHeight;
  if (width <= 0 || width > kMaxRowPixels) return Refuse(ReadProblemKind::kWidth, width, kMaxRowPixels);
  // A negative height means rows run top-down; its magnitude must be a height.
  if (height == 0 || height == std::numeric_limits<std::int32_t>::min())
    return Refuse(ReadProblemKind::kHeight, height);
  topDown_ = height < 0;
  // Run-length encoded data has no row offsets to fetch top-down rows from.
  if (topDown_ && rle_) return Refuse(ReadProblemKind::kTopDownCompressed, compression);
  height_ = topDown_ ? -height : height;
  const std::int64_t pixels = static_cast<std::int64_t>(width) * height_;
  if (pixels > kMaxSourcePixels) return Refuse(ReadProblemKind::kTooManyPixels, pixels, kMaxSourcePixels);

  stride_ = static_cast<std::int32_t>(RowStride(width, depth));
  if (!rle_ && (depth != 16 || topDown_)) {
    rowBuffer_.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(stride_)]);
    if (!rowBuffer_) return Refuse(ReadProblemKind::kNoMemory, stride_);
  }

  // Whatever lies between what was read and bfOffBits is skipped. The gap
  // counts a full colour table even when the file carries fewer entries, so a
  // short table has its pixel data read right after its last entry.
  const std::int64_t offBits = static_cast<std::int32_t>(fileHeader_.bfOffBits);
  std::int64_t gap = 0;
  if (IsPalettedDepth(depth)) {
    // The table follows the header that is really there: 3-byte entries after
    // an OS/2 1.x header, 4-byte entries after the others.
    std::int64_t tableOffset = kHeadersSize;
    int entryBytes = 4;
    if (coreHeader_) {
      tableOffset = kCoreTableOffset;
      entryBytes = 3;
    } else if (IsLongInfoHeader(infoHeader_.biSize)) {
      tableOffset = kFileHeaderSize + infoHeader_.biSize;
      (void)SkipExact(static_cast<std::uint64_t>(tableOffset - kHeadersSize), stream_);
    }
    FillStandardTable(depth, palette_);
    ReadPalette(tableOffset, entryBytes);
    gap = offBits - tableOffset - std::int64_t{entryBytes} * PaletteSizeForDepth(depth);
  } else if (fields16) {
    // The masks sit at offset 54 in every header. An alpha mask is read only
    // with compression 6 (and ignored); in a longer header with compression 3
    // it falls in the gap.
    ReadMasks();
    gap = offBits - kHeadersSize - kMaskBlockSize;
    if (compression == kBiAlphaBitfields) {
      std::uint32_t alpha = 0;
      (void)ReadField(alpha, stream_);
      gap -= 4;
    }
  } else if (fields32_) {
    const bool withAlpha = compression == kBiAlphaBitfields || infoHeader_.biSize == 56 || infoHeader_.biSize == 108 ||
                           infoHeader_.biSize == 124;
    ReadMasks32(withAlpha);
    gap = offBits - kHeadersSize - kMaskBlockSize - (withAlpha ? 4 : 0);
  } else {
    gap = offBits - (coreHeader_ ? kCoreTableOffset : kHeadersSize);
  }
  if (gap > 0) (void)SkipExact(static_cast<std::uint64_t>(gap), stream_);
  if (StreamFailed()) return HeaderVerdict::kReadFailed;
  shifts_ = ShiftsFor(masks_);
  layout32_ = LayoutFor(masks32_);
  shortfall_.height = height_;
  shortfall_.topDown = topDown_;
  shortfall_.repeatsLastPixel = depth == 16;
  if (topDown_) return PrepareTopDown();
  if (seekable_ && !rle_) pixelStart_ = Tell(stream_);
  return HeaderVerdict::kAccepted;
}

void BmpReader::ReadPalette(std::int64_t tableOffset, int entryBytes) {
  // The number of entries follows from bfOffBits alone (biClrUsed is not
  // consulted). Entries the file cannot supply keep their standard colour;
  // entries beyond the count are white.
  const std::int32_t size = PaletteSizeForDepth(infoHeader_.biBitCount);
  const std::int64_t offBits = static_cast<std::int32_t>(fileHeader_.bfOffBits);
  const std::int64_t count = std::clamp<std::int64_t>((offBits - tableOffset) / entryBytes, 0, size);
  for (std::int64_t i = 0; i < count; ++i) {
    std::uint8_t entry[4] = {};
    if (ReadExact(entry, entryBytes, 1, stream_))
      palette_[static_cast<std::size_t>(i)] = {entry[0], entry[1], entry[2],
                                               entryBytes == 4 ? entry[3] : std::uint8_t{0}};
  }
  for (std::int64_t i = count; i < size; ++i) palette_[static_cast<std::size_t>(i)] = kWhite;
}

void BmpReader::ReadMasks() {
  // Only the low 16 bits of each 32-bit mask take part; the high half is read
  // and dropped.
  for (std::uint16_t* mask : {&masks_.red, &masks_.green, &masks_.blue}) {
    std::uint16_t high = 0;
    (void)ReadField(*mask, stream_);
    (void)ReadField(high, stream_);
  }
}

void BmpReader::ReadMasks32(bool withAlpha) {
  // A mask whose read fails stays 0, and its channel is then 0.
  (void)ReadField(masks32_.red, stream_);
  (void)ReadField(masks32_.green, stream_);
  (void)ReadField(masks32_.blue, stream_);
  if (withAlpha) (void)ReadField(masks32_.alpha, stream_);
}

HeaderVerdict BmpReader::PrepareTopDown() {
  // Rows are handed out bottom-up, so the file's rows are taken from its end
  // backwards: each one is fetched from its offset. A stream that cannot seek
  // has its pixel data held in memory instead, as far as it delivers it.
  const std::int64_t wanted = static_cast<std::int64_t>(stride_) * height_;
  dataStart_ = seekable_ ? Tell(stream_) : -1;
  const std::int64_t end = dataStart_ >= 0 ? EndOffset(stream_) : -1;
  if (end >= 0 && end - dataStart_ >= 0 && dataStart_ <= std::numeric_limits<std::int64_t>::max() - wanted) {
    available_ = std::min(end - dataStart_, wanted);
    // Rows are read a chunk at a time, so that narrow rows do not cost a seek
    // and a read each; a row wider than the chunk is read on its own.
    chunkSize_ = std::min<std::int64_t>(available_, kTopDownChunkBytes);
    if (chunkSize_ > 0) {
      chunk_.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(chunkSize_)]);
      if (!chunk_) return Refuse(ReadProblemKind::kNoMemory, chunkSize_);
    }
  } else {
    seekable_ = false;
    if (dataStart_ >= 0) (void)SeekTo(stream_, dataStart_);
    std::size_t capacity = 0;
    std::size_t size = 0;
    const std::uint64_t limit = static_cast<std::uint64_t>(wanted);
    if (limit > static_cast<std::size_t>(-1)) return Refuse(ReadProblemKind::kNoMemory, wanted);
    while (size < limit && !std::feof(stream_) && !std::ferror(stream_)) {
      if (size == capacity) {
        const std::size_t grown = static_cast<std::size_t>(std::min<std::uint64_t>(
            limit, std::max<std::uint64_t>(std::uint64_t{1} << 16, 2 * std::uint64_t{capacity})));
        std::unique_ptr<std::uint8_t[]> bigger(new (std::nothrow) std::uint8_t[grown]);
        if (!bigger) return Refuse(ReadProblemKind::kNoMemory, static_cast<std::int64_t>(grown));
        if (size > 0) std::copy(data_.get(), data_.get() + size, bigger.get());
        data_ = std::move(bigger);
        capacity = grown;
      }
      size += std::fread(data_.get() + size, 1, capacity - size, stream_);
    }
    available_ = static_cast<std::int64_t>(size);
  }
  if (StreamFailed()) return HeaderVerdict::kReadFailed;
  if (available_ < wanted) TopDownDataEndsAt(available_);

  if (infoHeader_.biBitCount == 16 && available_ < wanted) {
    // Pixels the file does not reach repeat the last value read in file
    // order: the last whole pixel of the last row the file reaches.
    const std::int64_t rows = available_ / stride_;
    const std::int64_t inRow = std::min<std::int64_t>(infoHeader_.biWidth, available_ % stride_ / 2);
    std::int64_t at = -1;
    if (inRow > 0) {
      at = rows * stride_ + 2 * (inRow - 1);
    } else if (rows > 0) {
      at = (rows - 1) * stride_ + 2 * (std::int64_t{infoHeader_.biWidth} - 1);
    }
    std::uint8_t value[2];
    if (at >= 0 && FetchData(at, value, 2) == 2) {
      lastValue_ = LoadU16LE(value);
      haveValue_ = true;
    }
  }
  return state_ == State::kFailed ? HeaderVerdict::kReadFailed : HeaderVerdict::kAccepted;
}

std::size_t BmpReader::FetchData(std::int64_t offset, std::uint8_t* destination, std::size_t n) {
  if (offset < 0 || offset >= available_) return 0;
  const std::int64_t want = std::min<std::int64_t>(static_cast<std::int64_t>(n), available_ - offset);
  if (!seekable_) {
    std::copy(data_.get() + offset, data_.get() + offset + want, destination);
    return static_cast<std::size_t>(want);
  }
  if (offset < chunkStart_ || offset + want > chunkStart_ + chunkLength_) {
    // Rows are asked for from the file's end backwards, so the chunk is
    // filled with the data that ends where this request ends.
    const std::int64_t end = offset + want;
    const std::int64_t start = want >= chunkSize_ ? offset : std::max<std::int64_t>(0, end - chunkSize_);
    chunkStart_ = start;
    chunkLength_ = 0;
    if (want > chunkSize_) {
      // Wider than the chunk: straight into the destination.
      std::clearerr(stream_);
      if (!SeekTo(stream_, dataStart_ + offset)) return 0;
      const std::size_t got = std::fread(destination, 1, static_cast<std::size_t>(want), stream_);
      if (got < static_cast<std::size_t>(want)) TopDownDataEndsAt(offset + static_cast<std::int64_t>(got));
      return state_ == State::kFailed ? 0 : got;
    }
    std::clearerr(stream_);
    if (!SeekTo(stream_, dataStart_ + start)) return 0;
    chunkLength_ =
        static_cast<std::int64_t>(std::fread(chunk_.get(), 1, static_cast<std::size_t>(end - start), stream_));
    // A file that shrank since its length was taken: what lies beyond its new
    // end is known to be gone, and costs no more reads.
    if (chunkLength_ < end - start) TopDownDataEndsAt(start + chunkLength_);
    if (state_ == State::kFailed) return 0;
  }
  // A file that shrank since its length was taken gives what is left.
  const std::int64_t got = std::clamp<std::int64_t>(chunkStart_ + chunkLength_ - offset, 0, want);
  std::copy(chunk_.get() + (offset - chunkStart_), chunk_.get() + (offset - chunkStart_) + got, destination);
  return static_cast<std::size_t>(got);
}

int BmpReader::DecodeRow(const std::uint8_t* bytes, std::int32_t count, PixelRow row) const {
  if (fields32_) return DecodeRow32Fields(bytes, count, layout32_, row);
  switch (infoHeader_.biBitCount) {
    case 32:
      return DecodeRow32(bytes, count, row);
    case 24:
      return DecodeRow24(bytes, count, row);
    case 8:
      return DecodeRow8(bytes, count, palette_.data(), row);
    case 4:
      return DecodeRow4(bytes, count, palette_.data(), row);
    case 1:
      return DecodeRow1(bytes, count, palette_.data(), row);
    default:
      return 0;
  }
}

int BmpReader::ReadRow(PixelRow row) {
  if (state_ != State::kReady) {
    FillWhite(row);
    return 0;
  }
  if (rle_) return ReadRowRle(row);
  if (topDown_) return ReadRowTopDown(row);
  const std::int64_t index = nextRow_++;
  if (infoHeader_.biBitCount == 16) {
    ReadRow16(&row, index);
    if (state_ == State::kReady) return 1;
    FillWhite(row);
    return 0;
  }
  const std::size_t want = static_cast<std::size_t>(stride_);
  if (!ended_ && std::fread(rowBuffer_.get(), 1, want, stream_) < want) {
    ended_ = true;
    if (!StreamFailed()) NoteDataEnd(RowsReadBefore(index));
  }
  if (!ended_) {
    rowsDecoded_ = index + 1;
    if (DecodeRow(rowBuffer_.get(), stride_, row)) return 1;
    ended_ = true;
  }
  FillWhite(row);
  return 0;
}

int BmpReader::ReadRowTopDown(PixelRow row) {
  const std::int64_t i = nextRow_++;
  // The file's first row is the picture's top one.
  const std::int64_t fileRow = std::int64_t{height_} - 1 - i;
  const std::size_t got =
      fileRow >= 0 ? FetchData(fileRow * stride_, rowBuffer_.get(), static_cast<std::size_t>(stride_)) : 0;
  if (state_ != State::kReady) {
    FillWhite(row);
    return 0;
  }
  if (infoHeader_.biBitCount == 16) {
    const std::int32_t whole =
        static_cast<std::int32_t>(std::min<std::size_t>(got / 2, static_cast<std::size_t>(row.width)));
    for (std::int32_t x = 0; x < whole; ++x) row[x] = Decode16(LoadU16LE(rowBuffer_.get() + 2 * x), masks_, shifts_);
    const PixelBGRA repeated = haveValue_ ? Decode16(lastValue_, masks_, shifts_) : kWhite;
    for (std::int32_t x = whole; x < row.width; ++x) row[x] = repeated;
    return 1;
  }
  if (got == static_cast<std::size_t>(stride_) && DecodeRow(rowBuffer_.get(), stride_, row)) return 1;
  FillWhite(row);
  // A short file lacks the bottom rows; the rows above still come. Only a file
  // without its top row has nothing more to give.
  return fileRow >= 0 && available_ >= stride_ ? 1 : 0;
}

int BmpReader::ReadRowRle(PixelRow row) {
  const std::int64_t i = nextRow_++;
  FillWhite(row);
  if (!rleStopped_ && rleRow_ == i) {
    DecodeRleRow(&row);
    if (state_ == State::kReady) return 1;
    FillWhite(row);
    return 0;
  }
  // A delta passed over this row, or the decoding has stopped.
  return rleStopped_ ? 0 : 1;
}

void BmpReader::DecodeRleRow(const PixelRow* row) {
  // Every step reads at least two bytes and writes at most the pixels left in
  // the row, so the work is bounded by the data plus the picture whatever the
  // counts and deltas say.
  std::FILE* f = stream_;
  const bool four = infoHeader_.biBitCount == 4;
  const std::int64_t width = infoHeader_.biWidth;
  auto put = [&](std::int64_t x, unsigned index) {
    if (row != nullptr) (*row)[static_cast<std::int32_t>(x)] = palette_[index];
  };
  // Whether the data ran out before an end-of-bitmap mark or the top row.
  bool ranOut = false;
  for (;;) {
    const int a = std::getc(f);
    const int b = a == EOF ? EOF : std::getc(f);
    if (b == EOF) {
      ranOut = true;
      break;
    }
    if (a > 0) {
      // A run of a pixels; RLE4 alternates the two nibbles of b, high first.
      const std::int64_t n = std::min<std::int64_t>(a, std::max<std::int64_t>(0, width - rleX_));
      for (std::int64_t j = 0; j < n; ++j)
        put(rleX_ + j, four ? ((j % 2 == 0) ? static_cast<unsigned>(b) >> 4 : static_cast<unsigned>(b) & 0x0F)
                            : static_cast<unsigned>(b));
      rleX_ += a;
      continue;
    }
    if (b == 0) {  // end of line
      rleX_ = 0;
      if (++rleRow_ >= height_) break;
      return;
    }
    if (b == 1) break;  // end of bitmap
    if (b == 2) {       // delta: right and up
      const int dx = std::getc(f);
      const int dy = dx == EOF ? EOF : std::getc(f);
      if (dy == EOF) {
        ranOut = true;
        break;
      }
      rleX_ += dx;
      if (dy == 0) continue;
      rleRow_ += dy;
      if (rleRow_ >= height_) break;
      return;
    }
    // An absolute run of b pixels, padded to an even number of bytes. If the
    // data ends inside it, the pixels whose bytes arrived still count.
    std::uint8_t bytes[255];
    const std::size_t want = four ? (static_cast<std::size_t>(b) + 1) / 2 : static_cast<std::size_t>(b);
    const std::size_t got = std::fread(bytes, 1, want, f);
    const std::int64_t pixels =
        four ? std::min<std::int64_t>(b, 2 * static_cast<std::int64_t>(got)) : static_cast<std::int64_t>(got);
    const std::int64_t n = std::min<std::int64_t>(pixels, std::max<std::int64_t>(0, width - rleX_));
    for (std::int64_t j = 0; j < n; ++j) {
      const std::uint8_t byte = bytes[four ? j / 2 : j];
      put(rleX_ + j, four ? ((j % 2 == 0) ? byte >> 4 : byte & 0x0F) : byte);
    }
    rleX_ += pixels;
    if (got < want) {
      ranOut = true;
      break;
    }
    if (want % 2 != 0) (void)std::getc(f);
  }
  rleStopped_ = true;
  if (ranOut && !StreamFailed()) NoteDataEnd(rleRow_);
}

void BmpReader::SkipRows(std::int64_t n) {
  if (n <= 0 || state_ != State::kReady) return;
  if (rle_) {
    // What follows depends on the data in between, so it is decoded.
    const std::int64_t target = AddRows(nextRow_, n);
    while (!rleStopped_ && rleRow_ < target) DecodeRleRow(nullptr);
    nextRow_ = target;
    return;
  }
  if (topDown_) {
    // Every row is fetched from its own offset.
    nextRow_ = AddRows(nextRow_, n);
    return;
  }
  const std::int64_t first = nextRow_;
  nextRow_ = AddRows(nextRow_, n);
  if (infoHeader_.biBitCount == 16) {
    // Once the file has ended no row changes the repeated value.
    for (std::int64_t i = 0; i < n && !std::feof(stream_) && state_ == State::kReady; ++i)
      ReadRow16(nullptr, first + i);
    return;
  }
  if (ended_) return;
  // Rows are only skipped, so a row that the file holds only in part needs no
  // notice here: the next row read finds the end instead.
  if (seekable_ && n <= std::numeric_limits<long>::max() / stride_ &&
      std::fseek(stream_, static_cast<long>(n * stride_), SEEK_CUR) == 0)
    return;
  const std::size_t want = static_cast<std::size_t>(stride_);
  for (std::int64_t i = 0; i < n; ++i) {
    if (std::fread(rowBuffer_.get(), 1, want, stream_) < want) {
      ended_ = true;
      if (!StreamFailed()) NoteDataEnd(RowsReadBefore(first + i));
      return;
    }
  }
}

void BmpReader::ReadRow16(const PixelRow* row, std::int64_t index) {
  // Read as though each pixel and each padding byte were a guarded read of its
  // own: a pixel whose two bytes are not both there, and every pixel after it,
  // repeats the last value read; before any value was read such pixels stay
  // white. One read for the whole row gives exactly that, with the same
  // end-of-file state, at a fraction of the cost.
  std::FILE* f = stream_;
  std::uint8_t local[512];
  const std::size_t rowBytes = static_cast<std::size_t>(stride_);
  const std::size_t width = static_cast<std::size_t>(infoHeader_.biWidth);
  std::size_t x = 0;
  while (x < width && !std::feof(f)) {
    const std::size_t chunkPixels = std::min(width - x, sizeof local / 2);
    const std::size_t got = std::fread(local, 1, chunkPixels * 2, f);
    const std::size_t whole = got / 2;
    if (whole > 0) {
      haveValue_ = true;
      if (row != nullptr) {
        for (std::size_t i = 0; i < whole; ++i)
          (*row)[static_cast<std::int32_t>(x + i)] = Decode16(LoadU16LE(local + 2 * i), masks_, shifts_);
      }
      lastValue_ = LoadU16LE(local + 2 * (whole - 1));
    }
    x += whole;
    if (got < chunkPixels * 2) break;
  }
  if (x < width) {
    if (StreamFailed()) return;
    NoteDataEnd(index);
  }
  if (row != nullptr) {
    const PixelBGRA repeated = haveValue_ ? Decode16(lastValue_, masks_, shifts_) : kWhite;
    for (; x < width; ++x) (*row)[static_cast<std::int32_t>(x)] = repeated;
  }
  // Row padding: 0 or 2 bytes.
  const std::size_t padding = rowBytes - 2 * width;
  if (padding > 0 && !SkipExact(padding, f)) (void)StreamFailed();
}
