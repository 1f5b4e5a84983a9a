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

bool IsAcceptedCompression(std::uint32_t compression, std::uint16_t depth) {
  return compression == kBiRgb || (compression == kBiBitfields && depth == 16);
}

}  // namespace

HeaderVerdict BmpReader::ReadHeaders(const char* path) {
  errno = 0;
  file_ = FileHandle(OpenFile(path, "rb"));
  if (!file_) {
    problem_.kind = ReadProblemKind::kOpenFailed;
    problem_.systemError = errno;
    return HeaderVerdict::kOpenFailed;
  }
  return ReadFrom(file_.get());
}

HeaderVerdict BmpReader::ReadHeaders(std::FILE* stream) {
  if (stream == nullptr) {
    problem_.kind = ReadProblemKind::kOpenFailed;
    return HeaderVerdict::kOpenFailed;
  }
  return ReadFrom(stream);
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
    problem_.firstByteCount = 2 + static_cast<std::int32_t>(
                                      std::fread(problem_.firstBytes + 2, 1, sizeof problem_.firstBytes - 2, f));
    return HeaderVerdict::kNotBmp;
  }

  // Every field is read whatever the earlier reads gave.
  ok &= ReadField(fileHeader_.bfSize, f) != 0;
  ok &= ReadField(fileHeader_.bfReserved1, f) != 0;
  ok &= ReadField(fileHeader_.bfReserved2, f) != 0;
  ok &= ReadField(fileHeader_.bfOffBits, f) != 0;
  ok &= ReadField(infoHeader_.biSize, f) != 0;
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
  if (!ok) {
    problem_.kind = got == 0 ? ReadProblemKind::kEmpty : ReadProblemKind::kShortHeader;
    // Where the file ended, when the stream can tell.
    problem_.value = std::ftell(f);
    return HeaderVerdict::kShortHeader;
  }
  return ReadRest();
}

HeaderVerdict BmpReader::ReadRest() {
  const std::uint16_t depth = infoHeader_.biBitCount;
  const std::uint32_t compression = infoHeader_.biCompression;
  if (!IsAcceptedCompression(compression, depth)) {
    return compression == kBiBitfields ? Refuse(ReadProblemKind::kCompressionDepth, compression, 16)
                                       : Refuse(ReadProblemKind::kCompression, compression);
  }
  if (!IsSupportedDepth(depth)) return Refuse(ReadProblemKind::kDepth, depth);
  // Rows must run bottom-up: a negative height (top-down rows) is refused.
  const std::int32_t width = infoHeader_.biWidth;
  const std::int32_t height = infoHeader_.biHeight;
  if (width <= 0 || width > kMaxRowPixels) return Refuse(ReadProblemKind::kWidth, width, kMaxRowPixels);
  if (height <= 0) return Refuse(ReadProblemKind::kHeight, height);
  const std::int64_t pixels = static_cast<std::int64_t>(width) * height;
  if (pixels > kMaxSourcePixels) return Refuse(ReadProblemKind::kTooManyPixels, pixels, kMaxSourcePixels);

  stride_ = static_cast<std::int32_t>(RowStride(width, depth));
  if (depth != 16) {
    rowBuffer_.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(stride_)]);
    if (!rowBuffer_) return Refuse(ReadProblemKind::kNoMemory, stride_);
  }

  // Whatever lies between what was read and bfOffBits is skipped. The gap
  // counts a full colour table even when the file carries fewer entries, so a
  // short table has its pixel data read right after its last entry.
  std::int64_t gap = static_cast<std::int64_t>(static_cast<std::int32_t>(fileHeader_.bfOffBits)) - kHeadersSize;
  const bool bitfields = depth == 16 && infoHeader_.biCompression == kBiBitfields;
  if (IsPalettedDepth(depth)) {
    FillStandardTable(depth, palette_.data());
    ReadPalette();
    gap -= 4 * std::int64_t{PaletteSizeForDepth(depth)};
  } else if (bitfields) {
    ReadMasks();
    gap -= kMaskBlockSize;
  }
  if (gap > 0) (void)SkipExact(static_cast<std::uint64_t>(gap), stream_);
  shifts_ = ShiftsFor(masks_);
  return HeaderVerdict::kAccepted;
}

