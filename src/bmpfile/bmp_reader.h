// Reading a BMP file in two stages, so a caller can stream it row by row:
//
//   ReadHeaders(path)   header stage: file and info header, the tests, the
//                       palette or the 16-bit masks, and the gap before the
//                       pixel data
//   ReadRow(row)        row stage: the next row of the picture, from the
//                       bottom up, decoded into a row of pixels
//
// ReadBmpFile is the whole read into a BmpImage:
//   1  the headers were accepted; pixels come from the file as far as it
//      reaches, the rest stay white (16-bit files repeat the last value read)
//   0  the file was refused: it could not be opened, or its headers are
//      short, or its compression, depth or size is not one this reader takes.
//      The image is then 1 x 1 white of depth 1 (a file whose signature is not
//      "BM" leaves the image untouched instead)
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "bmpfile/bmp_headers.h"
#include "bmpfile/file_stream.h"
#include "bmpfile/row_decoders.h"
#include "image/bmp_image.h"

// The largest picture the reader takes, in pixels (2^27, for example 16384 x
// 8192 or a 100-megapixel photo). A whole picture is held in memory at 4 bytes
// a pixel, so this bounds what a header, however hostile, can make the reader
// allocate: 512 MiB.
inline constexpr std::int64_t kMaxSourcePixels = std::int64_t{1} << 27;

enum class HeaderVerdict {
  kAccepted,
  kOpenFailed,    // the file could not be opened
  kNotBmp,        // the signature is not "BM"
  kShortHeader,   // the file ended inside the 54 header bytes
  kRefused,       // compression, depth or size not taken (the resolution was read)
};

class BmpReader {
 public:
  BmpReader() = default;
  BmpReader(const BmpReader&) = delete;
  BmpReader& operator=(const BmpReader&) = delete;

  HeaderVerdict ReadHeaders(const char* path);

  // Fills row (of Width() pixels) with the next row from the bottom up. Answers
  // 0 once the pixel data has run out: the row is then left as it was, and so
  // are all rows after it. A 16-bit file never runs out: its missing pixels
  // repeat the last value read.
  int ReadRow(PixelRow row);

  const BmpFileHeader& FileHeader() const { return fileHeader_; }
  const BmpInfoHeader& InfoHeader() const { return infoHeader_; }
  std::int32_t Width() const { return infoHeader_.biWidth; }
  std::int32_t Height() const { return infoHeader_.biHeight; }
  std::int32_t Depth() const { return infoHeader_.biBitCount; }
  // The colour table of a 1, 4 or 8-bit file: 2^depth entries.
  const PixelBGRA* Palette() const { return palette_.data(); }

 private:
  HeaderVerdict ReadRest();
  void ReadPalette();
  void ReadMasks();
  int ReadRow16(PixelRow row);

  FileHandle file_;
  BmpFileHeader fileHeader_;
  BmpInfoHeader infoHeader_;
  std::array<PixelBGRA, BmpImage::kMaxPaletteEntries> palette_{};
  ChannelMasks masks_;
  ChannelShifts shifts_{};
  std::int32_t stride_ = 0;
  std::unique_ptr<std::uint8_t[]> rowBuffer_;
  std::uint16_t lastValue_ = 0;
  bool haveValue_ = false;
  bool ended_ = false;
};

int ReadBmpFile(BmpImage& image, const char* path);
