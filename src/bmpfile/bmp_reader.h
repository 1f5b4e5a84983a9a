// Reading a BMP file in two stages, so a caller can stream it row by row:
//
//   ReadHeaders(path)   header stage: file and info header, the tests, the
//                       palette or the bit-field masks, and the gap before the
//                       pixel data
//   ReadRow(row)        row stage: the next row of the picture, from the
//                       bottom up, decoded into a row of pixels
//
//   SkipRows(n)         row stage: passes over the next n rows without decoding
//                       them, keeping every state a later row depends on
//
// Files taken: 1, 4, 8, 16, 24 and 32 bits per pixel, uncompressed; 16 and 32
// bits with bit fields; 8-bit and 4-bit run-length encoded files; info headers
// of 40 bytes and the longer ones (52, 56, 64, 108, 124 bytes), and the 12-byte
// OS/2 1.x header at 1, 4, 8 and 24 bits. Rows may run top-down (a negative
// height) except in run-length encoded files.
//
// Memory stays in proportion to a row: run-length encoded data is decoded
// forward as rows are asked for (rows that a delta passes over are white), and
// the rows of a top-down file are fetched by seeking back to each one. Only a
// top-down file on a stream that cannot seek is held in memory, as far as the
// stream delivers it.
//
// A read that fails with an error (not at the end of the file) fails the
// reader, and Problem() then holds the system's reason. Once it has failed or
// been closed, the reader refuses every call: rows come back white.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "bmpfile/bmp_headers.h"
#include "bmpfile/file_stream.h"
#include "bmpfile/read_problem.h"
#include "bmpfile/row_decoders.h"
#include "image/depth.h"
#include "image/palette.h"
#include "image/resolution.h"

// The widest picture the reader takes, in pixels. Rows are held a few at a
// time, 4 bytes a pixel, so this bounds what one row can make a caller
// allocate (64 MiB), whatever the header says.
inline constexpr std::int64_t kMaxRowPixels = std::int64_t{1} << 24;
// The most pixels a picture may have: the reader hands rows over one at a
// time, so only the count has to stay addressable.
inline constexpr std::int64_t kMaxSourcePixels = 0x7FFFFFFF;

enum class HeaderVerdict {
  kAccepted,
  kOpenFailed,   // the file could not be opened
  kNotBmp,       // the signature is not "BM"
  kShortHeader,  // the file ended inside the 54 header bytes
  kRefused,      // compression, depth or size not taken (the resolution was read)
  kNoMemory,     // the row buffer (or the pixel data of a top-down file on a
                 // stream that cannot seek) could not be had
  kReadFailed,   // a read failed with an error (Problem().systemError says why)
};

class BmpReader {
 public:
  BmpReader() = default;
  BmpReader(const BmpReader&) = delete;
  BmpReader& operator=(const BmpReader&) = delete;

  // A reader reads one file: a second call is refused (kRefused).
  HeaderVerdict ReadHeaders(const char* path);
  // The same from a stream that is already open (standard input, say); the
  // stream is read from where it stands and is not closed by the reader.
  HeaderVerdict ReadHeaders(std::FILE* stream);
  // Closes the file the reader opened itself; a stream handed in stays open.
  // Every later call is refused.
  void Close();
  // What decided a verdict other than kAccepted.
  const ReadProblem& Problem() const { return problem_; }
  // The stream being read, once ReadHeaders has one.
  std::FILE* Stream() const { return stream_; }

  // Fills row (of Width() pixels) with the next row from the bottom up and
  // answers 1. Once the pixel data has run out it answers 0 and the row comes
  // back white, as does every row after it (a 0 always means that every later
  // row is white too); so it does once the reader has failed. A 16-bit file never runs out: its missing pixels repeat
  // the last value read in file order. Rows or pixels that a run-length encoded
  // file never writes, and the rows of a short top-down file that the file does
  // not reach (its bottom rows), come back white with the answer 1.
  int ReadRow(PixelRow row);
  // Passes over the next n rows as n calls of ReadRow would, without decoding
  // them (a regular file is seeked forward; run-length encoded data is decoded
  // without writing pixels, since what follows depends on it).
  void SkipRows(std::int64_t n);
  // Whether a read failed with an error.
  bool ReadFailed() const { return problem_.kind == ReadProblemKind::kReadFailed; }
  // Whether, and where, the pixel data ended before the picture did, as far
  // as the rows read and skipped so far show (a top-down file shows it at
  // once). In a bottom-up file the rows asked for last, the top ones, lie at
  // its end, so a resize that reads them always learns it.
  const DataShortfall& Shortfall() const { return shortfall_; }