void BmpReader::ReadPalette() {
  // The number of entries follows from bfOffBits alone (biClrUsed is not
  // consulted). Entries the file cannot supply keep their standard colour;
  // entries beyond the count are white.
  const std::int32_t size = PaletteSizeForDepth(infoHeader_.biBitCount);
  const std::int64_t offBits = static_cast<std::int32_t>(fileHeader_.bfOffBits);
  const std::int64_t count = std::clamp<std::int64_t>((offBits - kHeadersSize) / 4, 0, size);
  for (std::int64_t i = 0; i < count; ++i) {
    std::uint8_t entry[4];
    if (ReadExact(entry, 4, 1, stream_)) palette_[static_cast<std::size_t>(i)] = {entry[0], entry[1], entry[2], entry[3]};
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

int BmpReader::ReadRow(PixelRow row) {
  if (infoHeader_.biBitCount == 16) {
    ReadRow16(&row);
    return 1;
  }
  const std::size_t want = static_cast<std::size_t>(stride_);
  if (!ended_ && std::fread(rowBuffer_.get(), 1, want, stream_) < want) ended_ = true;
  if (!ended_) {
    const std::uint8_t* bytes = rowBuffer_.get();
    int decoded = 0;
    switch (infoHeader_.biBitCount) {
      case 32: decoded = DecodeRow32(bytes, stride_, row); break;
      case 24: decoded = DecodeRow24(bytes, stride_, row); break;
      case 8: decoded = DecodeRow8(bytes, stride_, palette_.data(), row); break;
      case 4: decoded = DecodeRow4(bytes, stride_, palette_.data(), row); break;
      case 1: decoded = DecodeRow1(bytes, stride_, palette_.data(), row); break;
      default: break;
    }
    if (decoded) return 1;
    ended_ = true;
  }
  for (std::int32_t x = 0; x < row.width; ++x) row[x] = kWhite;
  return 0;
}

void BmpReader::SkipRows(std::int64_t n) {
  if (n <= 0) return;
  if (infoHeader_.biBitCount == 16) {
    // Once the file has ended no row changes the repeated value.
    for (std::int64_t i = 0; i < n && !std::feof(stream_); ++i) ReadRow16(nullptr);
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
      return;
    }
  }
}

void BmpReader::ReadRow16(const PixelRow* row) {
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
  if (row != nullptr) {
    const PixelBGRA repeated = haveValue_ ? Decode16(lastValue_, masks_, shifts_) : kWhite;
    for (; x < width; ++x) (*row)[static_cast<std::int32_t>(x)] = repeated;
  }
  // Row padding: 0 or 2 bytes.
  const std::size_t padding = rowBytes - 2 * width;
  if (padding > 0) (void)SkipExact(padding, f);
}

namespace {

void Reset(BmpImage& image) {
  // A 1 x 1 image needs no allocation, so neither step can fail.
  (void)image.SetSize(1, 1);
  (void)image.SetDepth(1);
}

}  // namespace

int ReadBmpFile(BmpImage& image, const char* path) {
  BmpReader reader;
  switch (reader.ReadHeaders(path)) {
    case HeaderVerdict::kOpenFailed:
      (void)image.SetDepth(1);
      (void)image.SetSize(1, 1);
      return 0;
    case HeaderVerdict::kNotBmp:
      return 0;
    case HeaderVerdict::kShortHeader:
      Reset(image);
      return 0;
    case HeaderVerdict::kRefused:
    case HeaderVerdict::kNoMemory:
      // The resolution is taken before the tests, so a refused file leaves it.
      image.xPixelsPerMetre = reader.InfoHeader().biXPelsPerMeter;
      image.yPixelsPerMetre = reader.InfoHeader().biYPelsPerMeter;
      Reset(image);
      return 0;
    case HeaderVerdict::kAccepted:
      break;
  }
  image.xPixelsPerMetre = reader.InfoHeader().biXPelsPerMeter;
  image.yPixelsPerMetre = reader.InfoHeader().biYPelsPerMeter;
  if (static_cast<std::int64_t>(reader.Width()) * reader.Height() > kMaxImagePixels) {
    Reset(image);
    return 0;
  }
  if (!image.SetDepth(reader.Depth()) || !image.SetSize(reader.Width(), reader.Height())) {
    Reset(image);
    return 0;
  }
  if (image.HasPalette()) {
    for (std::int32_t i = 0; i < image.PaletteSize(); ++i) (void)image.SetPaletteEntry(i, reader.Palette()[i]);
  }
  for (std::int32_t y = reader.Height() - 1; y >= 0; --y) {
    if (!reader.ReadRow(image.Row(y))) break;
  }
  return 1;
}
