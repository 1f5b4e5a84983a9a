// Reading a BMP file in two stages, so a caller can stream it row by row:
//
//   ReadHeaders(path)   header stage: file and info header, the tests, the
//                       palette or the 16-bit masks, and the gap before the
//                       pixel data
//   ReadRow(row)        row stage: the next row of the picture, from the
//                       bottom up, decoded into a row of pixels
//
//   SkipRows(n)         row stage: passes over the next n rows without decoding
//                       them, keeping every state a later row depends on
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
#include "bmpfile/read_problem.h"
#include "bmpfile/row_decoders.h"
#include "image/bmp_image.h"

// The widest picture the reader takes, in pixels. Rows are held a few at a
// time, 4 bytes a pixel, so this bounds what one row can make a caller
// allocate (64 MiB), whatever the header says.
inline constexpr std::int64_t kMaxRowPixels = std::int64_t{1} << 24;
// The most pixels a picture may have: the reader hands rows over one at a
// time, so only the count has to stay addressable.
inline constexpr std::int64_t kMaxSourcePixels = 0x7FFFFFFF;
// The most pixels ReadBmpFile takes into a whole in-memory image (4 bytes a
// pixel: 512 MiB at most).
inline constexpr std::int64_t kMaxImagePixels = std::int64_t{1} << 27;

enum class HeaderVerdict {
  kAccepted,
  kOpenFailed,    // the file could not be opened
  kNotBmp,        // the signature is not "BM"
  kShortHeader,   // the file ended inside the 54 header bytes
  kRefused,       // compression, depth or size not taken (the resolution was read)
  kNoMemory,      // the row buffer could not be had
};

class BmpReader {
 public:
  BmpReader() = default;
  BmpReader(const BmpReader&) = delete;
  BmpReader& operator=(const BmpReader&) = delete;

  HeaderVerdict ReadHeaders(const char* path);
  // The same from a stream that is already open (standard input, say); the
  // stream is read from where it stands and is not closed by the reader.
  HeaderVerdict ReadHeaders(std::FILE* stream);
  // What decided a verdict other than kAccepted.
  const ReadProblem& Problem() const { return problem_; }
  // The stream being read, once ReadHeaders has one.
  std::FILE* Stream() const { return stream_; }

  // Fills row (of Width() pixels) with the next row from the bottom up and
  // answers 1. Once the pixel data has run out it answers 0 and the row comes
  // back white, as does every row after it. A 16-bit file never runs out: its
  // missing pixels repeat the last value read.
  int ReadRow(PixelRow row);
  // Passes over the next n rows as n calls of ReadRow would, without decoding
  // them (a regular file is seeked forward).
  void SkipRows(std::int64_t n);

  const BmpFileHeader& FileHeader() const { return fileHeader_; }
  const BmpInfoHeader& InfoHeader() const { return infoHeader_; }
  std::int32_t Width() const { return infoHeader_.biWidth; }
  std::int32_t Height() const { return infoHeader_.biHeight; }
  std::int32_t Depth() const { return infoHeader_.biBitCount; }
  // The colour table of a 1, 4 or 8-bit file: 2^depth entries.
  const PixelBGRA* Palette() const { return palette_.data(); }

 private:
  HeaderVerdict ReadFrom(std::FILE* stream);
  HeaderVerdict ReadRest();
  HeaderVerdict Refuse(ReadProblemKind kind, std::int64_t value, std::int64_t limit = 0);
  void ReadPalette();
  void ReadMasks();
  // Reads the next 16-bit row into row, or only keeps track of the last value
  // read when row is null.
  void ReadRow16(const PixelRow* row);

  FileHandle file_;     // the file the reader opened itself, if any
  std::FILE* stream_ = nullptr;
  bool seekable_ = false;
  ReadProblem problem_;
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