  const BmpFileHeader& FileHeader() const { return fileHeader_; }
  const BmpInfoHeader& InfoHeader() const { return infoHeader_; }
  // The resolution the info header gives (0 for OS/2 1.x files, which carry none).
  Resolution FileResolution() const { return {infoHeader_.biXPelsPerMeter, infoHeader_.biYPelsPerMeter}; }
  // The picture's size: Height() is positive also for a top-down file, whose
  // InfoHeader().biHeight is negative. For an OS/2 1.x file the info header
  // record holds its width, height, planes and depth, no compression and a
  // resolution of 0.
  std::int32_t Width() const { return infoHeader_.biWidth; }
  std::int32_t Height() const { return height_; }
  // Bits per pixel as the file says: 32 for every 32-bit file, bit fields
  // included; 8 and 4 for run-length encoded files.
  std::int32_t Depth() const { return infoHeader_.biBitCount; }
  // The colour table of a 1, 4 or 8-bit file: 2^depth entries.
  const ::Palette& Palette() const { return palette_; }

 private:
  enum class State { kFresh, kReady, kFailed, kClosed };

  HeaderVerdict Settle(HeaderVerdict verdict);
  HeaderVerdict ReadFrom(std::FILE* stream);
  // Whether the stream's error indicator is set; the reader then fails with
  // errno as the reason.
  bool StreamFailed();
  // The pixel data ended after rowsRead whole rows (the first end found
  // counts).
  void NoteDataEnd(std::int64_t rowsRead);
  // Whole rows from the bottom that came from a bottom-up file, the row at
  // index being the first that did not: rows passed over by seeking count as
  // far as the file holds them.
  std::int64_t RowsReadBefore(std::int64_t index);
  // A top-down file's data ends at offset (it shrank while it was read).
  void TopDownDataEndsAt(std::int64_t offset);
  HeaderVerdict ReadRest();
  HeaderVerdict CheckFormat();
  HeaderVerdict Refuse(ReadProblemKind kind, std::int64_t value, std::int64_t limit = 0);
  void ReadPalette(std::int64_t tableOffset, int entryBytes);
  void ReadMasks();
  void ReadMasks32(bool withAlpha);
  HeaderVerdict PrepareTopDown();
  // Decodes one file row of stride_ bytes (count of them present) into row;
  // 0 when the row is not whole.
  int DecodeRow(const std::uint8_t* bytes, std::int32_t count, PixelRow row) const;
  // Reads the next 16-bit row, the index-th from the bottom, into row, or only
  // keeps track of the last value read when row is null.
  void ReadRow16(const PixelRow* row, std::int64_t index);
  int ReadRowTopDown(PixelRow row);
  int ReadRowRle(PixelRow row);
  // Runs the run-length decoder through the rest of its current row, writing
  // into row unless it is null, until it moves to a later row or stops.
  void DecodeRleRow(const PixelRow* row);
  // Copies up to n bytes of pixel data from offset on into destination and
  // answers how many arrived (top-down files only).
  std::size_t FetchData(std::int64_t offset, std::uint8_t* destination, std::size_t n);

  State state_ = State::kFresh;
  FileHandle file_;  // the file the reader opened itself, if any
  std::FILE* stream_ = nullptr;
  bool seekable_ = false;
  ReadProblem problem_;
  BmpFileHeader fileHeader_;
  BmpInfoHeader infoHeader_;
  std::int32_t height_ = 0;
  bool coreHeader_ = false;  // the 12-byte OS/2 1.x header
  bool topDown_ = false;
  bool rle_ = false;
  bool fields32_ = false;  // 32-bit bit fields
  ::Palette palette_{};
  ChannelMasks masks_;
  ChannelShifts shifts_{};
  FieldMasks32 masks32_;
  FieldLayout32 layout32_;
  std::int32_t stride_ = 0;
  std::unique_ptr<std::uint8_t[]> rowBuffer_;
  std::uint16_t lastValue_ = 0;
  bool haveValue_ = false;
  bool ended_ = false;
  DataShortfall shortfall_;
  std::int64_t rowsDecoded_ = 0;  // bottom-up rows up to the last one read whole
  // Where a seekable bottom-up file's pixel data starts.
  std::int64_t pixelStart_ = -1;
  // Rows handed out or skipped so far, from the bottom.
  std::int64_t nextRow_ = 0;
  // Run-length decoding: the row (from the bottom) and column the decoder
  // stands at, and whether it has stopped.
  std::int64_t rleRow_ = 0;
  std::int64_t rleX_ = 0;
  bool rleStopped_ = false;
  // Top-down files: where the pixel data starts, how many of its bytes the
  // file holds, and, when the stream cannot seek, those bytes themselves.
  std::int64_t dataStart_ = 0;
  std::int64_t available_ = 0;
  std::unique_ptr<std::uint8_t[]> data_;
  // The part of a seekable top-down file's pixel data read last.
  std::unique_ptr<std::uint8_t[]> chunk_;
  std::int64_t chunkSize_ = 0;
  std::int64_t chunkStart_ = 0;
  std::int64_t chunkLength_ = 0;
};
